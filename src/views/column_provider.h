// The "CVS ..." columns of Explorer's details view for the files of a working folder.
#pragma once

#include "server/com_object.h"
#include "server/guids.h"
#include "views/core/column_rules.h"

#include <shlobj.h>

#ifdef __CRT_UUID_DECL
// MinGW's shlobj.h declares the interface without its __uuidof binding.
__CRT_UUID_DECL(IColumnProvider, 0xe8025004, 0x1c42, 0x11d2, 0xbe, 0x2c, 0x00, 0xa0, 0xc9, 0xa8, 0x3d, 0xa1)
#endif

class CCVSColumnProvider : public ferrow::ComObject<CCVSColumnProvider, IColumnProvider> {
public:
    static const CLSID& ClassId() { return CLSID_CCVSColumnProvider; }

    // IColumnProvider
    STDMETHODIMP Initialize(LPCSHCOLUMNINIT psci) override;
    STDMETHODIMP GetColumnInfo(DWORD dwIndex, SHCOLUMNINFO* psci) override;
    STDMETHODIMP GetItemData(LPCSHCOLUMNID pscid, LPCSHCOLUMNDATA pscd, VARIANT* pvarData) override;

    const ColumnFlags& Flags() const { return flags_; }

private:
    ColumnFlags flags_;  // defaults until Initialize reads the Columns key
};

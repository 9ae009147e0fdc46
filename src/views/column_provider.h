// The "CVS ..." columns of Explorer's details view for the files of a working folder.
#pragma once

#include "com/com_object.h"
#include "com/guids.h"
#include "views/core/column_rules.h"

#include "com/interface_ids.h"

#include <shlobj.h>

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

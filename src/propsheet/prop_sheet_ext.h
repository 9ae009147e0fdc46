// The property-sheet handler: a "CVS" page for every selection whose first item lies in a working copy,
// and a "History" page when that item is the only one and a file.
#pragma once

#include "common/dialog.h"
#include "com/com_object.h"
#include "com/guids.h"

#include <shlobj.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace propsheet {

class CCVSPropSheetExt
    : public ferrow::ComObject<CCVSPropSheetExt, IShellExtInit, IShellPropSheetExt,
                               ferrow::ProvideClassInfoImpl<CCVSPropSheetExt>> {
public:
    static const CLSID& ClassId() { return CLSID_CCVSPropSheetExt; }

    CCVSPropSheetExt();
    ~CCVSPropSheetExt() override;

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* pdtobj, HKEY hkeyProgID) override;
    // IShellPropSheetExt
    STDMETHODIMP AddPages(LPFNSVADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) override;
    STDMETHODIMP ReplacePage(EXPPS uPageID, LPFNSVADDPROPSHEETPAGE pfnReplaceWith, LPARAM lParam) override;

    // What the pages read. The paths are full paths of at most 259 characters, in the shell's order.
    const std::vector<std::string>& Selection() const { return selection_; }
    HIMAGELIST ImageList() const { return images_; }
    void SetCvsPageWindow(HWND page) { cvsPage_ = page; }
    HWND CvsPageWindow() const { return cvsPage_; }

    // Replaces the selection as Initialize would, without a data object (tests and the shell host).
    HRESULT InitializeFromPaths(const std::vector<std::string>& paths);

private:
    HRESULT AcceptSelection();
    // Creates one page; the page holds a reference on this object until the sheet destroys it.
    HPROPSHEETPAGE CreatePage(UINT templateId, DLGPROC procedure, bool history);

    std::vector<std::string> selection_;
    UINT pageCounter_ = 0;  // the History page's reference parent
    HWND cvsPage_ = nullptr;
    HIMAGELIST images_ = nullptr;
    HANDLE activationContext_ = INVALID_HANDLE_VALUE;
};

// What the two pages share: the page object, made by the page's window and deleted with it, reads its
// owner, which outlives the window (the page holds a reference on it until the sheet releases the page);
// Apply has nothing to write.
class CSheetPage : public ferrow::CDialog {
public:
    explicit CSheetPage(CCVSPropSheetExt* owner) noexcept : owner_(owner) {}

protected:
    CCVSPropSheetExt* Owner() const noexcept { return owner_; }
    bool OnNotify(const NMHDR& header, LRESULT& result) override {
        if (header.code != static_cast<UINT>(PSN_APPLY)) return false;
        result = PSNRET_NOERROR;
        return true;
    }

private:
    CCVSPropSheetExt* owner_;
};

// The dialog procedures of the two pages (cvs_page.cpp, history_page.cpp).
INT_PTR CALLBACK CvsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK HistoryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace propsheet

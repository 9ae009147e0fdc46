// The one dialog base, for modal dialogs, the settings frame's pages and the Properties dialog's pages.
// A dialog class derives from ferrow::CDialog and overrides what it answers; the window reaches its
// object through DWLP_USER. Every message runs through ferrow::GuardedDialogCall: an exception ends a
// modal dialog as cancelled and leaves a page as it is.
//
//   class CNameDlg : public ferrow::CDialog {
//   public:
//       CNameDlg() : CDialog(IDD_NAME) {}
//       BOOL OnInitDialog() override { SetItemText(IDC_NAME, name); return TRUE; }
//       bool OnCommand(WORD id, WORD) override { if (id == IDOK) name = ItemText(IDC_NAME); return false; }
//   };
#pragma once

#include <windows.h>

#include <string>

namespace ferrow {

class CDialog {
public:
    // The dialog template of DoModal and CreateChild (0 for a Properties-dialog page: the sheet has it).
    explicit CDialog(UINT templateId = 0) noexcept : templateId_(templateId) {}
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the template modally; the object lives for the call. The identifier that ended it (IDOK,
    // IDCANCEL), or -1 / 0 when the dialog could not be created.
    INT_PTR DoModal(HWND owner);
    // A modeless child dialog (a page of a frame); the object must outlive the window or detach it
    // (Detach) before it goes.
    HWND CreateChild(HWND parent);
    // Unhooks the window from this object: later messages reach nobody.
    void Detach() noexcept;

    // The procedure of a Properties-dialog page whose PROPSHEETPAGE lParam is an Owner*: the page makes
    // its own Page(Owner*) on WM_INITDIALOG and deletes it with the window.
    template <class Page, class Owner>
    static INT_PTR CALLBACK SheetPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND Window() const noexcept { return hwnd_; }

protected:
    // Return TRUE to let the dialog manager give the focus to the first control.
    virtual BOOL OnInitDialog() = 0;
    // A WM_COMMAND; true when handled.
    virtual bool OnCommand(WORD, WORD) { return false; }
    // A WM_NOTIFY; true when handled, with the message's result in `result`.
    virtual bool OnNotify(const NMHDR&, LRESULT&) { return false; }
    // Any other message (WM_INITDIALOG included, before OnInitDialog); true when handled.
    virtual bool OnMessage(UINT, WPARAM, LPARAM) { return false; }

    HWND Item(int id) const noexcept { return ::GetDlgItem(hwnd_, id); }
    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text) const { ::SetDlgItemTextA(hwnd_, id, text.c_str()); }
    void End(INT_PTR result) const { ::EndDialog(hwnd_, result); }
    // Over `over` (the owner when null; a window of another process may be named), or over the work area
    // of its (or the dialog's) monitor when it is missing, hidden or minimised; kept inside that work area.
    void CenterOverOwner(HWND over = nullptr) const;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR Attach(CDialog* self, HWND window, WPARAM wParam, LPARAM lParam);
    static INT_PTR Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool ownedByWindow_ = false;  // made by SheetPageProc: deleted with the window
};

// Moves `window` over the middle of `over` as CDialog::CenterOverOwner does (the work area when `over` is
// null, hidden or minimised), inside the work area.
void CenterWindow(HWND window, HWND over);

}  // namespace ferrow

#include "common/exception_guard.h"

#include <prsht.h>

namespace ferrow {

template <class Page, class Owner>
INT_PTR CALLBACK CDialog::SheetPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG) return Dispatch(window, message, wParam, lParam);
    return GuardedDialogCall(window, false, [&]() -> INT_PTR {
        const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
        Owner* owner = sheetPage ? reinterpret_cast<Owner*>(sheetPage->lParam) : nullptr;
        if (!owner) return FALSE;
        CDialog* page = new Page(owner);
        page->ownedByWindow_ = true;
        return Attach(page, window, wParam, lParam);
    });
}

}  // namespace ferrow

// A small modal-dialog base over a dialog template of the module's resources. The dialog object lives on
// the caller's stack for one run; its window procedure reaches it through DWLP_USER.
#pragma once

#include <windows.h>

#include <string>

namespace menu {

class CModalDialog {
public:
    explicit CModalDialog(UINT templateId) noexcept : templateId_(templateId) {}
    virtual ~CModalDialog() = default;
    CModalDialog(const CModalDialog&) = delete;
    CModalDialog& operator=(const CModalDialog&) = delete;

    // Runs the dialog; the identifier of the button that ended it (IDOK, IDCANCEL), or -1 / 0 when the
    // dialog could not be created.
    INT_PTR DoModal(HWND owner);

protected:
    // Return TRUE to let the dialog manager give the focus to the first control.
    virtual BOOL OnInitDialog() = 0;
    // A WM_COMMAND; true when handled.
    virtual bool OnCommand(WORD id, WORD code) = 0;

    HWND Window() const noexcept { return hwnd_; }
    HWND Item(int id) const noexcept { return ::GetDlgItem(hwnd_, id); }
    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text) const { ::SetDlgItemTextA(hwnd_, id, text.c_str()); }
    void End(INT_PTR result) const { ::EndDialog(hwnd_, result); }
    // Over the owner, or over the work area of the owner's (or the dialog's) monitor when the owner is
    // missing, hidden or minimised; kept inside that work area.
    void CenterOverOwner() const;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    UINT templateId_;
    HWND hwnd_ = nullptr;
};

}  // namespace menu

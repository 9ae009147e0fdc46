#include "menu/dialog_base.h"

#include "common/module_instance.h"

namespace menu {

INT_PTR CModalDialog::DoModal(HWND owner) {
    return ::DialogBoxParamA(ferrow::ModuleInstance(), MAKEINTRESOURCEA(templateId_), owner, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

std::string CModalDialog::ItemText(int id) const {
    HWND item = Item(id);
    if (!item) return std::string();
    int length = ::GetWindowTextLengthA(item);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = ::GetWindowTextA(item, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void CModalDialog::CenterOverOwner() const {
    RECT dialog;
    if (!::GetWindowRect(hwnd_, &dialog)) return;
    HWND owner = ::GetWindow(hwnd_, GW_OWNER);
    const bool useOwner = owner && ::IsWindowVisible(owner) && !::IsIconic(owner);

    HMONITOR monitor = ::MonitorFromWindow(useOwner ? owner : hwnd_, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    RECT area;
    if (monitor && ::GetMonitorInfoA(monitor, &info)) {
        area = info.rcWork;
    } else if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
        return;
    }
    RECT centre = area;
    if (useOwner) ::GetWindowRect(owner, &centre);

    const LONG width = dialog.right - dialog.left;
    const LONG height = dialog.bottom - dialog.top;
    LONG x = centre.left + ((centre.right - centre.left) - width) / 2;
    LONG y = centre.top + ((centre.bottom - centre.top) - height) / 2;
    // Keep the whole dialog on the work area, its top-left corner first.
    if (x + width > area.right) x = area.right - width;
    if (y + height > area.bottom) y = area.bottom - height;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CModalDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CModalDialog*>(lp);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        self->hwnd_ = hwnd;
        // No exception leaves a window procedure: a failure here ends the dialog as cancelled.
        try {
            return self->OnInitDialog();
        } catch (...) {
            ::EndDialog(hwnd, IDCANCEL);
            return TRUE;
        }
    }
    auto* self = reinterpret_cast<CModalDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    if (msg == WM_COMMAND) {
        try {
            return self->OnCommand(LOWORD(wp), HIWORD(wp)) ? TRUE : FALSE;
        } catch (...) {
            ::EndDialog(hwnd, IDCANCEL);
            return TRUE;
        }
    }
    return FALSE;
}

}  // namespace menu

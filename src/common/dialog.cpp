#include "common/dialog.h"

#include "common/module_instance.h"

namespace ferrow {

INT_PTR CDialog::DoModal(HWND owner) {
    modal_ = true;
    return ::DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(templateId_), owner, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

HWND CDialog::CreateChild(HWND parent) {
    modal_ = false;
    return ::CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                                reinterpret_cast<LPARAM>(this));
}

void CDialog::Detach() noexcept {
    if (hwnd_) ::SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    hwnd_ = nullptr;
}

std::string CDialog::ItemText(int id) const {
    HWND item = Item(id);
    if (!item) return std::string();
    int length = ::GetWindowTextLengthA(item);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = ::GetWindowTextA(item, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void CDialog::CenterOverOwner(HWND over) const {
    CenterWindow(hwnd_, over ? over : ::GetWindow(hwnd_, GW_OWNER));
}

void CenterWindow(HWND window, HWND over) {
    RECT dialog;
    if (!::GetWindowRect(window, &dialog)) return;
    HWND owner = over;
    const bool useOwner = owner && ::IsWindowVisible(owner) && !::IsIconic(owner);

    HMONITOR monitor = ::MonitorFromWindow(useOwner ? owner : window, MONITOR_DEFAULTTONEAREST);
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
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG) return Dispatch(window, message, wParam, lParam);
    auto* self = reinterpret_cast<CDialog*>(lParam);
    const bool modal = self && self->modal_;
    return GuardedDialogCall(window, modal, [&] { return Attach(self, window, wParam, lParam); });
}

INT_PTR CDialog::Attach(CDialog* self, HWND window, WPARAM wParam, LPARAM lParam) {
    if (!self) return FALSE;
    ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = window;
    if (self->OnMessage(WM_INITDIALOG, wParam, lParam)) return TRUE;
    return self->OnInitDialog();
}

INT_PTR CDialog::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        GuardedDialogCall(window, false, [&] { return self->Handle(message, wParam, lParam); });
        self->hwnd_ = nullptr;
        if (self->ownedByWindow_) delete self;
        return FALSE;
    }
    return GuardedDialogCall(window, self->modal_, [&] { return self->Handle(message, wParam, lParam); });
}

INT_PTR CDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        LRESULT result = 0;
        if (!header || !OnNotify(*header, result)) return FALSE;
        ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    default:
        return OnMessage(message, wParam, lParam) ? TRUE : FALSE;
    }
}

}  // namespace ferrow

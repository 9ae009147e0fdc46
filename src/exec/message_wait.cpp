#include "exec/message_wait.h"

namespace exec {
namespace {

thread_local HWND t_keyboardDialog = nullptr;

// A key message for the thread's keyboard dialog, handled as a dialog's; true when it was taken.
bool TakeDialogKey(MSG& msg) {
    HWND dialog = t_keyboardDialog;
    if (!dialog || !msg.hwnd || (msg.hwnd != dialog && !::IsChild(dialog, msg.hwnd))) return false;
    if (!::IsWindow(dialog)) {
        t_keyboardDialog = nullptr;
        return false;
    }
    // Escape is the window's Cancel or Close whichever control has the focus: a multi-line text control
    // would otherwise keep it.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    }
    return ::IsDialogMessageA(dialog, &msg) != FALSE;
}

}  // namespace

void SetKeyboardDialog(HWND dialog) { t_keyboardDialog = dialog; }

WaitResult WaitDispatching(HANDLE object, Dispatch dispatch, const std::function<bool()>& stop, DWORD pollMs) {
    const DWORD wake = dispatch == Dispatch::kAll ? QS_ALLINPUT : QS_SENDMESSAGE;
    for (;;) {
        const DWORD rc = ::MsgWaitForMultipleObjectsEx(1, &object, stop ? pollMs : INFINITE, wake,
                                                       MWMO_INPUTAVAILABLE);
        if (rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED_0) return WaitResult::kSignalled;
        if (rc == WAIT_FAILED) return WaitResult::kFailed;
        if (rc == WAIT_OBJECT_0 + 1) {
            MSG msg;
            if (dispatch == Dispatch::kSentOnly) {
                ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // delivers sent messages
            } else {
                while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                    if (msg.message == WM_QUIT) {
                        // Whoever called this wait returns; the loop of the thread ends on the repost.
                        ::PostQuitMessage(static_cast<int>(msg.wParam));
                        return WaitResult::kQuit;
                    }
                    if (TakeDialogKey(msg)) continue;
                    ::TranslateMessage(&msg);
                    ::DispatchMessageA(&msg);
                }
            }
        }
        if (stop && stop()) return WaitResult::kStopped;
    }
}

}  // namespace exec

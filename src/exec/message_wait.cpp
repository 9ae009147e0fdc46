#include "exec/message_wait.h"

namespace exec {

WaitResult WaitDispatching(HANDLE object, Dispatch dispatch, const std::function<bool()>& stop, DWORD pollMs) {
    bool quit = false;
    WPARAM quitCode = 0;
    WaitResult result = WaitResult::kFailed;
    for (;;) {
        const DWORD wake = quit ? 0 : dispatch == Dispatch::kAll ? QS_ALLINPUT : QS_SENDMESSAGE;
        const DWORD rc = ::MsgWaitForMultipleObjectsEx(1, &object, stop ? pollMs : INFINITE, wake,
                                                       MWMO_INPUTAVAILABLE);
        if (rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED_0) {
            result = WaitResult::kSignalled;
            break;
        }
        if (rc == WAIT_FAILED) break;
        if (rc == WAIT_OBJECT_0 + 1) {
            MSG msg;
            if (dispatch == Dispatch::kSentOnly) {
                ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // delivers sent messages
            } else {
                while (!quit && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                    if (msg.message == WM_QUIT) {
                        quit = true;
                        quitCode = msg.wParam;
                        break;
                    }
                    ::TranslateMessage(&msg);
                    ::DispatchMessageA(&msg);
                }
            }
        }
        if (stop && stop()) {
            result = WaitResult::kStopped;
            break;
        }
    }
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
    return result;
}

}  // namespace exec

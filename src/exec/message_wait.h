// Waiting on the thread of a window without freezing it: the wait wakes for messages and handles them
// while the awaited object is not signalled.
#pragma once

#include <windows.h>

#include <functional>

namespace exec {

enum class Dispatch {
    kSentOnly,  // only messages that other threads send to this thread's windows are answered
    kAll,       // every message is dispatched: the windows repaint and take input (callers refuse re-entry)
};

enum class WaitResult {
    kSignalled,  // the object is signalled (or an abandoned mutex)
    kStopped,    // `stop` answered true
    kQuit,       // a WM_QUIT arrived: the thread is asked to end, so nothing of it may wait on
    kFailed,
};

// Waits for `object` (a signalled or abandoned mutex counts as signalled). `stop`, when given, is asked
// after every wake-up and at least every `pollMs`; the wait ends with kStopped when it answers true. A
// WM_QUIT ends the wait at once with kQuit and is posted again, so that the loop the thread returns to
// still sees it; no message is dispatched after it. A kSentOnly wait takes no posted message and so never
// sees a WM_QUIT: it suits only short waits or waits with a `stop`.
WaitResult WaitDispatching(HANDLE object, Dispatch dispatch, const std::function<bool()>& stop = nullptr,
                           DWORD pollMs = 100);

}  // namespace exec

namespace exec {

// A modeless window of this thread whose keys the waits above handle as a dialog's (Tab, Enter, Escape as
// IDCANCEL) while it is set: the operation's output window. Null removes it. One per thread.
void SetKeyboardDialog(HWND dialog);

}  // namespace exec

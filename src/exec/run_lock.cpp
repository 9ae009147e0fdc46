#include "exec/run_lock.h"

#include <windows.h>

namespace exec_lock {
namespace {

// A mutex is recursive for its owning thread, which the nested captures rely on. Created once and kept
// for the process's life.
HANDLE Mutex() {
    static HANDLE mutex = ::CreateMutexA(nullptr, FALSE, nullptr);
    return mutex;
}

}  // namespace

// While it waits, the thread still answers messages sent to its windows: the holder may be writing to a
// console whose window belongs to this very thread (another Explorer window's operation), and a plain
// wait would leave both threads waiting for each other for ever.
void Acquire() {
    HANDLE mutex = Mutex();
    if (!mutex) return;
    for (;;) {
        const DWORD rc = ::MsgWaitForMultipleObjects(1, &mutex, FALSE, INFINITE, QS_SENDMESSAGE);
        if (rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED_0) return;
        if (rc != WAIT_OBJECT_0 + 1) {
            ::WaitForSingleObject(mutex, INFINITE);  // the wait itself failed: fall back to a plain one
            return;
        }
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // delivers sent messages
    }
}

void Release() {
    if (HANDLE mutex = Mutex()) ::ReleaseMutex(mutex);
}

}  // namespace exec_lock

// One process-wide lock for the console: an operation run by a shell handler holds it from clearing the
// console to its last line, so that two operations of two Explorer windows on different threads, which
// write to the one console of the process, never split or clear each other's output. Runs and captures need
// no lock (each thread's children get that thread's own pipes). A thread waiting for it keeps dispatching
// its messages: its windows repaint, and a holder writing to a console of the waiting thread's window never
// stalls. The holder dispatches messages too while its commands run; an operation asked for from one of
// those finds the lock held by its own thread and is refused (Scoped::Held() false). The wait is bounded,
// and a WM_QUIT ends it (posted again): an operation that cannot have the console is refused, as busy.
#pragma once

#include <windows.h>

namespace exec_lock {

// How long an operation waits for another window's operation to end before it is refused.
constexpr DWORD kLockWaitMs = 60000;

// The calling thread holds the lock: an operation of this thread is under way.
bool HeldByThisThread();

class Scoped {
public:
    // Waits for the lock, at most `boundMs`; takes nothing when the calling thread holds it already, the
    // bound passed or the thread is asked to end.
    explicit Scoped(DWORD boundMs = kLockWaitMs);
    // Releases the lock when this object took it.
    ~Scoped();
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    // False for a re-entry (the calling thread's own operation holds the lock) and for a wait that ended
    // without it.
    bool Held() const { return held_; }

private:
    bool held_ = false;
};

}  // namespace exec_lock

// One process-wide lock for everything that depends on the process's standard handles: output captures
// hold it from installation to removal and each run holds it while the command runs. So two Explorer
// windows on different threads never hand their children each other's pipes, and a child never inherits
// a pipe end that another thread is still setting up. The lock is recursive: a thread that holds it for
// its captures runs its commands under it. A thread waiting for it still answers messages sent to its
// windows, so a holder that writes to a console of the waiting thread's window does not stall.
#pragma once

namespace exec_lock {

// Both calls must come from the same thread, in pairs.
void Acquire();
void Release();

class Scoped {
public:
    Scoped() { Acquire(); }
    ~Scoped() { Release(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
};

}  // namespace exec_lock

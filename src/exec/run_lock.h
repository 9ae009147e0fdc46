// One process-wide lock for the console: an operation holds it from clearing the console to its last
// line, so that two operations of two Explorer windows on different threads, which write to the one
// console of the process, never split or clear each other's output. Runs and captures need no lock (each
// thread's children get that thread's own pipes). The lock is recursive for its holder. A thread waiting
// for it keeps dispatching its messages: its windows repaint, and a holder writing to a console of the
// waiting thread's window never stalls; the caller refuses re-entry meanwhile.
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

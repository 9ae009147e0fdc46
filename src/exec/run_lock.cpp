#include "exec/run_lock.h"

#include "exec/message_wait.h"

#include <windows.h>

#include <atomic>

namespace exec_lock {
namespace {

// Created once and kept for the process's life.
HANDLE Mutex() {
    static HANDLE mutex = ::CreateMutexA(nullptr, FALSE, nullptr);
    return mutex;
}

// The thread that holds the lock, 0 when none: a thread compares it only with its own id, which no other
// thread writes.
std::atomic<DWORD> g_holder{0};

}  // namespace

bool HeldByThisThread() { return g_holder.load() == ::GetCurrentThreadId(); }

Scoped::Scoped(DWORD boundMs) {
    if (g_holder.load() == ::GetCurrentThreadId()) return;
    HANDLE mutex = Mutex();
    if (!mutex) return;
    const DWORD start = ::GetTickCount();
    const exec::WaitResult waited = exec::WaitDispatching(mutex, exec::Dispatch::kAll, [start, boundMs] {
        return ::GetTickCount() - start >= boundMs;
    });
    if (waited != exec::WaitResult::kSignalled) return;  // the bound passed, a WM_QUIT came, or it failed
    // A message dispatched during the wait may have run a whole operation of this thread; it released.
    g_holder.store(::GetCurrentThreadId());
    held_ = true;
}

Scoped::~Scoped() {
    if (!held_) return;
    g_holder.store(0);
    if (HANDLE mutex = Mutex()) ::ReleaseMutex(mutex);
}

}  // namespace exec_lock

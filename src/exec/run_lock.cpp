#include "exec/run_lock.h"

#include "exec/message_wait.h"

#include <windows.h>

namespace exec_lock {
namespace {

// Created once and kept for the process's life.
HANDLE Mutex() {
    static HANDLE mutex = ::CreateMutexA(nullptr, FALSE, nullptr);
    return mutex;
}

}  // namespace

void Acquire() {
    HANDLE mutex = Mutex();
    if (!mutex) return;
    if (exec::WaitDispatching(mutex, exec::Dispatch::kAll) != exec::WaitResult::kSignalled)
        ::WaitForSingleObject(mutex, INFINITE);  // the wait itself failed: fall back to a plain one
}

void Release() {
    if (HANDLE mutex = Mutex()) ::ReleaseMutex(mutex);
}

}  // namespace exec_lock

#include "exec/run_lock.h"

#include <windows.h>

namespace exec_lock {
namespace {

// A critical section is recursive for its owning thread, which the nested captures rely on.
class ProcessLock {
public:
    ProcessLock() { ::InitializeCriticalSection(&section_); }
    ~ProcessLock() { ::DeleteCriticalSection(&section_); }
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;
    CRITICAL_SECTION* Get() { return &section_; }

private:
    CRITICAL_SECTION section_;
};

CRITICAL_SECTION* Section() {
    static ProcessLock lock;  // initialised once, thread-safely, at first use
    return lock.Get();
}

}  // namespace

void Acquire() { ::EnterCriticalSection(Section()); }
void Release() { ::LeaveCriticalSection(Section()); }

}  // namespace exec_lock

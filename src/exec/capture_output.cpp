#include "exec/capture_output.h"

#include "common/exception_guard.h"

namespace {

constexpr DWORD kChunkSize = 256;
// The reader looks at the pipe this often while it is empty: it never blocks in a read, so that Drain can
// tell "everything read" from "a chunk on its way" by taking the read lock.
constexpr DWORD kPollMs = 10;
// What one look at the pipe reads at most before the lock is given up again.
constexpr DWORD kReadBound = 64 * 1024;
// How long Drain waits for the reader to let go of the pipe.
constexpr DWORD kDrainLockMs = 1000;
// How long ending a capture waits for the reader to finish its look at the pipe before it cancels a read
// that waits (only a failed look at the pipe leaves the reader in one).
constexpr DWORD kReaderEndMs = 1000;
// What ending a capture reads at most on the calling thread: all that finished commands left in the pipe
// fits many times; a process that outlived them and keeps writing cannot hold the caller.
constexpr DWORD kFinalReadBound = 16 * kReadBound;

}  // namespace

CCaptureOutput::CCaptureOutput(DWORD stream) {
    if (stream != STD_OUTPUT_HANDLE && stream != STD_ERROR_HANDLE) return;
    // Neither end is inheritable (no security attributes): only the runner's copy for its own child is.
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, nullptr, 0)) return;
    read_.Reset(read);
    write_.Reset(write);
    ready_.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    wake_.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));  // auto-reset: one wake-up per End
    if (!ready_ || !wake_) return;
    thread_.Reset(::CreateThread(nullptr, 0, ReaderThread, this, 0, nullptr));
    if (!thread_) return;
    ::WaitForSingleObject(ready_.Get(), INFINITE);

    stream_ = stream;
}

CCaptureOutput::~CCaptureOutput() {
    End();
    ready_.Reset();
}

void CCaptureOutput::OnOutput(const char* bytes, DWORD count) { AppendText(bytes, count); }

void CCaptureOutput::AppendText(const char* bytes, DWORD count) {
    // Runs on the reader thread, where an exception would end the process: output that no longer fits
    // in memory is dropped, and the pipe is still drained so that the command can finish.
    ferrow::GuardedAnswer(false, [&] {
        std::lock_guard<std::mutex> guard(textLock_);
        text_.append(bytes, count);
        return true;
    });
}

std::string CCaptureOutput::GetText() {
    End();
    std::lock_guard<std::mutex> guard(textLock_);
    return text_;
}

void CCaptureOutput::End() {
    stream_ = 0;  // no run gets the write end from now on
    // Every command of the capture has ended, so all they wrote is in the pipe now: the reader stops, and
    // what it left is read here, without waiting for the pipe to break. A process that outlived its
    // command (a grandchild still holding the inherited write end) would keep it from breaking; what it
    // writes from now on is not the command's output and is dropped.
    write_.Reset();
    stop_ = true;
    if (wake_) ::SetEvent(wake_.Get());
    if (thread_) {
        if (::WaitForSingleObject(thread_.Get(), kReaderEndMs) == WAIT_TIMEOUT) {
            ::CancelSynchronousIo(thread_.Get());
            ::WaitForSingleObject(thread_.Get(), INFINITE);
        }
        thread_.Reset();
    }
    if (read_) {
        std::lock_guard<std::mutex> guard(readLock_);
        for (DWORD total = 0; total < kFinalReadBound; total += kReadBound) {
            if (ReadAvailable() != Look::kMore) break;
        }
    }
    read_.Reset();
}

DWORD WINAPI CCaptureOutput::ReaderThread(void* parameter) {
    static_cast<CCaptureOutput*>(parameter)->ReadUntilEnd();
    return 0;
}

void CCaptureOutput::Drain() {
    if (!Active()) return;
    // The reader holds the lock only while it reads what is there, unless a failed look at the pipe left
    // it in a read that waits: then the order is not worth a hang, and the reader delivers later.
    std::unique_lock<std::mutex> guard(readLock_, std::defer_lock);
    for (const DWORD start = ::GetTickCount(); !guard.try_lock();) {
        if (::GetTickCount() - start > kDrainLockMs) return;
        ::Sleep(1);
    }
    if (read_) ReadAvailable();
}

CCaptureOutput::Look CCaptureOutput::ReadAvailable() {
    char buffer[kChunkSize];
    for (DWORD total = 0; total < kReadBound;) {
        DWORD available = 0;
        DWORD got = 0;
        if (::PeekNamedPipe(read_.Get(), nullptr, 0, nullptr, &available, nullptr)) {
            if (available == 0) return Look::kEmpty;
            if (!::ReadFile(read_.Get(), buffer, available < kChunkSize ? available : kChunkSize, &got, nullptr))
                return Look::kEnded;
        } else {
            // A broken pipe may still hold the last bytes: a read takes them, or fails once nothing is left
            // (with a write end still open it would wait; End cancels such a read).
            if (!::ReadFile(read_.Get(), buffer, kChunkSize, &got, nullptr) || got == 0) return Look::kEnded;
        }
        total += got;
        // The reader thread never ends the process; what could not be kept is dropped.
        ferrow::GuardedAnswer(false, [&] {
            OnOutput(buffer, got);
            return true;
        });
    }
    return Look::kMore;
}

void CCaptureOutput::ReadUntilEnd() {
    ::SetEvent(ready_.Get());
    while (!stop_) {
        {
            std::lock_guard<std::mutex> guard(readLock_);
            if (ReadAvailable() == Look::kEnded) return;
        }
        ::WaitForSingleObject(wake_.Get(), kPollMs);
    }
}

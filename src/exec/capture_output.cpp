#include "exec/capture_output.h"

#include "exec/run_lock.h"

namespace {

constexpr DWORD kChunkSize = 256;
// How long ending a capture waits for the reader to drain the pipe before it cancels the read. Only a
// process that outlives the command (a grandchild holding the inherited write end) makes it wait.
constexpr DWORD kDrainTimeoutMs = 5000;

}  // namespace

CCaptureOutput::CCaptureOutput(DWORD stream) {
    // Taken before the pipe exists: no other thread's child can inherit an end of it while it is set up.
    exec_lock::Acquire();
    locked_ = true;

    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &inheritable, 0)) return;
    write_.Reset(write);
    // Children inherit only the write end.
    HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(process, read, process, read_.Put(), 0, FALSE,
                           DUPLICATE_CLOSE_SOURCE | DUPLICATE_SAME_ACCESS)) {
        read_.Release();
        return;
    }
    ready_.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!ready_) return;
    thread_.Reset(::CreateThread(nullptr, 0, ReaderThread, this, 0, nullptr));
    if (!thread_) return;
    ::WaitForSingleObject(ready_.Get(), INFINITE);

    saved_ = ::GetStdHandle(stream);
    if (!::SetStdHandle(stream, write_.Get())) {
        saved_ = nullptr;
        return;
    }
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
    try {
        std::lock_guard<std::mutex> guard(textLock_);
        text_.append(bytes, count);
    } catch (...) {
    }
}

std::string CCaptureOutput::GetText() {
    End();
    std::lock_guard<std::mutex> guard(textLock_);
    return text_;
}

void CCaptureOutput::End() {
    if (stream_ != 0) {
        // Also when the saved handle is none (a host without standard handles).
        ::SetStdHandle(stream_, saved_);
        stream_ = 0;
        saved_ = nullptr;
    }
    // With the last write end closed the pipe breaks once the children's copies are gone, and the reader
    // ends after it has read everything that is left.
    write_.Reset();
    if (thread_) {
        if (::WaitForSingleObject(thread_.Get(), kDrainTimeoutMs) == WAIT_TIMEOUT) {
            ::CancelSynchronousIo(thread_.Get());
            ::WaitForSingleObject(thread_.Get(), INFINITE);
        }
        thread_.Reset();
    }
    read_.Reset();
    if (locked_) {
        locked_ = false;
        exec_lock::Release();
    }
}

DWORD WINAPI CCaptureOutput::ReaderThread(void* parameter) {
    static_cast<CCaptureOutput*>(parameter)->ReadUntilEnd();
    return 0;
}

void CCaptureOutput::ReadUntilEnd() {
    ::SetEvent(ready_.Get());
    char buffer[kChunkSize];
    for (;;) {
        DWORD got = 0;
        // Any failure ends the reader: a broken pipe (every write end closed) or a cancelled read.
        if (!::ReadFile(read_.Get(), buffer, kChunkSize, &got, nullptr)) return;
        if (got == 0) {
            // A zero-length write; the pipe is still open as long as it can be peeked.
            if (!::PeekNamedPipe(read_.Get(), nullptr, 0, nullptr, nullptr, nullptr)) return;
            continue;
        }
        try {
            OnOutput(buffer, got);
        } catch (...) {
            // The reader thread never ends the process; what could not be kept is dropped.
        }
    }
}

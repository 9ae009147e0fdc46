// Capture of one standard stream of the commands of one run frame: an anonymous pipe whose write end the
// frame names to the runner (exec/process_runner.h) for each child it starts while the capture is active,
// and a reader thread that drains the read end into the capture's text. The process's own standard
// handles are never touched, and no end of the pipe is inheritable: another component of the process that
// starts a program with inherited handles cannot hand it our pipe.
//
// Contract: a capture is created, used by runs and ended on one thread (its frame's).
#pragma once

#include "common/handles.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

class CCaptureOutput {
public:
    // A capture of STD_OUTPUT_HANDLE or STD_ERROR_HANDLE. A failure is silent: the capture then receives
    // nothing and has no write end (the children get the null device instead).
    explicit CCaptureOutput(DWORD stream);
    // Ends the capture (see End) and releases everything.
    virtual ~CCaptureOutput();
    CCaptureOutput(const CCaptureOutput&) = delete;
    CCaptureOutput& operator=(const CCaptureOutput&) = delete;

    // Called for every chunk of 1 to 256 bytes, in arrival order, one at a time: on the reader thread, or
    // on the owner's thread inside Drain. The base appends the chunk to the text.
    virtual void OnOutput(const char* bytes, DWORD count);

    // Ends the capture, then returns all that was written. Ending closes the capture's own write end and
    // reads what the pipe holds, so no chunk of an ended command is lost.
    std::string GetText();

    // Closes the write end, stops the reader and hands what the
    // pipe holds now to OnOutput on the calling thread. It never waits for the pipe to break: a process
    // that outlived its command and still holds the write end costs nothing (its later output is
    // dropped). Call it once the capture's commands have ended. Idempotent. A class that overrides
    // OnOutput calls it from its own destructor, so that the reader never calls into a half-destroyed
    // object.
    void End();

    // Hands every byte that is in the pipe now to OnOutput before it returns, on the calling thread or by
    // the reader (never both for one chunk), so that what a finished command wrote is delivered before
    // anything that follows it. A no-op once the capture has ended.
    void Drain();

    // The capture was made and has not ended.
    bool Active() const { return stream_ != 0; }

    // The write end while active, otherwise null. Not inheritable: the runner makes an inheritable copy
    // for the one child it starts.
    HANDLE WriteEnd() const { return Active() ? write_.Get() : nullptr; }

protected:
    // Appends to the text under the text lock; for overrides of OnOutput.
    void AppendText(const char* bytes, DWORD count);

private:
    static DWORD WINAPI ReaderThread(void* parameter);
    void ReadUntilEnd();
    enum class Look { kEmpty, kMore, kEnded };
    // Under readLock_: reads what the pipe holds now, at most a bound, so that a writer that never stops
    // cannot keep the lock: kEmpty when it read all there was, kMore when it stopped at the bound, kEnded
    // once the pipe broke (every write end closed and nothing left) or failed.
    Look ReadAvailable();

    ferrow::UniqueKernelHandle ready_;
    ferrow::UniqueKernelHandle write_;
    ferrow::UniqueKernelHandle read_;
    ferrow::UniqueKernelHandle thread_;
    ferrow::UniqueKernelHandle wake_;   // set by End: the reader looks at the pipe at once
    std::mutex readLock_;               // held while reading the pipe and handing chunks on
    std::atomic<bool> stop_{false};     // set by End: the reader stops
    DWORD stream_ = 0;                  // the captured stream while active; 0 otherwise
    std::mutex textLock_;
    std::string text_;
};

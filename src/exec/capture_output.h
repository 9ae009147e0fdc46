// Capture of one standard stream: an anonymous pipe whose write end takes the place of the process's
// standard output or standard error while the capture is active, and a reader thread that drains the read
// end into the capture's text. Every child started meanwhile (children inherit the current standard
// handles) writes into the pipe.
//
// Contract: a capture is created and ended on the same thread, and captures of one stream end in the
// reverse order of their creation. While any capture is active its thread holds the process-wide run lock
// (exec/run_lock.h), so captures and runs of other threads wait.
#pragma once

#include "common/handles.h"

#include <windows.h>

#include <mutex>
#include <string>

class CCaptureOutput {
public:
    // Installs the capture for STD_OUTPUT_HANDLE or STD_ERROR_HANDLE. A failure is silent: the capture then
    // receives nothing and the standard handle stays as it was.
    explicit CCaptureOutput(DWORD stream);
    // Ends the capture (see End) and releases everything.
    virtual ~CCaptureOutput();
    CCaptureOutput(const CCaptureOutput&) = delete;
    CCaptureOutput& operator=(const CCaptureOutput&) = delete;

    // Called on the reader thread for every chunk of 1 to 256 bytes, in arrival order. The base appends
    // the chunk to the text.
    virtual void OnOutput(const char* bytes, DWORD count);

    // Ends the capture, then returns all that was written. Ending restores the standard handle, closes
    // the capture's own write end and lets the reader drain the pipe, so no chunk is lost; output written
    // after this goes wherever the restored handle leads.
    std::string GetText();

    // Restores the standard handle, closes the write end and waits for the reader to drain the pipe.
    // Idempotent. A class that overrides OnOutput calls it from its own destructor, so that the reader never
    // calls into a half-destroyed object.
    void End();

    // The capture took the place of its standard handle and has not ended.
    bool Active() const { return stream_ != 0; }

protected:
    // Appends to the text under the text lock; for overrides of OnOutput.
    void AppendText(const char* bytes, DWORD count);

private:
    static DWORD WINAPI ReaderThread(void* parameter);
    void ReadUntilEnd();

    ferrow::UniqueKernelHandle ready_;
    ferrow::UniqueKernelHandle write_;
    ferrow::UniqueKernelHandle read_;
    ferrow::UniqueKernelHandle thread_;
    DWORD stream_ = 0;  // the replaced stream; 0 when none is replaced
    HANDLE saved_ = nullptr;
    bool locked_ = false;  // this capture holds the run lock
    std::mutex textLock_;
    std::string text_;
};

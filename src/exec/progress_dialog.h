// The frame of one context-menu operation on one thread: captures of standard output and standard error
// for every command the thread runs meanwhile, the shell's progress window ("CVS Operation Progress", an
// animation, a Cancel button) shown from Start to Stop, and the frame of those runs (exec/process_runner.h):
// it passes each command line to the operation's echo and turns the window's Cancel, or the end of the
// owner window, into the end of the running command. Lives on the stack of the operation.
//
//   CProgressDialog progress;            // captures installed
//   progress.SetCommandEcho(echo);       // told every command line
//   if (ui) progress.Start(hwnd);        // window shown; Cancel now ends the running command
//   ... ExecuteTemplate(...) ...         // kRunCancelled once cancelled
//   if (ui) progress.Stop();             // window closed and released
//   out = progress.GetStdOutText(); err = progress.GetStdErrText();
#pragma once

#include "common/handles.h"
#include "exec/capture_output.h"
#include "exec/process_runner.h"

#include <shlobj.h>

#include <functional>
#include <string>

class CProgressDialog : private CRunFrame {
public:
    class CCaptureStdOut : public CCaptureOutput {
    public:
        CCaptureStdOut() : CCaptureOutput(STD_OUTPUT_HANDLE) {}
        ~CCaptureStdOut() override { End(); }
        void OnOutput(const char* bytes, DWORD count) override;

    private:
        friend class CProgressDialog;
        CProgressDialog* owner_ = nullptr;
    };

    class CCaptureStdErr : public CCaptureOutput {
    public:
        CCaptureStdErr() : CCaptureOutput(STD_ERROR_HANDLE) {}
        ~CCaptureStdErr() override { End(); }
        void OnOutput(const char* bytes, DWORD count) override;

    private:
        friend class CProgressDialog;
        CProgressDialog* owner_ = nullptr;
    };

    // Installs the standard-output capture, then the standard-error capture, then itself as the thread's
    // run frame.
    CProgressDialog();
    // Stops the window if needed, withdraws the frame, then ends the standard-error capture before the
    // standard-output one.
    ~CProgressDialog();
    CProgressDialog(const CProgressDialog&) = delete;
    CProgressDialog& operator=(const CProgressDialog&) = delete;

    // Called on this thread with every command line before it runs.
    void SetCommandEcho(std::function<void(const std::string&)> echo) { echo_ = std::move(echo); }

    // Creates the shell's progress object, configures it and shows its window owned by `owner`.
    // The failure of creating it or setting its title is returned; the rest is best effort.
    HRESULT Start(HWND owner);
    // Closes the window if it was shown and releases the object. S_OK.
    HRESULT Stop();

    // The captured bytes of each stream. Taking a text ends that capture (the pipe is drained first), so
    // take them after the operation's commands have run.
    std::string GetStdOutText();
    std::string GetStdErrText();

    // The progress object exists (between Start and Stop).
    bool HasProgress() const { return static_cast<bool>(progress_); }

private:
    void OnCommandLine(const std::string& line) override;
    // Cancel pressed in the shown window, or the owner window gone. Once true, stays true.
    bool CancelRequested() override;

    // Every chunk passes through here; the progress window shows none of it.
    void OnCommandOutput(const char*, DWORD) {}

    ferrow::ComPtr<IProgressDialog> progress_;
    bool shown_ = false;
    bool cancelled_ = false;
    HWND owner_ = nullptr;  // a window when Start was given one, watched for its end
    std::function<void(const std::string&)> echo_;
    CCaptureStdOut stdOut_;
    CCaptureStdErr stdErr_;
    CRunFrameScope frame_{this};
};

// The frame of one context-menu operation: captures of standard output and standard error for every
// command run meanwhile, and the shell's progress window ("CVS Operation Progress", an animation, "Cannot
// cancel this operation") shown from Start to Stop. Lives on the stack of the operation, on one thread.
//
//   CProgressDialog progress;            // captures installed
//   if (ui) progress.Start(hwnd);        // window shown
//   ... ExecuteTemplate(...) ...
//   if (ui) progress.Stop();             // window closed and released
//   out = progress.GetStdOutText(); err = progress.GetStdErrText();
#pragma once

#include "common/handles.h"
#include "exec/capture_output.h"

#include <shlobj.h>

#include <string>

class CProgressDialog {
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

    // Installs the standard-output capture, then the standard-error capture.
    CProgressDialog();
    // Stops the window if needed, then ends the standard-error capture before the standard-output one.
    ~CProgressDialog();
    CProgressDialog(const CProgressDialog&) = delete;
    CProgressDialog& operator=(const CProgressDialog&) = delete;

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
    // Every chunk passes through here; the progress window shows none of it.
    void OnCommandOutput(const char*, DWORD) {}

    ferrow::ComPtr<IProgressDialog> progress_;
    bool shown_ = false;
    CCaptureStdOut stdOut_;
    CCaptureStdErr stdErr_;
};

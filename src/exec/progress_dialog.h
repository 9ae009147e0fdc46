// The frame of one operation on one thread: captures of standard output and standard error for every
// command run with its Frame(), a window that shows the operation, and the frame of those runs
// (exec/process_runner.h): it turns the window's Cancel, or the end of the owner window, into the
// end of the running command. The window is either the shell's progress window ("CVS Operation
// Progress", an animation, a Cancel button) from Start to Stop, or the operation's own output window
// (AttachWindow). Lives on the stack of the operation.
//
// Output: each command line (as EchoText), then the chunks of both streams in the order they arrived,
// line ends made CR LF, go to the output window and the sink on this thread, while the commands run
// (whenever the thread dispatches its messages), never on a reader thread. A command's output is handed
// on before the echo of the next command; all of it once the texts are taken.
//
//   CProgressDialog progress;            // captures installed
//   progress.SetOutputSink(&sink);       // told every command line and piece of output
//   if (ui) progress.Start(hwnd);        // or AttachWindow(&window); Cancel now ends the running command
//   ... ExecuteTemplate(progress.Frame(), ...) ...   // kRunCancelled once cancelled
//   if (ui) progress.Stop();
//   out = progress.GetStdOutText(); err = progress.GetStdErrText();   // the last pieces handed on
#pragma once

#include "common/handles.h"
#include "exec/capture_output.h"
#include "exec/core/line_ends.h"
#include "exec/output_sink.h"
#include "exec/process_runner.h"

#include <shlobj.h>

#include <mutex>
#include <string>
#include <vector>

namespace exec {
class COutputWindow;
}

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

    // Makes the standard-output capture, then the standard-error capture.
    CProgressDialog();
    // Stops the window if needed, then ends the standard-error capture before the standard-output one.
    ~CProgressDialog();
    CProgressDialog(const CProgressDialog&) = delete;
    CProgressDialog& operator=(const CProgressDialog&) = delete;

    // What the operation's runs are given: their lines, output and cancel go through this object. Used on
    // this object's thread only.
    CRunFrame* Frame() { return this; }

    // The receiver of the output besides the window (the console bar's route); it must outlive the runs.
    void SetOutputSink(exec::IOutputSink* sink) { sink_ = sink; }

    // Shows the output in the operation's own window instead of the shell's progress window: the window
    // is fed, and its Cancel, or the end of its owner, ends the running command. Not owned.
    void AttachWindow(exec::COutputWindow* window);

    // Creates the shell's progress object, configures it and shows its window owned by `owner`.
    // The failure of creating it or setting its title is returned; the rest is best effort.
    HRESULT Start(HWND owner);
    // Closes the window if it was shown and releases the object. S_OK.
    HRESULT Stop();

    // The captured bytes of each stream. Taking a text ends that capture (the pipe is drained first) and
    // hands on what is left, so take them after the operation's commands have run.
    std::string GetStdOutText();
    std::string GetStdErrText();

    // The progress object exists (between Start and Stop).
    bool HasProgress() const { return static_cast<bool>(progress_); }

private:
    struct Piece {
        exec::OutputKind kind;
        std::string text;
    };

    void OnCommandLine(const std::string& line) override;
    // Cancel pressed in the shown window, or the owner window gone. Once true, stays true.
    bool CancelRequested() override;
    HANDLE OutputEnd(DWORD stream) override;

    // A chunk from a reader thread (or from Drain on this thread): queued, and this thread woken once.
    void OnCommandOutput(exec::OutputKind kind, const char* bytes, DWORD count);
    // On this thread: everything queued goes to the window and the sink.
    void Deliver();
    void Hand(exec::OutputKind kind, const std::string& text);
    static LRESULT CALLBACK PumpProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);

    ferrow::ComPtr<IProgressDialog> progress_;
    bool shown_ = false;
    bool cancelled_ = false;
    HWND owner_ = nullptr;  // a window when Start was given one, watched for its end
    exec::COutputWindow* window_ = nullptr;
    exec::IOutputSink* sink_ = nullptr;
    HWND pump_ = nullptr;   // a message-only window of this thread that the readers wake
    std::mutex queueLock_;
    std::vector<Piece> queue_;
    bool woken_ = false;    // a wake-up is on its way
    bool delivering_ = false;
    exec::LineEndStream outEnds_;
    exec::LineEndStream errEnds_;
    CCaptureStdOut stdOut_;
    CCaptureStdErr stdErr_;
};

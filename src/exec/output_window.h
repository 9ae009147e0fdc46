// The output of one operation in a window of its own: a resizable top-level window owned by the invoking
// window, titled with the operation and the folder. It shows each command line, standard output and
// standard error (in colours of their own) as they arrive, a running indicator and, at the end, the result
// line. Its one button is Cancel while the commands run (CProgressDialog then ends the running process
// tree) and OK afterwards; Escape and the close box do the same.
//
// A command that has written nothing for a while (kSilenceNoticeMs) may be waiting for input that it
// cannot get here (a console read on the hidden console): the window then says so, and that Cancel ends it.
//
// Threading: everything runs on the operation's thread, which dispatches the window's messages while it
// waits for a command (exec/message_wait.h) and in WaitUntilClosed. The window never outlives the object.
//
//   exec::COutputWindow window;
//   if (window.Open(hwnd, title)) progress.AttachWindow(&window);   // output and Cancel from here on
//   ... run ...
//   window.Finish(exec::COutputWindow::Result::kFailed, "failed\r\n");
//   window.WaitUntilClosed();
#pragma once

#include "common/dialog.h"
#include "common/handles.h"
#include "exec/output_sink.h"

#include <windows.h>

#include <string>

namespace exec {

// How long a running command may be silent before the window says that it may be waiting for input.
constexpr DWORD kSilenceNoticeMs = 10000;

class COutputWindow : public IOutputSink, private ferrow::CDialog {
public:
    enum class Result { kSucceeded, kFailed, kCancelled };

    COutputWindow();
    ~COutputWindow();
    COutputWindow(const COutputWindow&) = delete;
    COutputWindow& operator=(const COutputWindow&) = delete;

    // Creates and shows the window owned by `owner` (may be null) with the given title, running. False
    // when it cannot be made (the rich text control missing, no resources): the caller shows output as
    // without it.
    // `silenceMs`: how long the commands may write nothing before the notice (tests shorten it).
    bool Open(HWND owner, const std::string& title, DWORD silenceMs = kSilenceNoticeMs);
    // The window exists (not closed by the user, not gone with its owner).
    bool IsOpen() const { return Window() != nullptr; }
    HWND Handle() const { return Window(); }
    HWND Owner() const { return owner_; }

    // Appends at the end of the text; scrolls along unless the user scrolled away from the end, and keeps
    // the user's selection.
    void OnOutput(OutputKind kind, const std::string& text) override;

    // Cancel, Escape or the close box while running. Once true, stays true.
    bool CancelRequested() const { return cancelRequested_; }

    // The commands ended: appends the result line (bold), stops the indicator, shows what happened under
    // the text and makes the button OK.
    void Finish(Result result, const std::string& resultLine);

    // Waits, answering this thread's messages, until the window is closed: OK, Escape, the close box or the
    // end of its owner. A WM_QUIT closes the window and ends the wait (the quit is posted again).
    void WaitUntilClosed();
    // Closes it at once (after a success when the setting says so).
    void Close();
    // Brings the window to the front (an operation was asked for while this one's window is open).
    void Attention();

    // The window of an operation that runs or waits on this thread, or null.
    static COutputWindow* OfThisThread();

private:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Layout();
    void Append(const std::string& text, COLORREF colour, bool bold);
    void CheckSilence();

    ferrow::UniqueLibrary richEdit_;
    ferrow::UniqueKernelHandle closed_;  // set when the window goes
    HWND owner_ = nullptr;
    bool running_ = false;
    bool cancelRequested_ = false;
    DWORD silenceMs_ = kSilenceNoticeMs;
    DWORD lastOutput_ = 0;               // GetTickCount of the last output, or of the start
    bool silenceShown_ = false;          // the notice stands for the current silence
    COutputWindow* outer_ = nullptr;     // the thread's window before this one
    POINT minimum_ = {};                 // the smallest window size, the template's
};

}  // namespace exec

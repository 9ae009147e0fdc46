// What a command that waits for input, or a thread asked to end, does to the window thread: a console read
// ends at once, a silent command is reported by the output window and ended by its Cancel; ssh's prompt reaches Ferrow.exe's dialog
// through the runner's environment; WM_QUIT ends every wait; a process that outlives its command does not
// hold the final reads of its output.
#include "common/module_instance.h"
#include "exec/exec_support.h"
#include "exec/output_window.h"
#include "exec/process_runner.h"
#include "exec/progress_dialog.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

using exec_test::StubClient;
using exec_test::TempFolder;

namespace {

// Far beyond any of these cases' real time, far below "forever": a bound, not a timing assertion.
constexpr DWORD kBoundMs = 8000;

std::string TextOf(HWND window) {
    const int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(window, &text[0], length + 1)));
    return text;
}

// Calls `until` every 20 ms on a thread of its own until it answers true or the bound passes; then runs
// `then` once. The test's thread meanwhile waits in the code under test.
class Watcher {
public:
    Watcher(std::function<bool()> until, std::function<void()> then)
        : thread_([this, until, then] {
              for (const DWORD start = ::GetTickCount(); !stop_ && ::GetTickCount() - start < kBoundMs; ::Sleep(20)) {
                  if (until()) {
                      seen_ = true;
                      then();
                      return;
                  }
              }
          }) {}
    ~Watcher() {
        stop_ = true;
        thread_.join();
    }
    bool Seen() const { return seen_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> seen_{false};
    std::thread thread_;
};

TEST(UnseenInput, AConsoleReadEndsAtOnceAndTheStreamsStillReachThePipes) {
    // The stand-in reads a key from the console its run has, as the client's password prompt does: nobody
    // can answer there, so the read must end at once (the console's input is at its end), and what the
    // interpreter and the program write still arrives in the captures.
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("CVSSTUB_WAIT", "console");
    stub.Env().Set("CVSSTUB_STDERR", "to stderr\\n");
    CProgressDialog progress;
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(S_OK, RunInDirectory(progress.Frame(), scratch.Path(), "echo from the interpreter & $(CVS) login"));
    EXPECT_LT(::GetTickCount() - start, kBoundMs);  // without an end of input: until the run's limit
    EXPECT_EQ("from the interpreter \r\nconsole: 26\n", progress.GetStdOutText());
    EXPECT_EQ("to stderr\n", progress.GetStdErrText());
}

TEST(UnseenInput, ASilentCommandIsReportedByTheWindowAndEndedByItsCancel) {
    // A command that writes nothing for a while may wait for something it cannot get here (an input of
    // its own, a server): the window says so (after a shortened silence) and its Cancel ends the tree.
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("CVSSTUB_WAIT", "forever");
    exec::COutputWindow window;
    ASSERT_TRUE(window.Open(nullptr, "silent command", 300));
    HWND text = ::GetDlgItem(window.Handle(), IDC_OUTPUT_TEXT);
    HWND status = ::GetDlgItem(window.Handle(), IDC_OUTPUT_STATUS);
    const std::string notice = ferrow::LoadResString(IDS_OUTPUT_SILENT);
    std::atomic<bool> noticeShown{false};
    std::string statusText;
    HRESULT hr = E_PENDING;
    DWORD elapsed = 0;
    {
        CProgressDialog progress;
        progress.AttachWindow(&window);
        Watcher cancel(
            [&] { return TextOf(text).find(notice.substr(0, 20)) != std::string::npos; },
            [&] {
                noticeShown = true;
                statusText = TextOf(status);
                ::PostMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            });
        const DWORD start = ::GetTickCount();
        hr = RunInDirectory(progress.Frame(), scratch.Path(), "$(CVS) login");
        elapsed = ::GetTickCount() - start;
    }
    EXPECT_TRUE(noticeShown);
    EXPECT_EQ(ferrow::LoadResString(IDS_OUTPUT_SILENT_STATUS), statusText);
    EXPECT_EQ(kRunCancelled, hr);
    EXPECT_LT(elapsed, kBoundMs);
    window.Close();
}

// The first visible window of another process titled `title`.
HWND FindPrompt(const std::string& title) {
    HWND found = ::FindWindowA(nullptr, title.c_str());
    return found && ::IsWindowVisible(found) ? found : nullptr;
}

TEST(UnseenInput, SshAsksThroughFerrowsDialog) {
    // The stand-in does what ssh does with SSH_ASKPASS: the prompt as the one argument, the answer read from
    // the program's standard output, its exit code a refusal. The runner's environment routes it to
    // Ferrow.exe beside the module, which must recognise the call without a /command.
    const std::string title = ferrow::LoadResString(IDS_ASKPASS_TITLE);
    const struct {
        const char* name;
        int button;
        const char* answer;
        const char* stdoutText;
    } cases[] = {
        {"OK gives the answer and a line feed", IDOK, "s3cret pass", "askpass: [s3cret pass\n] exit 0\n"},
        {"Cancel gives nothing and fails", IDCANCEL, "typed", "askpass: [] exit 1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder scratch;
        StubClient stub(scratch);
        stub.Env().Set("CVSSTUB_ASKPASS", "anon@example.invalid's password:");
        std::string prompt;
        Watcher answer([&] { return FindPrompt(title) != nullptr; },
                       [&] {
                           HWND dialog = FindPrompt(title);
                           char shown[256] = {};
                           ::GetDlgItemTextA(dialog, IDC_ASKPASS_PROMPT, shown, sizeof shown);
                           prompt = shown;
                           ::SetDlgItemTextA(dialog, IDC_ASKPASS_ANSWER, c.answer);
                           ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED), 0);
                       });
        CProgressDialog progress;
        EXPECT_EQ(S_OK, RunInDirectory(progress.Frame(), scratch.Path(), "$(CVS) update"));
        EXPECT_EQ(c.stdoutText, progress.GetStdOutText());
        EXPECT_EQ("anon@example.invalid's password:", prompt);
    }
}

TEST(UnseenInput, QuitEndsTheRunAndTheWindowsWaitAndIsPostedAgain) {
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("CVSSTUB_WAIT", "forever");
    const DWORD self = ::GetCurrentThreadId();
    auto quit = [self] { ::PostThreadMessageA(self, WM_QUIT, 7, 0); };
    auto takeQuit = [] {
        MSG msg;
        return ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? static_cast<int>(msg.wParam) : -1;
    };

    // During a run: the tree ends, the run says cancelled.
    {
        exec::COutputWindow window;
        ASSERT_TRUE(window.Open(nullptr, "quit during a run"));
        CProgressDialog progress;
        progress.AttachWindow(&window);
        Watcher poster([&] { return !stub.Calls().empty(); }, quit);
        EXPECT_EQ(kRunCancelled, RunInDirectory(progress.Frame(), scratch.Path(), "$(CVS) update"));
        EXPECT_EQ(7, takeQuit());

        // While the window waits to be closed: the wait ends and the window goes.
        window.Finish(exec::COutputWindow::Result::kCancelled, "cancelled\r\n");
        Watcher again([] { return true; }, quit);
        window.WaitUntilClosed();
        EXPECT_FALSE(window.IsOpen());
        EXPECT_EQ(7, takeQuit());
    }
}

TEST(UnseenInput, AProcessOutlivingItsCommandDoesNotHoldTheFinalReads) {
    // The stand-in ends at once but leaves a copy holding the pipes for seconds: what the command wrote is
    // all there, and taking it does not wait for the copy.
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("CVSSTUB_WAIT", "orphan");
    stub.Env().Set("CVSSTUB_STDOUT", "U a.c\\n");
    stub.Env().Set("CVSSTUB_STDERR", "cvs update: done\\n");
    CProgressDialog progress;
    EXPECT_EQ(S_OK, RunInDirectory(progress.Frame(), scratch.Path(), "$(CVS) update"));
    const DWORD start = ::GetTickCount();
    EXPECT_EQ("cvs update: done\n", progress.GetStdErrText());
    EXPECT_EQ("U a.c\n", progress.GetStdOutText());
    EXPECT_LT(::GetTickCount() - start, 2000u);  // the copy holds the pipes for 4 s
}

}  // namespace

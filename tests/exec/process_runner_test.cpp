#include "exec/command_line.h"
#include "exec/exec_support.h"
#include "exec/process_runner.h"
#include "exec/progress_dialog.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using exec_test::EnvironmentGuard;
using exec_test::MakeWorkingFolder;
using exec_test::StubClient;
using exec_test::StubPath;
using exec_test::TempFolder;

namespace {

TEST(ProcessRunner, RunsTheClientThroughTheInterpreterInTheFolder) {
    TempFolder scratch;
    StubClient stub(scratch);
    const std::string wc = scratch / "work";
    MakeWorkingFolder(wc, {"a.c"});
    EXPECT_EQ(S_OK, RunInDirectory(nullptr, wc, "$(CVS) -q update -d -P  a.c"));
    auto calls = stub.Calls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(wc, calls[0].folder);
    EXPECT_EQ("-q update -d -P  a.c", calls[0].arguments);
}

TEST(ProcessRunner, ClientDefaultsToCvsOnThePath) {
    TempFolder scratch;
    StubClient stub(scratch);
    testing_support::SettingsGuard::Clear();  // no Tools key at all
    const std::string bin = scratch / "bin";
    ::CreateDirectoryA(bin.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileA(StubPath().c_str(), (bin + "\\cvs.exe").c_str(), FALSE));
    char path[32768] = {};
    ::GetEnvironmentVariableA("PATH", path, sizeof path);
    stub.Env().Set("PATH", bin + ";" + path);

    EXPECT_EQ(S_OK, RunInDirectory(nullptr, scratch.Path(), "$(CVS) -q update -d -P  a.c"));
    auto calls = stub.Calls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("-q update -d -P  a.c", calls[0].arguments);
}

TEST(ProcessRunner, EnvironmentReferencesExpandAfterTheClientIsInserted) {
    TempFolder scratch;
    StubClient stub(scratch);
    std::string folder = StubPath().substr(0, StubPath().rfind('\\'));
    const std::string setting = "%FERROW_STUB_DIR%\\cvsstub.exe";
    ASSERT_TRUE(testing_support::SetRawValue("Software\\Pembrake\\Ferrow\\Tools", "Cvs", REG_EXPAND_SZ,
                                             setting.c_str(), static_cast<DWORD>(setting.size() + 1)));
    stub.Env().Set("FERROW_STUB_DIR", folder);
    stub.Env().Set("FERROW_MSG", "hello");
    EXPECT_EQ(S_OK, RunInDirectory(nullptr, scratch.Path(), "$(CVS) commit -m %FERROW_MSG% 50% %FERROW_UNSET_VAR%"));
    auto calls = stub.Calls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("commit -m hello 50% %FERROW_UNSET_VAR%", calls[0].arguments);
}

TEST(ProcessRunner, ExitCodesMapToResults) {
    const struct {
        const char* exitCode;
        const char* stderrText;
        HRESULT result;
    } cases[] = {
        {"0", nullptr, S_OK},
        {"0", "warning only", S_OK},
        {"1", nullptr, E_FAIL},
        {"2", "cvs [update aborted]", E_FAIL},
        {"255", nullptr, E_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exitCode);
        TempFolder scratch;
        StubClient stub(scratch);
        stub.Env().Set("CVSSTUB_EXIT", c.exitCode);
        stub.Env().Set("CVSSTUB_STDERR", c.stderrText);
        EXPECT_EQ(c.result, RunInDirectory(nullptr, scratch.Path(), "$(CVS) status"));
        EXPECT_EQ(1u, stub.Calls().size());
    }
}

TEST(ProcessRunner, MissingComspecRunsNothingButTheFrameHearsTheLine) {
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("COMSPEC", nullptr);
    struct Echoes : exec::IOutputSink {
        std::vector<std::string> lines;
        void OnOutput(exec::OutputKind kind, const std::string& text) override {
            if (kind == exec::OutputKind::kCommand) lines.push_back(text);
        }
    } echoes;
    CProgressDialog frame;
    frame.SetOutputSink(&echoes);
    EXPECT_EQ(E_FAIL, RunInDirectory(frame.Frame(), scratch.Path(), "$(CVS) update"));
    EXPECT_TRUE(stub.Calls().empty());
    EXPECT_EQ(std::vector<std::string>{">" + StubPath() + " update\r\n"}, echoes.lines);
}

TEST(ProcessRunner, CommandReadingItsInputGetsTheNullDevice) {
    // An empty input that ends, not a missing one: a client asking for a password gives up at once.
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("CVSSTUB_WAIT", "stdin");
    CProgressDialog progress;
    EXPECT_EQ(S_OK, RunInDirectory(progress.Frame(), scratch.Path(), "$(CVS) login"));
    EXPECT_EQ("stdin: end\n", progress.GetStdOutText());
}

TEST(ProcessRunner, ARunInheritsNothingOfTheRestOfTheProcess) {
    // A pipe of another component, inheritable: a command that inherited its write end would keep it open.
    // Wine's pseudo console host (not Windows', which is given a list) inherits every inheritable handle
    // of the process while the run's console lives: there the pipe breaks when the run ends, never later.
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("CVSSTUB_SLEEP_MS", "1500");
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(::CreatePipe(&read, &write, &inheritable, 0));
    std::thread run([&] { RunInDirectory(nullptr, scratch.Path(), "$(CVS) update"); });
    ::Sleep(500);
    ::CloseHandle(write);
    const DWORD start = ::GetTickCount();
    char byte;
    DWORD got = 0;
    EXPECT_FALSE(::ReadFile(read, &byte, 1, &got, nullptr));  // broken at once: no other write end
    EXPECT_LT(::GetTickCount() - start, testing_support::UnderWine() ? 2500u : 500u);
    run.join();
    ::CloseHandle(read);
}

TEST(ProcessRunner, ChildOfAnotherThreadInheritsNothingOfARun) {
    // Another component of the process starts a program that inherits all inheritable handles while an
    // operation runs: the operation still ends with its own command, and nobody sees its pipes.
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("CVSSTUB_SLEEP_MS", "800");
    stub.Env().Set("CVSSTUB_STDOUT", "mine\n");
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    std::atomic<bool> handlesKept{true};
    PROCESS_INFORMATION other = {};
    std::thread stranger([&] {
        ::Sleep(300);
        handlesKept = ::GetStdHandle(STD_OUTPUT_HANDLE) == out && ::GetStdHandle(STD_ERROR_HANDLE) == err;
        exec_test::EnvironmentGuard env;
        env.Set("CVSSTUB_WAIT", "forever");
        env.Set("CVSSTUB_SLEEP_MS", nullptr);
        env.Set("CVSSTUB_STDOUT", nullptr);
        std::string line = "\"" + StubPath() + "\" stranger";
        STARTUPINFOA startup = {sizeof startup};
        ::CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &other);
    });
    const DWORD start = ::GetTickCount();
    HRESULT hr;
    std::string text;
    {
        CProgressDialog progress;
        hr = RunInDirectory(progress.Frame(), scratch.Path(), "$(CVS) update");
        text = progress.GetStdOutText();
    }
    const DWORD elapsed = ::GetTickCount() - start;
    stranger.join();
    ASSERT_NE(nullptr, other.hProcess) << "the other program did not start";
    ::TerminateProcess(other.hProcess, 0);
    ::CloseHandle(other.hProcess);
    ::CloseHandle(other.hThread);
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ("mine\n", text);
    EXPECT_LT(elapsed, 3000u);  // the other program never ends; holding our pipe it would keep us waiting
    EXPECT_TRUE(handlesKept);
    EXPECT_EQ(out, ::GetStdHandle(STD_OUTPUT_HANDLE));
}

TEST(ProcessRunner, StartFailuresGiveTheSystemError) {
    TempFolder scratch;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
              RunProcess(nullptr, scratch / "no-such-interpreter.exe", "x /S /C echo", scratch.Path()));
    EnvironmentGuard env;
    env.Set("COMSPEC", scratch / "no-such-interpreter.exe");
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), RunInDirectory(nullptr, scratch.Path(), "echo"));
}

TEST(ProcessRunner, PerFolderRunsStopAtTheFirstFailingFolder) {
    TempFolder scratch;
    StubClient stub(scratch);
    const std::string root = scratch / "proj";
    ::CreateDirectoryA(root.c_str(), nullptr);
    MakeWorkingFolder(root + "\\one", {"a.c"});
    MakeWorkingFolder(root + "\\two", {"b.c"});
    EXPECT_EQ(S_OK, ExecuteTemplate(nullptr, "$(CVS) -q update -d -P $(Names)", {root + "\\one", root + "\\two"}));
    auto calls = stub.Calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(root + "\\one", calls[0].folder);
    EXPECT_EQ("-q update -d -P .", calls[0].arguments);
    EXPECT_EQ(root + "\\two", calls[1].folder);

    stub.Env().Set("CVSSTUB_EXIT", "1");
    EXPECT_EQ(E_FAIL, ExecuteTemplate(nullptr, "$(CVS) -q update -d -P $(Names)", {root + "\\one", root + "\\two"}));
    EXPECT_EQ(3u, stub.Calls().size());
}

TEST(ProcessRunner, ExpandEnvironmentTable) {
    EnvironmentGuard env;
    env.Set("FERROW_X", "value");
    const struct {
        std::string text;
        std::string expanded;
    } cases[] = {
        {"%FERROW_X%", "value"},
        {"a%FERROW_X%b%FERROW_X%", "avaluebvalue"},
        {"%FERROW_NOT_SET%", "%FERROW_NOT_SET%"},
        {"50%", "50%"},
        {"", ""},
        {"%%", "%%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        EXPECT_EQ(S_OK, ExpandEnvironment(text));
        EXPECT_EQ(c.expanded, text);
    }
}

}  // namespace

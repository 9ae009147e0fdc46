#include "exec/command_line.h"
#include "exec/exec_support.h"
#include "exec/process_runner.h"

#include <gtest/gtest.h>

#include <string>
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
    EXPECT_EQ(S_OK, RunInDirectory(wc, "$(CVS) -q update -d -P  a.c"));
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

    EXPECT_EQ(S_OK, RunInDirectory(scratch.Path(), "$(CVS) -q update -d -P  a.c"));
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
    EXPECT_EQ(S_OK, RunInDirectory(scratch.Path(), "$(CVS) commit -m %FERROW_MSG% 50% %FERROW_UNSET_VAR%"));
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
        EXPECT_EQ(c.result, RunInDirectory(scratch.Path(), "$(CVS) status"));
        EXPECT_EQ(1u, stub.Calls().size());
    }
}

TEST(ProcessRunner, MissingComspecRunsNothing) {
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("COMSPEC", nullptr);
    EXPECT_EQ(E_FAIL, RunInDirectory(scratch.Path(), "$(CVS) update"));
    EXPECT_TRUE(stub.Calls().empty());
}

TEST(ProcessRunner, StartFailuresGiveTheSystemError) {
    TempFolder scratch;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
              RunProcess(scratch / "no-such-interpreter.exe", "x /S /C echo", scratch.Path()));
    EnvironmentGuard env;
    env.Set("COMSPEC", scratch / "no-such-interpreter.exe");
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), RunInDirectory(scratch.Path(), "echo"));
}

TEST(ProcessRunner, PerFolderRunsStopAtTheFirstFailingFolder) {
    TempFolder scratch;
    StubClient stub(scratch);
    const std::string root = scratch / "proj";
    ::CreateDirectoryA(root.c_str(), nullptr);
    MakeWorkingFolder(root + "\\one", {"a.c"});
    MakeWorkingFolder(root + "\\two", {"b.c"});
    EXPECT_EQ(S_OK, ExecuteTemplate("$(CVS) -q update -d -P $(Names)", {root + "\\one", root + "\\two"}));
    auto calls = stub.Calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(root + "\\one", calls[0].folder);
    EXPECT_EQ("-q update -d -P .", calls[0].arguments);
    EXPECT_EQ(root + "\\two", calls[1].folder);

    stub.Env().Set("CVSSTUB_EXIT", "1");
    EXPECT_EQ(E_FAIL, ExecuteTemplate("$(CVS) -q update -d -P $(Names)", {root + "\\one", root + "\\two"}));
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

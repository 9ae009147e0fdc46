// The external diff and view tools: the fetch of old revisions and the tool command lines, with blanks in
// the working copy's path and in the temporary folder. The stand-in plays the client and the tools.
#include "exec/exec_support.h"
#include "exec/tools.h"
#include "menu/menu_support.h"
#include "model/admin_files.h"
#include "settings/settings_store.h"
#include "support/fixtures.h"
#include "support/window_driver.h"

#include <gtest/gtest.h>

using exec_test::StubCall;
using exec_test::StubPath;

namespace {

struct ToolsFixture {
    exec_test::TempFolder scratch{"menu-tools"};
    exec_test::StubClient stub{scratch};
    std::string wc = scratch / "my wc";
    std::string temp = scratch / "tmp dir";
    ToolsFixture() {
        testing_support::CopyTree(testing_support::SampleFixture("wc"), wc);
        ::CreateDirectoryA(temp.c_str(), nullptr);
        stub.Env().Set("TMP", temp);
        stub.Env().Set("TEMP", temp);
        stub.Env().Set("CVSSTUB_STDOUT", "revision {args}\\n");
        settings::SetTool("Diff", StubPath() + " $(OldFile) $(NewFile)");
        settings::SetTool("View", StubPath() + " view $(File)");
    }
    std::string operator/(const char* name) const { return wc + "\\" + name; }
    // The calls once `count` have been logged (the tools start without being waited for).
    std::vector<StubCall> WaitForCalls(size_t count) {
        std::vector<StubCall> calls;
        for (int i = 0; i < 300; ++i) {
            calls = stub.Calls();
            if (calls.size() >= count) break;
            ::Sleep(20);
        }
        return calls;
    }
};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

TEST(Tools, RevisionFileNameInTheTemporaryFolder) {
    ToolsFixture f;
    std::string name;
    ASSERT_TRUE(MakeRevisionFileName(f / "modified.c", "1.5", name));
    EXPECT_EQ(f.temp + "\\modified.c_1.5", name);
}

TEST(Tools, DiffItemComparesTheBaseRevisionWithTheWorkingFile) {
    ToolsFixture f;
    CCVSEntry entry;
    ASSERT_TRUE(FindEntry((f / "modified.c").c_str(), entry));
    auto handler = menu_test::MakeHandler({f / "modified.c"});
    EXPECT_EQ(S_OK, menu_test::Invoke(handler.Get(), 2, 0));
    std::vector<StubCall> calls = f.WaitForCalls(2);
    ASSERT_EQ(2u, calls.size());
    // The command interpreter hands the client the blank before "> file".
    EXPECT_EQ(f.wc, calls[0].folder);
    EXPECT_EQ("-q update -p -r " + entry.Revision + "  modified.c ", calls[0].arguments);
    const std::string revisionFile = f.temp + "\\modified.c_" + entry.Revision;
    EXPECT_EQ(Quoted(revisionFile) + " " + Quoted(f / "modified.c"), calls[1].arguments);
    EXPECT_EQ("revision -q update -p -r " + entry.Revision + "  modified.c \n",
              exec_test::ReadTextFile(revisionFile));
}

TEST(Tools, CompareTwoGivenRevisions) {
    ToolsFixture f;
    CompareRevisions(f / "unchanged.txt", "1.3", "1.5");
    std::vector<StubCall> calls = f.WaitForCalls(3);
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ("-q update -p -r 1.3  unchanged.txt ", calls[0].arguments);
    EXPECT_EQ("-q update -p -r 1.5  unchanged.txt ", calls[1].arguments);
    EXPECT_EQ(Quoted(f.temp + "\\unchanged.txt_1.3") + " " + Quoted(f.temp + "\\unchanged.txt_1.5"),
              calls[2].arguments);
}

TEST(Tools, RemovedFileComparesItsRevisionWithoutTheMinus) {
    ToolsFixture f;
    CCVSEntry entry;
    ASSERT_TRUE(FindEntry((f / "removed.txt").c_str(), entry));
    ASSERT_EQ('-', entry.Revision[0]);
    CompareRevisions(f / "removed.txt", nullptr, nullptr);
    std::vector<StubCall> calls = f.WaitForCalls(2);
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("-q update -p -r " + entry.Revision.substr(1) + "  removed.txt ", calls[0].arguments);
}

TEST(Tools, ViewFetchesAndStartsTheViewer) {
    ToolsFixture f;
    ViewRevision(f / "unchanged.txt", "1.1");
    std::vector<StubCall> calls = f.WaitForCalls(2);
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(f.wc, calls[0].folder);
    EXPECT_EQ("-q update -p -r 1.1  unchanged.txt ", calls[0].arguments);
    EXPECT_EQ("view " + Quoted(f.temp + "\\unchanged.txt_1.1"), calls[1].arguments);
}

TEST(Tools, SilentStops) {
    ToolsFixture f;
    // No entry and no revision given: nothing at all.
    CompareRevisions(f / "unlisted.txt", nullptr, nullptr);
    // A failing fetch starts no tool.
    f.stub.Env().Set("CVSSTUB_EXIT", "1");
    ViewRevision(f / "unchanged.txt", "1.1");
    CompareRevisions(f / "unchanged.txt", "1.1", nullptr);
    ::Sleep(300);
    std::vector<StubCall> calls = f.stub.Calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("-q update -p -r 1.1  unchanged.txt ", calls[0].arguments);
    EXPECT_EQ("-q update -p -r 1.1  unchanged.txt ", calls[1].arguments);
}

TEST(Tools, ToolSettingsExpandButFileNamesStayAsTheyAre) {
    ToolsFixture f;
    const std::string folder = StubPath().substr(0, StubPath().rfind('\\'));
    f.stub.Env().Set("FERROW_TOOL_DIR", folder);
    settings::SetTool("Diff", "%FERROW_TOOL_DIR%\\cvsstub.exe $(OldFile) $(NewFile)");
    settings::SetTool("View", "%FERROW_TOOL_DIR%\\cvsstub.exe $(File)");
    std::string command;
    ASSERT_TRUE(MakeDiffCommand("C:\\t\\%FERROW_TOOL_DIR%.c_1.1", "50% of it.c", command));
    EXPECT_EQ(StubPath() + " C:\\t\\%FERROW_TOOL_DIR%.c_1.1 \"50% of it.c\"", command);
    ASSERT_TRUE(MakeViewCommand("%PATH%", command));
    EXPECT_EQ(StubPath() + " %PATH%", command);
}

// A diff program that cannot be started is told (a message naming the command), not passed over in
// silence (the program's Diff runs this route; the menu item only starts the program).
TEST(Tools, DiffReportsAToolThatCannotStart) {
    ToolsFixture f;
    for (const char* tool : {"Z:\\nonexistent\\differ.exe $(OldFile) $(NewFile)", ""}) {
        SCOPED_TRACE(tool);
        settings::SetTool("Diff", tool);
        std::string message;
        testing_support::WindowDriver driver("Ferrow Diff", [&](HWND box) {
            message = testing_support::MessageBoxText(box);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        CompareRevisions(f / "modified.c", nullptr, nullptr);
        ASSERT_TRUE(driver.Found());
        if (*tool) {
            EXPECT_NE(std::string::npos, message.find("Z:\\nonexistent\\differ.exe")) << message;
        }
    }
    std::string command = "marker";
    ASSERT_TRUE(MakeDiffCommand("a b", "c", command));
    EXPECT_EQ("", command);
}

}  // namespace

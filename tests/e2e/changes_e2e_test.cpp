// The changes list, the commit dialog and Check for modifications on a real repository with the Windows
// client: what the list shows after local changes, a commit of only the chosen files (an unversioned
// binary file added with -kb on the way), and what "Check repository" reports after another working copy
// committed.
#include "e2e/e2e_support.h"

#include "changes/change_scan.h"
#include "changes/check_window.h"
#include "changes/commit_dialog.h"
#include "common/module_instance.h"
#include "exec/command_line.h"
#include "exec/progress_dialog.h"
#include "ops/message_file.h"
#include "resources/resource.h"
#include "support/fixtures.h"
#include "support/settings_guard.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <map>

namespace {

using changes::ChangeItem;
using e2e::EditFile;

void Cvs(const std::string& folder, const std::string& arguments) {
    const e2e::CvsRun run = e2e::RunCvs(folder, arguments);
    ASSERT_EQ(0u, run.exitCode) << "cvs " << arguments << "\n" << run.err;
}

// A repository of its own, made with add and commit (not import), and working copies of it.
class Changes : public ::testing::Test {
protected:
    testing_support::SettingsGuard settings_;
    testing_support::TempDir dir_{"ferrow-changes-e2e"};
    std::string root_;
    int copies_ = 0;

    void SetUp() override {
        std::string repo = dir_ / "repo";
        root_ = ":local:" + repo;
        for (char& c : root_) c = c == '\\' ? '/' : c;
        Cvs(dir_.Path(), "-d " + root_ + " init");
        ::CreateDirectoryA((repo + "\\proj").c_str(), nullptr);
        const std::string wc = Checkout();
        for (const char* name : {"a.txt", "b.txt", "c.txt", "hist.c"}) EditFile(wc + "\\" + name, "one\r\n");
        ::CreateDirectoryA((wc + "\\sub").c_str(), nullptr);
        EditFile(wc + "\\sub\\d.txt", "deep\r\n");
        Cvs(wc, "-Q add a.txt b.txt c.txt hist.c sub");
        Cvs(wc, "-Q add sub/d.txt");
        Cvs(wc, "-Q commit -m first");
    }
    // A fresh working copy of the module "proj".
    std::string Checkout() {
        const std::string parent = dir_ / ("wc" + std::to_string(++copies_));
        ::CreateDirectoryA(parent.c_str(), nullptr);
        Cvs(parent, "-Q -d " + root_ + " checkout proj");
        return parent + "\\proj";
    }
    std::string Wc() const { return dir_ / "wc1\\proj"; }
    std::string operator/(const std::string& name) const { return Wc() + "\\" + name; }

    // path -> "state[/repository state]" of every row, the unversioned ones marked "?".
    std::map<std::string, std::string> Listed(const std::vector<ChangeItem>& rows) {
        std::map<std::string, std::string> listed;
        for (const ChangeItem& row : rows) {
            std::string state = row.local ? ferrow::LoadResString(row.local) : std::string();
            if (row.remote) state += "/" + ferrow::LoadResString(row.remote);
            listed[row.path] = state;
        }
        return listed;
    }
};

// The row of the list view whose path text is `path`, or -1 (read from the driver's thread: same process).
int RowOf(HWND list, const std::string& path) {
    const int count = ListView_GetItemCount(list);
    for (int i = 0; i < count; ++i) {
        char text[MAX_PATH] = {};
        ListView_GetItemText(list, i, 0, text, MAX_PATH);
        if (path == text) return i;
    }
    return -1;
}

TEST_F(Changes, ListCommitTheCheckedFilesAndAddABinaryOne) {
    EditFile(*this / "a.txt", "alpha 2\r\n");
    EditFile(*this / "b.txt", "one 2\r\n");
    EditFile(*this / "c.txt", "red 2\r\n");
    EditFile(*this / "added.txt", "new\r\n");
    Cvs(Wc(), "-Q add added.txt");
    ::DeleteFileA((*this / "sub/d.txt").c_str());
    Cvs(Wc(), "-Q remove sub/d.txt");
    EditFile(*this / "pic.dat", std::string("\x01\x02\0\0raw", 7));  // binary by content, not by name
    EditFile(*this / "notes.txt", "mine\r\n");
    EditFile(*this / "build.o", "ignored by the client's default list\r\n");
    ::DeleteFileA((*this / "hist.c").c_str());

    changes::ScanResult scan;
    ASSERT_TRUE(changes::ScanChanges({Wc()}, scan));
    const std::map<std::string, std::string> expected = {
        {"a.txt", "Modified"}, {"b.txt", "Modified"},       {"c.txt", "Modified"},       {"added.txt", "Added"},
        {"sub\\d.txt", "Removed"}, {"hist.c", "Missing"},   {"pic.dat", "Unversioned"}, {"notes.txt", "Unversioned"}};
    EXPECT_EQ(expected, Listed(scan.rows));
    EXPECT_EQ("notes.txt", scan.rows[scan.rows.size() - 2].path);  // the unversioned group comes last

    // The dialog: nothing checked disables OK; then a, b and the binary file are chosen.
    bool disabledWhenEmpty = false, enabledAgain = false;
    e2e::WindowDriver driver("Commit - ", [&](HWND dialog) {
        HWND list = ::GetDlgItem(dialog, IDC_CHANGES_LIST);
        for (int i = 0; i < ListView_GetItemCount(list); ++i) ListView_SetCheckState(list, i, FALSE);
        disabledWhenEmpty = !::IsWindowEnabled(::GetDlgItem(dialog, IDOK));
        for (const char* path : {"a.txt", "b.txt", "pic.dat"}) ListView_SetCheckState(list, RowOf(list, path), TRUE);
        enabledAgain = ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE;
        e2e::SetItemText(dialog, IDC_CHANGES_MESSAGE, "two of three \"quoted\" 100%\r\nsecond line");
        e2e::Press(dialog, IDOK);
    });
    changes::CCommitChangesDlg dialog({Wc()});
    ASSERT_EQ(IDOK, dialog.DoModal(nullptr));
    ASSERT_TRUE(driver.Found());
    EXPECT_TRUE(disabledWhenEmpty);
    EXPECT_TRUE(enabledAgain);
    ASSERT_EQ(3u, dialog.rows.size());

    // What the dialog's OK runs (CommitSelection runs the same steps in its output window).
    ops::MessageFile message(dialog.message);
    HRESULT hr = S_OK;
    {
        CProgressDialog capture;
        for (const changes::CommandStep& step : changes::CommitSteps(dialog.base, dialog.rows, dialog.message,
                                                                     message.Path())) {
            if (!step.paths.empty() && SUCCEEDED(hr))
                hr = ExecuteTemplate(capture.Frame(), step.commandTemplate, step.paths, step.values);
        }
    }
    ASSERT_EQ(S_OK, hr);
    EXPECT_NE(std::string::npos, e2e::EntryLine(*this / "a.txt").find("/1.2/"));
    EXPECT_NE(std::string::npos, e2e::EntryLine(*this / "b.txt").find("/1.2/"));
    EXPECT_NE(std::string::npos, e2e::EntryLine(*this / "pic.dat").find("/1.1/"));
    EXPECT_EQ(std::string::npos, e2e::EntryLine(*this / "c.txt").find("/1.2/"));
    EXPECT_NE(std::string::npos, e2e::EntryLine(*this / "pic.dat").find("/-kb/"));
    const std::string log = e2e::RunCvs(Wc(), "log -r1.2 a.txt").out;
    EXPECT_NE(std::string::npos, log.find("two of three \"quoted\" 100%")) << log;
    EXPECT_NE(std::string::npos, log.find("second line")) << log;

    ASSERT_TRUE(changes::ScanChanges({Wc()}, scan));
    const std::map<std::string, std::string> after = {{"c.txt", "Modified"},       {"added.txt", "Added"},
                                                      {"sub\\d.txt", "Removed"},   {"hist.c", "Missing"},
                                                      {"notes.txt", "Unversioned"}};
    EXPECT_EQ(after, Listed(scan.rows));
    // A selected file lists itself only.
    ASSERT_TRUE(changes::ScanChanges({*this / "c.txt"}, scan));
    EXPECT_EQ((std::map<std::string, std::string>{{"c.txt", "Modified"}}), Listed(scan.rows));
}

TEST_F(Changes, CheckRepositoryShowsWhatAnotherWorkingCopyCommitted) {
    const std::string other = Checkout();
    EditFile(other + "\\b.txt", "theirs\r\n");
    Cvs(other, "-Q commit -m theirs b.txt");
    EditFile(*this / "a.txt", "mine\r\n");

    bool pressed = false;
    e2e::WindowDriver driver("Check for modifications - ", [&](HWND dialog) {
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CHANGES_CHECK_REPO, BN_CLICKED), 0);  // returns when done
        pressed = true;
        e2e::Press(dialog, IDCANCEL);
    });
    changes::CCheckDlg dialog({Wc()}, nullptr);
    dialog.DoModal(nullptr);
    ASSERT_TRUE(driver.Found());
    ASSERT_TRUE(pressed);
    EXPECT_EQ((std::map<std::string, std::string>{{"a.txt", "Modified"}, {"b.txt", "/Needs update"}}),
              Listed(dialog.List().Rows()));
}

}  // namespace

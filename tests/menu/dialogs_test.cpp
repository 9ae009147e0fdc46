// The operation dialogs, driven from another thread as a user would: fill, choose, confirm, cancel; and
// the commands that the menu runs with their values.
#include "exec/exec_support.h"
#include "menu/menu_support.h"
#include "ops/operation_dialogs.h"
#include "settings/mru_list.h"
#include "settings/settings_store.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

using menu_test::Click;
using menu_test::SetControlText;
using menu_test::WindowDriver;
using menu_test::WindowText;

using settings::CMRUList;

namespace {

std::string Wc(const char* relative) { return testing_support::Join(testing_support::SampleFixture("wc"), relative); }

std::vector<std::string> StoredList(const char* value) {
    CMRUList list(HKEY_CURRENT_USER, settings::kMRUKey, value, 20);
    list.Load();
    return std::vector<std::string>(list.begin(), list.end());
}

void StoreList(const char* value, const std::vector<std::string>& entries) {
    CMRUList list(HKEY_CURRENT_USER, settings::kMRUKey, value, 20);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) list.Add(*it);
    list.Save();
}

bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

TEST(CommitDialog, TwoLinesBecomeOneAndAreRemembered) {
    testing_support::SettingsGuard settings;
    StoreList("LogMessage", {"older"});
    ops::CCommitDlg dialog;
    dialog.message = "initial";
    dialog.itemCount = 1;
    dialog.path = Wc("sticky.txt");
    std::string shownMessage, revision, tag;
    bool compareEnabled = false;
    std::vector<std::string> offered;
    WindowDriver driver("CVS Commit", [&](HWND hwnd) {
        shownMessage = WindowText(::GetDlgItem(hwnd, IDC_COMMIT_MESSAGE));
        revision = WindowText(::GetDlgItem(hwnd, IDC_REVISION));
        tag = WindowText(::GetDlgItem(hwnd, IDC_TAG));
        compareEnabled = Enabled(hwnd, IDC_COMMIT_COMPARE);
        offered = menu_test::ListEntries(hwnd, IDC_COMMIT_PREVIOUS);
        SetControlText(hwnd, IDC_COMMIT_MESSAGE, "first line\r\nsecond line");
        Click(hwnd, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.DoModal(nullptr));
    EXPECT_TRUE(driver.Found());
    EXPECT_EQ("initial", shownMessage);
    EXPECT_EQ("1.1.1.1", revision);
    EXPECT_EQ("v1_0", tag);
    EXPECT_TRUE(compareEnabled);
    EXPECT_EQ(std::vector<std::string>{"older"}, offered);
    EXPECT_EQ("first line  second line", dialog.message);
    EXPECT_EQ((std::vector<std::string>{"first line  second line", "older"}), StoredList("LogMessage"));
}

TEST(CommitDialog, EmptyMessageClosesWithoutTouchingTheList) {
    testing_support::SettingsGuard settings;
    ops::CCommitDlg dialog;
    dialog.itemCount = 2;
    dialog.path = Wc("modified.c");
    std::string revision = "marker";
    bool compareEnabled = true;
    WindowDriver driver("CVS Commit", [&](HWND hwnd) {
        revision = WindowText(::GetDlgItem(hwnd, IDC_REVISION));
        compareEnabled = Enabled(hwnd, IDC_COMMIT_COMPARE);
        Click(hwnd, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.DoModal(nullptr));
    EXPECT_EQ("", dialog.message);
    EXPECT_EQ("", revision);  // two items: no revision, no Compare
    EXPECT_FALSE(compareEnabled);
    EXPECT_TRUE(StoredList("LogMessage").empty());
}

TEST(CommitDialog, ChoosingAPreviousMessageReplacesTheText) {
    testing_support::SettingsGuard settings;
    StoreList("LogMessage", {"newest", "oldest"});
    ops::CCommitDlg dialog;
    dialog.itemCount = 1;
    dialog.path = Wc("removed.txt");
    std::string revision;
    WindowDriver driver("CVS Commit", [&](HWND hwnd) {
        revision = WindowText(::GetDlgItem(hwnd, IDC_REVISION));
        SetControlText(hwnd, IDC_COMMIT_MESSAGE, "typed so far");
        menu_test::SelectListEntry(hwnd, IDC_COMMIT_PREVIOUS, 1);
        Click(hwnd, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.DoModal(nullptr));
    EXPECT_EQ("1.1.1.1", revision);  // the removed file's "-" is not shown
    EXPECT_EQ("oldest", dialog.message);
    EXPECT_EQ((std::vector<std::string>{"oldest", "newest"}), StoredList("LogMessage"));
}

TEST(TagDialog, EmptyNameKeepsTheDialogOpen) {
    testing_support::SettingsGuard settings;
    ops::CTagDlg dialog;
    dialog.moveFlag = true;
    dialog.itemCount = 1;
    dialog.path = Wc("unchanged.txt");
    bool openAfterEmptyOk = false;
    bool moveShown = false, checkShown = true;
    WindowDriver driver("CVS Tag", [&](HWND hwnd) {
        moveShown = ::IsDlgButtonChecked(hwnd, IDC_TAG_MOVE) == BST_CHECKED;
        checkShown = ::IsDlgButtonChecked(hwnd, IDC_TAG_CHECK) == BST_CHECKED;
        Click(hwnd, IDOK);
        ::Sleep(300);
        openAfterEmptyOk = ::IsWindow(hwnd) && ::IsWindowVisible(hwnd);
        SetControlText(hwnd, IDC_TAG_NAME, "REL_1");
        ::SendDlgItemMessageA(hwnd, IDC_TAG_BRANCH, BM_SETCHECK, BST_CHECKED, 0);
        ::SendDlgItemMessageA(hwnd, IDC_TAG_MOVE, BM_SETCHECK, BST_UNCHECKED, 0);
        Click(hwnd, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.DoModal(nullptr));
    EXPECT_TRUE(openAfterEmptyOk);
    EXPECT_TRUE(moveShown);
    EXPECT_FALSE(checkShown);
    EXPECT_EQ("REL_1", dialog.tagName);
    EXPECT_TRUE(dialog.branchFlag);
    EXPECT_FALSE(dialog.moveFlag);
    EXPECT_FALSE(dialog.checkFlag);
    EXPECT_EQ(std::vector<std::string>{"REL_1"}, StoredList("Tag"));
}

TEST(CustomCommandDialog, EmptyLineClosesAndChoiceCopies) {
    testing_support::SettingsGuard settings;
    {
        ops::CCustomCmdDlg dialog;
        dialog.commandLine = "$(CVS) update $(Names)";
        std::string shown;
        WindowDriver driver("CVS custom command", [&](HWND hwnd) {
            shown = WindowText(::GetDlgItem(hwnd, IDC_CUSTOM_COMMAND));
            SetControlText(hwnd, IDC_CUSTOM_COMMAND, "");
            Click(hwnd, IDOK);
        });
        EXPECT_EQ(IDOK, dialog.DoModal(nullptr));
        EXPECT_EQ("$(CVS) update $(Names)", shown);
        EXPECT_EQ("", dialog.commandLine);
        EXPECT_TRUE(StoredList("CustomCommand").empty());
    }
    StoreList("CustomCommand", {"$(CVS) status $(Names)", "$(CVS) log $(Names)"});
    ops::CCustomCmdDlg dialog;
    WindowDriver driver("CVS custom command", [&](HWND hwnd) {
        menu_test::SelectListEntry(hwnd, IDC_CUSTOM_PREVIOUS, 1);
        Click(hwnd, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.DoModal(nullptr));
    EXPECT_EQ("$(CVS) log $(Names)", dialog.commandLine);
    EXPECT_EQ((std::vector<std::string>{"$(CVS) log $(Names)", "$(CVS) status $(Names)"}),
              StoredList("CustomCommand"));
}

TEST(Dialogs, GermanTemplates) {
    testing_support::SettingsGuard settings;
    testing_support::ScopedThreadLanguage german(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    ops::CCustomCmdDlg dialog;
    std::string cancelText;
    WindowDriver driver("CVS Kommando", [&](HWND hwnd) {
        cancelText = WindowText(::GetDlgItem(hwnd, IDCANCEL));
        Click(hwnd, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal(nullptr));
    EXPECT_TRUE(driver.Found());
    EXPECT_EQ("Abbrechen", cancelText);
}

// The menu's dialog round trips and the commands they produce.
struct InvokeFixture {
    exec_test::TempFolder scratch{"menu-dialogs"};
    exec_test::StubClient stub{scratch};
    std::string wc = scratch / "wc";
    InvokeFixture() { testing_support::CopyTree(testing_support::SampleFixture("wc"), wc); }
    std::string operator/(const char* name) const { return wc + "\\" + name; }
};

TEST(DialogCommands, CommitTagAndCustomCommandLines) {
    InvokeFixture f;
    auto handler = menu_test::MakeHandler({f / "modified.c", f / "unchanged.txt"});
    {
        WindowDriver driver("CVS Commit", [](HWND hwnd) {
            SetControlText(hwnd, IDC_COMMIT_MESSAGE, "fix \"x\" & %PATH% now");
            Click(hwnd, IDOK);
        });
        EXPECT_EQ(S_OK, menu_test::Invoke(handler.Get(), 1));
    }
    {
        // The next commit of the same handler starts from the confirmed message; an empty one reaches cvs.
        std::string prefilled;
        WindowDriver driver("CVS Commit", [&](HWND hwnd) {
            prefilled = WindowText(::GetDlgItem(hwnd, IDC_COMMIT_MESSAGE));
            SetControlText(hwnd, IDC_COMMIT_MESSAGE, "");
            Click(hwnd, IDOK);
        });
        EXPECT_EQ(S_OK, menu_test::Invoke(handler.Get(), 1));
        EXPECT_EQ("fix \"x\" & %PATH% now", prefilled);
    }
    {
        WindowDriver driver("CVS Tag", [](HWND hwnd) {
            SetControlText(hwnd, IDC_TAG_NAME, "REL_1");
            for (int id : {IDC_TAG_MOVE, IDC_TAG_CHECK, IDC_TAG_BRANCH})
                ::SendDlgItemMessageA(hwnd, id, BM_SETCHECK, BST_CHECKED, 0);
            Click(hwnd, IDOK);
        });
        EXPECT_EQ(S_OK, menu_test::Invoke(handler.Get(), 7));
    }
    {
        WindowDriver driver("CVS custom command", [](HWND hwnd) {
            SetControlText(hwnd, IDC_CUSTOM_COMMAND, "$(CVS) status -v $(Names)");
            Click(hwnd, IDOK);
        });
        EXPECT_EQ(S_OK, menu_test::Invoke(handler.Get(), 5));
    }
    std::vector<exec_test::StubCall> calls = f.stub.Calls();
    ASSERT_EQ(4u, calls.size());
    // The message goes through a file, every byte as typed; the file is gone after the run.
    const std::vector<std::string> split = f.stub.SplitArguments();
    ASSERT_EQ(4u, split.size());
    EXPECT_EQ("[-q][commit]<fix \"x\" & %PATH% now>[modified.c][unchanged.txt]", split[0]);
    EXPECT_EQ("[-q][commit]<>[modified.c][unchanged.txt]", split[1]);
    const std::string& line = calls[0].arguments;
    ASSERT_EQ(0u, line.find("-q commit -F "));
    const size_t names = line.find("  modified.c unchanged.txt");
    ASSERT_NE(std::string::npos, names);
    std::string messageFile = line.substr(13, names - 13);
    if (messageFile.size() > 2 && messageFile.front() == '"') messageFile = messageFile.substr(1, messageFile.size() - 2);
    ASSERT_FALSE(messageFile.empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(messageFile.c_str())) << messageFile;
    EXPECT_EQ("-q tag -F -c -b REL_1  modified.c unchanged.txt", calls[2].arguments);
    EXPECT_EQ("status -v  modified.c unchanged.txt", calls[3].arguments);
    for (const auto& call : calls) EXPECT_EQ(f.wc, call.folder);
}

TEST(DialogCommands, CancelRunsNothing) {
    InvokeFixture f;
    auto handler = menu_test::MakeHandler({f / "modified.c"});
    const struct {
        unsigned offset;
        const char* title;
    } cases[] = {{1, "CVS Commit"}, {7, "CVS Tag"}, {5, "CVS custom command"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        WindowDriver driver(c.title, [](HWND hwnd) {
            SetControlText(hwnd, IDC_TAG_NAME, "never");
            Click(hwnd, IDCANCEL);
        });
        EXPECT_EQ(E_ABORT, menu_test::Invoke(handler.Get(), c.offset));
        EXPECT_TRUE(driver.Found());
    }
    // The tag name typed before cancelling does not come back.
    std::string prefilled = "marker";
    {
        WindowDriver driver("CVS Tag", [&](HWND hwnd) {
            prefilled = WindowText(::GetDlgItem(hwnd, IDC_TAG_NAME));
            Click(hwnd, IDCANCEL);
        });
        EXPECT_EQ(E_ABORT, menu_test::Invoke(handler.Get(), 7));
    }
    EXPECT_EQ("", prefilled);
    EXPECT_TRUE(f.stub.Calls().empty());
}

}  // namespace

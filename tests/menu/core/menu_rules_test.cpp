#include "menu/core/menu_rules.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using menu::SelectionFacts;

const char* const kNames[menu::kCommandCount] = {
    "Update", "Commit", "Diff", "Add", "Remove", "Custom", "Undo", "Tag", "Reset", "Options",
    "Checkout", "Import", "Login", "Logout", "CheckMods", "Annotate", "UpdateTo"};

// The entries as one line, "-" for a separator, to compare whole menus at once.
std::string Render(const std::vector<menu::MenuEntry>& entries) {
    std::string text;
    for (const menu::MenuEntry& e : entries) {
        if (!text.empty()) text += ' ';
        text += e.separator ? "-" : kNames[e.offset];
    }
    return text;
}

SelectionFacts UnversionedFile() {
    SelectionFacts f;
    f.inWorkingCopy = true;
    f.count = 1;
    f.parentHasCVSDir = true;
    return f;
}
SelectionFacts VersionedFile(const char* revision = "1.1", const char* tagDate = "", bool changed = false) {
    SelectionFacts f = UnversionedFile();
    f.hasEntry = true;
    f.controlled = true;
    f.entryRevision = revision;
    f.entryTagDate = tagDate;
    f.changed = changed;
    return f;
}
SelectionFacts WorkingDirectory(const char* tag = "") {
    SelectionFacts f;
    f.inWorkingCopy = true;
    f.count = 1;
    f.isDirectory = true;
    f.hasCVSDir = true;
    f.parentHasCVSDir = true;
    f.controlled = true;
    f.directoryTag = tag;
    return f;
}

TEST(BuildMenuEntries, EveryStateOfTheFirstItem) {
    struct Case {
        const char* name;
        SelectionFacts facts;
        const char* menu;
    };
    SelectionFacts modifiedInGroup = VersionedFile("1.1", "", true);
    modifiedInGroup.count = 3;
    SelectionFacts outside;  // Shift outside any working copy
    outside.count = 1;
    SelectionFacts outsideFolder = outside;
    outsideFolder.isDirectory = true;
    SelectionFacts newFolder = UnversionedFile();  // a folder not yet added, inside a working copy
    newFolder.isDirectory = true;
    SelectionFacts topFolder = WorkingDirectory();  // a checkout whose parent is no working copy
    topFolder.parentHasCVSDir = false;
    SelectionFacts addedSticky = VersionedFile("0", "Tstable", true);
    SelectionFacts removed = VersionedFile("-1.2", "", true);
    SelectionFacts conflict = VersionedFile("1.4", "", true);
    SelectionFacts dateSticky = VersionedFile("1.2", "D2024.01.01.00.00.00");
    SelectionFacts loneT = VersionedFile("1.2", "T");

    const Case cases[] = {
        {"unversioned file", UnversionedFile(), "Add - Custom - Options"},
        {"unchanged file", VersionedFile(), "Update UpdateTo CheckMods - Annotate Remove - Tag Custom - Options"},
        {"sticky file", VersionedFile("1.1", "Tv1_0"), "Update UpdateTo Reset CheckMods - Annotate Remove - Tag Custom - Options"},
        {"sticky by date", dateSticky, "Update UpdateTo Reset CheckMods - Annotate Remove - Tag Custom - Options"},
        {"lone T is no tag", loneT, "Update UpdateTo CheckMods - Annotate Remove - Tag Custom - Options"},
        {"modified alone", VersionedFile("1.1", "", true),
         "Update UpdateTo Commit CheckMods - Diff Undo - Annotate Remove - Tag Custom - Options"},
        {"modified in a group", modifiedInGroup, "Update UpdateTo Commit CheckMods - Undo - Remove - Tag Custom - Options"},
        {"added file", VersionedFile("0", "", true), "Commit CheckMods - Remove - Custom - Options"},
        {"added on a branch", addedSticky, "Reset Commit CheckMods - Remove - Custom - Options"},
        {"removed file", removed, "Update UpdateTo Commit CheckMods - Diff Undo - Annotate Remove - Tag Custom - Options"},
        {"conflict", conflict, "Update UpdateTo Commit CheckMods - Diff Undo - Annotate Remove - Tag Custom - Options"},
        {"working folder", WorkingDirectory(), "Update UpdateTo Commit CheckMods - Undo - Tag Custom - Options"},
        {"tagged working folder", WorkingDirectory("stable"),
         "Update UpdateTo Reset Commit CheckMods - Undo - Tag Custom - Options"},
        {"checkout folder", topFolder, "Update UpdateTo Commit CheckMods - Undo - Tag Custom - Options"},
        {"new folder", newFolder, "Add - Custom - Options"},
        {"shift outside", outside, "Custom - Options"},
        {"shift on a folder outside", outsideFolder, "Custom - Options"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.menu, Render(menu::BuildMenuEntries(c.facts)));
    }
}

// A new user's first steps: a folder outside any working copy offers Checkout and Import (the setting
// can turn them off), a file there still needs Shift, and a :pserver: working copy offers Log in and out.
TEST(BuildMenuEntries, RepositoryAccess) {
    SelectionFacts folder;
    folder.count = 1;
    folder.isDirectory = true;
    folder.outsideEntries = true;
    SelectionFacts file = folder;
    file.isDirectory = false;
    SelectionFacts off = folder;
    off.outsideEntries = false;
    SelectionFacts pserver = WorkingDirectory();
    pserver.pserverRoot = true;
    pserver.outsideEntries = true;
    SelectionFacts pserverFile = VersionedFile();
    pserverFile.pserverRoot = true;
    const struct {
        const char* name;
        SelectionFacts facts;
        unsigned flags;
        bool wanted;
        const char* menu;
    } cases[] = {
        {"folder outside", folder, 0, true, "Checkout Import - Options"},
        {"folder outside with Shift", folder, menu::kFlagExtendedVerbs, true, "Checkout Import Custom - Options"},
        {"setting off", off, 0, false, ""},
        {"setting off with Shift", off, menu::kFlagExtendedVerbs, true, "Custom - Options"},
        {"file outside", file, 0, false, ""},
        {"file outside with Shift", file, menu::kFlagExtendedVerbs, true, "Custom - Options"},
        {"default only", folder, menu::kFlagDefaultOnly, false, ""},
        {"pserver working folder", pserver, 0, true, "Update UpdateTo Commit CheckMods - Undo - Tag Custom - Login Logout - Options"},
        {"pserver file", pserverFile, 0, true, "Update UpdateTo CheckMods - Annotate Remove - Tag Custom - Login Logout - Options"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.wanted, menu::WantsSubmenu(c.facts, c.flags));
        if (c.wanted) {
            EXPECT_EQ(c.menu, Render(menu::BuildMenuEntries(c.facts, c.flags)));
        }
    }
}

TEST(WantsSubmenu, FlagsAndWorkingCopy) {
    struct Case {
        bool inWorkingCopy;
        unsigned flags;
        bool wanted;
    } const cases[] = {
        {true, 0, true},
        {false, 0, false},
        {false, menu::kFlagExtendedVerbs, true},
        {true, menu::kFlagDefaultOnly, false},
        {false, menu::kFlagDefaultOnly | menu::kFlagExtendedVerbs, false},
        {true, 0x10 | 0x20 | 0x4, true},  // other flags (explore, can rename, no verbs) are ignored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.inWorkingCopy << " flags " << c.flags);
        SelectionFacts f;
        f.inWorkingCopy = c.inWorkingCopy;
        f.count = 1;
        EXPECT_EQ(c.wanted, menu::WantsSubmenu(f, c.flags));
    }
}

TEST(IsSticky, NeedsVersionControl) {
    SelectionFacts dir = WorkingDirectory("stable");
    dir.controlled = false;  // a folder named "CVS" or one without entry
    EXPECT_FALSE(menu::IsSticky(dir));
    SelectionFacts file = VersionedFile("1.1", "Tv1");
    file.controlled = false;
    EXPECT_FALSE(menu::IsSticky(file));
}

// Each offset must show its own text, help and picture: a row out of place runs one command under another's name.
TEST(FindCommandResources, EachOffsetHasItsOwnResources) {
    struct Case {
        unsigned offset, text, help, bitmap;
    } const cases[] = {
        {menu::kCmdUpdate, IDS_MENU_UPDATE, IDS_HELP_UPDATE, IDB_UPDATE},
        {menu::kCmdCommit, IDS_MENU_COMMIT, IDS_HELP_COMMIT, IDB_COMMIT},
        {menu::kCmdDiff, IDS_MENU_DIFF, IDS_HELP_DIFF, IDB_DIFF},
        {menu::kCmdAdd, IDS_MENU_ADD, IDS_HELP_ADD, IDB_ADD},
        {menu::kCmdRemove, IDS_MENU_REMOVE, IDS_HELP_REMOVE, IDB_REMOVE},
        {menu::kCmdCustom, IDS_MENU_CUSTOM, IDS_HELP_CUSTOM, IDB_CUSTOM},
        {menu::kCmdUndo, IDS_MENU_UNDO, IDS_HELP_UNDO, IDB_UNDO},
        {menu::kCmdTag, IDS_MENU_TAG, IDS_HELP_TAG, IDB_TAG},
        {menu::kCmdResetTag, IDS_MENU_RESET_TAG, IDS_HELP_RESET_TAG, IDB_RESET_TAG},
        {menu::kCmdOptions, IDS_MENU_OPTIONS, IDS_HELP_OPTIONS, IDB_OPTIONS},
        {menu::kCmdAnnotate, IDS_MENU_ANNOTATE, IDS_HELP_ANNOTATE, IDB_ANNOTATE},
        {menu::kCmdCheckMods, IDS_MENU_CHECKMODS, IDS_HELP_CHECKMODS, IDB_COMMIT},
        {menu::kCmdUpdateTo, IDS_MENU_UPDATETO, IDS_HELP_UPDATETO, IDB_UPDATE},
        {menu::kCmdCheckout, IDS_MENU_CHECKOUT, IDS_HELP_CHECKOUT, IDB_CHECKOUT},
        {menu::kCmdImport, IDS_MENU_IMPORT, IDS_HELP_IMPORT, IDB_IMPORT},
        {menu::kCmdLogin, IDS_MENU_LOGIN, IDS_HELP_LOGIN, IDB_LOGIN},
        {menu::kCmdLogout, IDS_MENU_LOGOUT, IDS_HELP_LOGOUT, IDB_LOGOUT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        const menu::CommandResources* r = menu::FindCommandResources(c.offset);
        ASSERT_NE(nullptr, r);
        EXPECT_EQ(c.text, r->textId);
        EXPECT_EQ(c.help, r->helpId);
        EXPECT_EQ(c.bitmap, r->bitmapId);
    }
    EXPECT_EQ(nullptr, menu::FindCommandResources(menu::kCommandCount));
    unsigned offset = 0;
    EXPECT_TRUE(menu::FindCommandByVerb("CheckMods", offset));
    EXPECT_EQ(menu::kCmdCheckMods, offset);
    EXPECT_EQ(nullptr, menu::FindCommandResources(0xFFFFFFFFu));
    ASSERT_TRUE(menu::FindCommandByVerb("Annotate", offset));
    EXPECT_EQ(15u, offset);  // callers invoke the item by this number
    EXPECT_FALSE(menu::FindCommandByVerb("", offset));
}

}  // namespace

// The submenu on the sample working copies made by the real client, the help texts, the pages and the
// site handshake.
#include "menu/core/menu_rules.h"
#include "menu/menu_support.h"
#include "support/fixtures.h"

#include "menu/core/menu_rules.h"

#include <gtest/gtest.h>

#include <ocidl.h>

#include <cstring>
#include <cwchar>

#include "common/module_instance.h"
#include "common/text.h"
#include "hostsupport/command_tree.h"
#include "menu/context_menu.h"
#include "menu/explorer_command.h"
#include "resources/resource.h"
#include "com/guids.h"

using menu_test::BuildMenu;
using menu_test::MakeHandler;
using testing_support::SampleFixture;

namespace {

std::string Wc(const char* relative) { return testing_support::Join(SampleFixture("wc"), relative); }

// The states of the sample working copies, for the classic submenu and for Windows 11's command tree.
struct MenuCase {
    const char* what;
    std::vector<std::string> paths;
    UINT flags;
    const char* items;  // empty: no submenu
};

std::vector<MenuCase> SampleMenuCases(const testing_support::TempDir& outside) {
    testing_support::WriteTextFile(outside / "loose.txt", "x");
    const std::string tagged = SampleFixture("wc-tagged");
    return {
        {"unversioned file", {Wc("unlisted.txt")}, 0, "Add - Custom - Options"},
        {"unchanged file", {Wc("unchanged.txt")}, 0, "Update UpdateTo CheckMods - Annotate Remove - Tag Custom - Options"},
        {"sticky file", {Wc("sticky.txt")}, 0, "Update UpdateTo Reset CheckMods - Annotate Remove - Tag Custom - Options"},
        {"modified alone", {Wc("modified.c")}, 0, "Update UpdateTo Commit CheckMods - Diff Undo - Annotate Remove - Tag Custom - Options"},
        {"modified with others", {Wc("modified.c"), Wc("unchanged.txt")}, 0,
         "Update UpdateTo Commit CheckMods - Undo - Remove - Tag Custom - Options"},
        {"added file", {Wc("added.txt")}, 0, "Commit CheckMods - Remove - Custom - Options"},
        {"binary file", {Wc("image.bin")}, 0, "Update UpdateTo CheckMods - Annotate Remove - Tag Custom - Options"},
        {"working folder", {SampleFixture("wc")}, 0, "Update UpdateTo Commit CheckMods - Undo - Tag Custom - Options"},
        {"sub-folder", {Wc("sub")}, 0, "Update UpdateTo Commit CheckMods - Undo - Tag Custom - Options"},
        {"tagged working folder", {tagged}, 0, "Update UpdateTo Reset Commit CheckMods - Undo - Tag Custom - Options"},
        {"file of a tagged copy", {testing_support::Join(tagged, "unchanged.txt")}, 0,
         "Update UpdateTo Reset CheckMods - Annotate Remove - Tag Custom - Options"},
        {"shift outside", {outside / "loose.txt"}, CMF_EXTENDEDVERBS, "Custom - Options"},
        {"outside without shift", {outside / "loose.txt"}, 0, ""},
        {"folder outside", {outside.Path()}, 0, "Checkout Import - Options"},
        {"first outside, second inside", {outside / "loose.txt", Wc("modified.c")}, 0, ""},
        {"default only", {Wc("modified.c")}, CMF_DEFAULTONLY, ""},
        {"CVS folder among others", {Wc("CVS"), Wc("unchanged.txt")}, 0, "Update UpdateTo CheckMods - Annotate Remove - Tag Custom - Options"},
    };
}

TEST(ContextMenu, ItemsForEachStateOfTheSampleWorkingCopy) {
    testing_support::TempDir outside("menu-outside");
    for (const MenuCase& c : SampleMenuCases(outside)) {
        SCOPED_TRACE(c.what);
        HRESULT init = E_FAIL;
        auto handler = MakeHandler(c.paths, &init);
        ASSERT_TRUE(handler);
        ASSERT_EQ(S_OK, init);
        menu_test::BuiltMenu built = BuildMenu(handler.Get(), c.flags);
        EXPECT_EQ(c.items, built.items);
        if (*c.items) {
            EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, menu::kCommandCount), built.result);
            EXPECT_EQ("CVS", built.title);
            EXPECT_TRUE(built.bitmapsSet);
        } else {
            EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0), built.result);
        }
    }
}

// Windows 11's menu has no Shift and no default-only request: its tree is the classic submenu of a plain
// right-click, item for item (texts, order, separators), with icons of the module and the help texts as
// tool tips; where that shows nothing, the entry is hidden.
TEST(ExplorerCommand, TreeEqualsTheClassicSubmenuForEachState) {
    testing_support::TempDir outside("menu-outside");
    std::wstring module;
    ASSERT_EQ(S_OK, ferrow::ModuleFileName(ferrow::ModuleInstance(), module));
    for (const MenuCase& c : SampleMenuCases(outside)) {
        SCOPED_TRACE(c.what);
        auto handler = MakeHandler(c.paths);
        ASSERT_TRUE(handler);
        const menu_test::BuiltMenu built = BuildMenu(handler.Get());
        // A fresh object walked in the shell's order: quick state, state, subcommands, each one's states.
        ferrow::ComPtr<IExplorerCommand> root;
        ASSERT_EQ(S_OK, menu::CExplorerCommand::CreateInstance(nullptr, IID_IExplorerCommand, root.PutVoid()));
        auto items = ferrow::MakeShellItemArray(c.paths);
        ASSERT_TRUE(items);
        ferrow::CommandNode node;
        ASSERT_EQ(S_OK, ferrow::WalkCommandTree(root.Get(), items.Get(), node));
        EXPECT_EQ(E_PENDING, node.quickState);  // the working copy's files are read only when slow is allowed
        EXPECT_EQ(ECF_HASSUBCOMMANDS, node.flags);
        if (built.texts.empty()) {
            EXPECT_EQ(ECS_HIDDEN, node.state);
            EXPECT_TRUE(node.children.empty());
            continue;
        }
        EXPECT_EQ(ECS_ENABLED, node.state);
        EXPECT_EQ(ferrow::AnsiToWide(built.title), node.title);
        std::vector<std::string> titles;
        for (const std::wstring& title : ferrow::ChildTitles(node)) titles.push_back(ferrow::WideToAnsi(title));
        EXPECT_EQ(built.texts, titles);
        std::vector<const ferrow::CommandNode*> shown = {&node};
        for (const ferrow::CommandNode& child : node.children) {
            EXPECT_EQ(E_PENDING, child.quickState);
            if ((child.flags & ECF_ISSEPARATOR) || (child.state & ECS_HIDDEN)) continue;
            EXPECT_EQ(ECS_ENABLED, child.state);
            EXPECT_FALSE(child.tip.empty());
            shown.push_back(&child);
        }
        // "<this module>,-<id>", and the module has that icon.
        for (const ferrow::CommandNode* n : shown) {
            const size_t comma = n->icon.rfind(L",-");
            ASSERT_NE(std::wstring::npos, comma) << ferrow::WideToAnsi(n->icon);
            EXPECT_EQ(module, n->icon.substr(0, comma));
            const unsigned id = static_cast<unsigned>(std::wcstoul(n->icon.c_str() + comma + 2, nullptr, 10));
            EXPECT_TRUE(::LoadImageW(ferrow::ModuleInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_SHARED))
                << id;
        }
    }
}

TEST(ContextMenu, ItemTextsFromTheStringTable) {
    auto handler = MakeHandler({Wc("modified.c")});
    menu_test::BuiltMenu built = BuildMenu(handler.Get());
    EXPECT_EQ((std::vector<std::string>{"&Update", "U&pdate to...", "&Commit...", "Check for &modifications...", "-",
                                        "&Diff...", "&Undo", "-", "A&nnotate", "&Remove", "-", "&Tag...",
                                        "Custom C&ommand...", "-", "&Options..."}),
              built.texts);
}

TEST(ContextMenu, InitializeRefusesEmptyAndAdministrativeSelections) {
    struct Case {
        const char* what;
        std::vector<std::string> paths;
    } const cases[] = {
        {"no files", {}},
        {"only the CVS folder", {Wc("CVS")}},
        {"CVS folder in other case", {Wc("cvs")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HRESULT init = S_OK;
        auto handler = MakeHandler(c.paths, &init);
        EXPECT_EQ(E_INVALIDARG, init);
    }
    ferrow::ComPtr<IShellExtInit> init;
    ASSERT_EQ(S_OK, menu::CCVSContextMenu::CreateInstance(nullptr, IID_IShellExtInit, init.PutVoid()));
    EXPECT_EQ(E_INVALIDARG, init->Initialize(nullptr, nullptr, nullptr));
}

TEST(ContextMenu, HelpTexts) {
    auto handler = MakeHandler({Wc("unchanged.txt")});
    struct Case {
        UINT_PTR offset;
        const char* text;
    } const cases[] = {
        {0, "Updates the local copy with the latest version from the server (cvs update  -d -P)"},
        {4, "Marks files for removing from the repository, deletes th local copy (cvs remove)"},
        {5, "Runs a custom command"},
        {8, "Removes any sticky tags from the local version (cvs update -A)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        char narrow[256];
        std::memset(narrow, 'x', sizeof narrow);
        ASSERT_EQ(S_OK, handler->GetCommandString(c.offset, GCS_HELPTEXTA, nullptr, narrow, sizeof narrow));
        EXPECT_STREQ(c.text, narrow);
        wchar_t wide[256];
        ASSERT_EQ(S_OK, handler->GetCommandString(c.offset, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 256));
        EXPECT_EQ(ferrow::AnsiToWide(c.text), std::wstring(wide));
    }
    // Offset 9 is the configuration help text of string 147.
    char options[256] = {};
    ASSERT_EQ(S_OK, handler->GetCommandString(9, GCS_HELPTEXTA, nullptr, options, sizeof options));
    EXPECT_EQ(ferrow::LoadResString(IDS_HELP_OPTIONS), options);
    EXPECT_FALSE(std::string(options).empty());

    // Cut to the buffer, terminator included.
    char small[6];
    ASSERT_EQ(S_OK, handler->GetCommandString(5, GCS_HELPTEXTA, nullptr, small, sizeof small));
    EXPECT_STREQ("Runs ", small);

    // The canonical verbs, narrow and wide, cut to the buffer; every item validates; an unknown offset is
    // refused and nothing is written.
    for (UINT_PTR offset = 0; offset < menu::kCommandCount; ++offset) {
        SCOPED_TRACE(offset);
        const std::string verb = menu::FindCommandResources(static_cast<unsigned>(offset))->verb;
        char narrow[32];
        ASSERT_EQ(S_OK, handler->GetCommandString(offset, GCS_VERBA, nullptr, narrow, sizeof narrow));
        EXPECT_EQ(verb, narrow);
        wchar_t wide[32];
        ASSERT_EQ(S_OK, handler->GetCommandString(offset, GCS_VERBW, nullptr, reinterpret_cast<char*>(wide), 32));
        EXPECT_EQ(ferrow::AnsiToWide(verb), std::wstring(wide));
        EXPECT_EQ(S_OK, handler->GetCommandString(offset, GCS_VALIDATEA, nullptr, nullptr, 0));
    }
    char cut[4];
    ASSERT_EQ(S_OK, handler->GetCommandString(0, GCS_VERBA, nullptr, cut, sizeof cut));
    EXPECT_STREQ("upd", cut);
    char marker[16];
    std::memset(marker, 'm', sizeof marker);
    for (UINT type : {GCS_HELPTEXTA, GCS_VERBA, GCS_VERBW, GCS_VALIDATEA}) {
        EXPECT_EQ(E_INVALIDARG, handler->GetCommandString(menu::kCommandCount, type, nullptr, marker, sizeof marker));
    }
    EXPECT_EQ('m', marker[0]);
}

TEST(ContextMenu, PagesSiteAndClassInfo) {
    auto handler = MakeHandler({Wc("unchanged.txt")});
    ferrow::ComPtr<ISpecifyPropertyPages> pages;
    ASSERT_EQ(S_OK, handler.As(pages));
    CAUUID ids = {};
    ASSERT_EQ(S_OK, pages->GetPages(&ids));
    ASSERT_EQ(3u, ids.cElems);
    EXPECT_TRUE(IsEqualCLSID(CLSID_COptionsPage, ids.pElems[0]));
    EXPECT_TRUE(IsEqualCLSID(CLSID_CToolsPage, ids.pElems[1]));
    EXPECT_TRUE(IsEqualCLSID(CLSID_CAboutPage, ids.pElems[2]));
    ::CoTaskMemFree(ids.pElems);

    ferrow::ComPtr<IObjectWithSite> site;
    ASSERT_EQ(S_OK, handler.As(site));
    EXPECT_EQ(S_OK, site->SetSite(nullptr));
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOTIMPL, site->GetSite(IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
}

// The items' own verbs run (Operations.EveryVerbReachesItsOperation); any other verb, and an offset past the
// items, is refused.
TEST(ContextMenu, OtherVerbsAndUnknownOffsetsAreRefused) {
    auto handler = MakeHandler({Wc("unchanged.txt")});
    for (const char* verb : {"open", "properties", "update "}) {
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof info;
        info.lpVerb = verb;
        EXPECT_EQ(E_INVALIDARG, handler->InvokeCommand(&info)) << verb;
    }
    EXPECT_EQ(E_INVALIDARG, menu_test::Invoke(handler.Get(), menu::kCommandCount));
    EXPECT_EQ(E_INVALIDARG, menu_test::Invoke(handler.Get(), 0xFFFF));
}

}  // namespace

// The Windows 11 menu's command class beyond the tree of each state (context_menu_test.cpp compares that
// with the classic submenu): the enumerator's contract, the classic menu's window, the background menu
// of a folder view, and the selections the classic handler refuses.
#include "menu/menu_support.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "hostsupport/command_tree.h"
#include "menu/explorer_command.h"

using testing_support::SampleFixture;

namespace {

std::string Wc(const char* relative) { return testing_support::Join(SampleFixture("wc"), relative); }

ferrow::ComPtr<IExplorerCommand> MakeCommand() {
    ferrow::ComPtr<IExplorerCommand> command;
    EXPECT_EQ(S_OK, menu::CExplorerCommand::CreateInstance(nullptr, IID_IExplorerCommand, command.PutVoid()));
    return command;
}

// The subcommands of a shown root, enumerated afresh.
ferrow::ComPtr<IEnumExplorerCommand> Subcommands(IExplorerCommand* root, IShellItemArray* items) {
    EXPCMDSTATE state = ECS_HIDDEN;
    EXPECT_EQ(S_OK, root->GetState(items, TRUE, &state));
    EXPECT_EQ(ECS_ENABLED, state);
    ferrow::ComPtr<IEnumExplorerCommand> list;
    EXPECT_EQ(S_OK, root->EnumSubCommands(list.Put()));
    return list;
}

std::wstring TitleOf(IExplorerCommand* command) {
    LPWSTR text = nullptr;
    if (FAILED(command->GetTitle(nullptr, &text))) return L"-";
    ferrow::UniqueCoTaskMem owner(text);
    return text;
}

TEST(ExplorerCommand, EnumeratorFetchesPartlySkipsResetsAndClones) {
    auto root = MakeCommand();
    auto items = ferrow::MakeShellItemArray({Wc("unlisted.txt")});  // Add - Custom - Options: five entries
    ASSERT_TRUE(items);
    auto list = Subcommands(root.Get(), items.Get());
    ASSERT_TRUE(list);

    IExplorerCommand* got[8] = {};
    ULONG fetched = 99;
    EXPECT_EQ(E_INVALIDARG, list->Next(2, got, nullptr));  // more than one needs the count
    ASSERT_EQ(S_OK, list->Next(2, got, &fetched));
    EXPECT_EQ(2u, fetched);
    EXPECT_EQ(ferrow::AnsiToWide("&Add"), TitleOf(got[0]));
    EXPECT_EQ(L"-", TitleOf(got[1]));
    for (ULONG i = 0; i < fetched; ++i) got[i]->Release();

    ferrow::ComPtr<IEnumExplorerCommand> copy;
    ASSERT_EQ(S_OK, list->Clone(copy.Put()));
    // Only three are left: a partial fetch says so and counts them.
    EXPECT_EQ(S_FALSE, list->Next(8, got, &fetched));
    EXPECT_EQ(3u, fetched);
    EXPECT_EQ(ferrow::AnsiToWide("Custom C&ommand..."), TitleOf(got[0]));
    for (ULONG i = 0; i < fetched; ++i) got[i]->Release();
    EXPECT_EQ(S_FALSE, list->Next(1, got, &fetched));
    EXPECT_EQ(0u, fetched);

    // The clone went on from where the original was, on its own.
    ASSERT_EQ(S_OK, copy->Next(1, got, nullptr));
    EXPECT_EQ(ferrow::AnsiToWide("Custom C&ommand..."), TitleOf(got[0]));
    got[0]->Release();
    EXPECT_EQ(S_OK, copy->Skip(1));
    EXPECT_EQ(S_FALSE, copy->Skip(5));  // past the end stops at the end
    EXPECT_EQ(S_FALSE, copy->Next(1, got, &fetched));
    EXPECT_EQ(0u, fetched);

    EXPECT_EQ(S_OK, list->Reset());
    ASSERT_EQ(S_OK, list->Next(1, got, &fetched));
    EXPECT_EQ(ferrow::AnsiToWide("&Add"), TitleOf(got[0]));
    got[0]->Release();
}

TEST(ExplorerCommand, HiddenWhileTheClassicMenuShowsTheSubmenu) {
    auto items = ferrow::MakeShellItemArray({Wc("modified.c")});
    ASSERT_TRUE(items);
    auto root = MakeCommand();
    EXPCMDSTATE state = ECS_HIDDEN;
    {
        // "Show more options": the shell initialises the classic handler for the same items.
        auto classic = menu_test::MakeHandler({Wc("modified.c")});
        ASSERT_TRUE(classic);
        EXPECT_EQ(S_OK, root->GetState(items.Get(), TRUE, &state));
        EXPECT_EQ(ECS_HIDDEN, state);
    }
    EXPECT_EQ(S_OK, root->GetState(items.Get(), TRUE, &state));
    EXPECT_EQ(ECS_ENABLED, state);
    // A classic handler that was made but given no selection shows no menu: it hides nothing.
    ferrow::ComPtr<IContextMenu> unused;
    ASSERT_EQ(S_OK, menu_test::CCVSContextMenuCreate(unused));
    EXPECT_EQ(S_OK, root->GetState(items.Get(), TRUE, &state));
    EXPECT_EQ(ECS_ENABLED, state);
}

TEST(ExplorerCommand, BackgroundMenuIsTheFolderOfTheSitesView) {
    testing_support::TempDir outside("xcmd-bg");
    struct Case {
        const char* what;
        std::string folder;
        bool shown;
    } const cases[] = {
        {"working folder", SampleFixture("wc"), true},
        {"folder outside a working copy (Checkout, Import)", outside.Path(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto root = MakeCommand();
        ferrow::ComPtr<IObjectWithSite> siting;
        ASSERT_EQ(S_OK, root.As(siting));
        auto site = ferrow::MakeFolderViewSite(c.folder, nullptr);
        ASSERT_EQ(S_OK, siting->SetSite(site.Get()));
        ferrow::ComPtr<IUnknown> back;
        EXPECT_EQ(S_OK, siting->GetSite(IID_IUnknown, back.PutVoid()));
        ferrow::CommandNode node;
        ASSERT_EQ(S_OK, ferrow::WalkCommandTree(root.Get(), nullptr, node));
        EXPECT_EQ(c.shown ? ECS_ENABLED : ECS_HIDDEN, node.state);
        if (c.shown) {
            // The folder's own menu, as for a right-click on the folder.
            auto classic = menu_test::MakeHandler({c.folder});
            const std::vector<std::string> texts = menu_test::BuildMenu(classic.Get()).texts;
            classic.Reset();
            std::vector<std::string> titles;
            for (const std::wstring& t : ferrow::ChildTitles(node)) titles.push_back(ferrow::WideToAnsi(t));
            EXPECT_EQ(texts, titles);
        }
        siting->SetSite(nullptr);
    }
}

TEST(ExplorerCommand, SelectionsTheClassicHandlerRefusesHideIt) {
    testing_support::TempDir scratch("xcmd-refused");
    testing_support::CopyTree(SampleFixture("wc"), scratch / "wc");
    // A name outside the ANSI code page (the item exists, its ANSI spelling names another).
    const std::wstring wide = ferrow::AnsiToWide(scratch / "wc") + L"\\\x4E2D.txt";
    ferrow::UniqueFile file(::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    file.Reset();
    ferrow::ComPtr<IShellItem> item;
    ASSERT_EQ(S_OK, ::SHCreateItemFromParsingName(wide.c_str(), nullptr, IID_IShellItem, item.PutVoid()));
    ferrow::ComPtr<IShellItemArray> items;
    ASSERT_EQ(S_OK, ::SHCreateShellItemArrayFromShellItem(item.Get(), IID_IShellItemArray, items.PutVoid()));
    auto root = MakeCommand();
    EXPCMDSTATE state = ECS_ENABLED;
    // Refused before the disk is read: no E_PENDING.
    EXPECT_EQ(S_OK, root->GetState(items.Get(), FALSE, &state));
    EXPECT_EQ(ECS_HIDDEN, state);
    // Only the administrative folder: nothing left to act on.
    auto admin = ferrow::MakeShellItemArray({Wc("CVS")});
    ASSERT_TRUE(admin);
    EXPECT_EQ(S_OK, root->GetState(admin.Get(), TRUE, &state));
    EXPECT_EQ(ECS_HIDDEN, state);
}

}  // namespace

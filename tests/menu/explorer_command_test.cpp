// The Windows 11 menu's command class beyond the tree of each state (context_menu_test.cpp compares that
// with the classic submenu): the enumerator's contract, the quick state that touches nothing, the sites
// (the classic menu's window, the navigation pane's tree, a view's background), and the selections the
// classic handler refuses.
#include "menu/menu_support.h"
#include "support/fixtures.h"
#include "support/stub_client.h"

#include <gtest/gtest.h>

#include "common/module_instance.h"
#include "common/text.h"
#include "hostsupport/command_tree.h"
#include "hostsupport/host_object.h"
#include "menu/core/menu_rules.h"
#include "menu/core/modern_menu.h"
#include "menu/explorer_command.h"
#include "ops/path_file.h"

#include <shlguid.h>
#include <shlwapi.h>

#include <algorithm>

using testing_support::SampleFixture;

namespace {

std::string Wc(const char* relative) { return testing_support::Join(SampleFixture("wc"), relative); }

ferrow::ComPtr<IExplorerCommand> MakeCommand() {
    ferrow::ComPtr<IExplorerCommand> command;
    EXPECT_EQ(S_OK, menu::CExplorerCommand::CreateInstance(nullptr, IID_IExplorerCommand, command.PutVoid()));
    return command;
}

std::wstring TitleOf(IExplorerCommand* command) {
    LPWSTR text = nullptr;
    if (FAILED(command->GetTitle(nullptr, &text))) return L"-";
    ferrow::UniqueCoTaskMem owner(text);
    return text;
}

std::wstring CommandTitle(unsigned offset) {
    return ferrow::AnsiToWide(ferrow::LoadResString(menu::FindCommandResources(offset)->textId));
}

std::vector<std::string> Titles(const ferrow::CommandNode& node) {
    std::vector<std::string> titles;
    for (const std::wstring& t : ferrow::ChildTitles(node)) titles.push_back(ferrow::WideToAnsi(t));
    return titles;
}

// The classic submenu's texts for a selection (the handler released before the caller goes on).
std::vector<std::string> ClassicTexts(const std::vector<std::string>& paths) {
    auto classic = menu_test::MakeHandler(paths);
    return classic ? menu_test::BuildMenu(classic.Get()).texts : std::vector<std::string>{"no handler"};
}

// A real item array that counts every call made on it.
class CCountingItems final : public ferrow::HostObject<IShellItemArray> {
public:
    explicit CCountingItems(ferrow::ComPtr<IShellItemArray> items) : items_(std::move(items)) {}
    LONG calls = 0;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        ++calls;
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IShellItemArray)) return E_NOINTERFACE;
        AddRef();
        *ppv = static_cast<IShellItemArray*>(this);
        return S_OK;
    }
    STDMETHODIMP BindToHandler(IBindCtx* b, REFGUID h, REFIID r, void** p) override {
        ++calls;
        return items_->BindToHandler(b, h, r, p);
    }
    STDMETHODIMP GetPropertyStore(GETPROPERTYSTOREFLAGS f, REFIID r, void** p) override {
        ++calls;
        return items_->GetPropertyStore(f, r, p);
    }
    STDMETHODIMP GetPropertyDescriptionList(REFPROPERTYKEY k, REFIID r, void** p) override {
        ++calls;
        return items_->GetPropertyDescriptionList(k, r, p);
    }
    STDMETHODIMP GetAttributes(SIATTRIBFLAGS f, SFGAOF m, SFGAOF* a) override {
        ++calls;
        return items_->GetAttributes(f, m, a);
    }
    STDMETHODIMP GetCount(DWORD* n) override {
        ++calls;
        return items_->GetCount(n);
    }
    STDMETHODIMP GetItemAt(DWORD i, IShellItem** item) override {
        ++calls;
        return items_->GetItemAt(i, item);
    }
    STDMETHODIMP EnumItems(IEnumShellItems** e) override {
        ++calls;
        return items_->EnumItems(e);
    }

private:
    ferrow::ComPtr<IShellItemArray> items_;
};

// A hidden window of a given class, the class registered for the test's lifetime.
class ClassWindow {
public:
    explicit ClassWindow(const wchar_t* className) : name_(className) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = className;
        ::RegisterClassW(&wc);
        hwnd = ::CreateWindowW(className, L"", WS_OVERLAPPEDWINDOW, 100, 100, 300, 300, nullptr, nullptr,
                               wc.hInstance, nullptr);
    }
    ~ClassWindow() {
        ::DestroyWindow(hwnd);
        ::UnregisterClassW(name_, ::GetModuleHandleW(nullptr));
    }
    ClassWindow(const ClassWindow&) = delete;
    ClassWindow& operator=(const ClassWindow&) = delete;
    HWND hwnd = nullptr;

private:
    const wchar_t* name_;
};

// A site with a window of its own: the classic menu's (any window), or the navigation pane's (the tree
// control's window, which answers hit tests with `node`, null for a point on no node). Both offer the folder
// view of `viewFolder`, the folder shown on the right.
class CWindowSite final : public ferrow::HostObject<IOleWindow, IServiceProvider, INameSpaceTreeControl> {
public:
    CWindowSite(HWND hwnd, ferrow::ComPtr<IShellItem> node, const std::string& viewFolder)
        : hwnd_(hwnd), node_(std::move(node)), view_(ferrow::MakeFolderViewSite(viewFolder, nullptr)) {}
    LONG hitTests = 0;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow)) {
            *ppv = static_cast<IOleWindow*>(this);
        } else if (IsEqualIID(riid, IID_IServiceProvider)) {
            *ppv = static_cast<IServiceProvider*>(this);
        } else if (IsEqualIID(riid, IID_INameSpaceTreeControl)) {
            *ppv = static_cast<INameSpaceTreeControl*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP GetWindow(HWND* hwnd) override {
        *hwnd = hwnd_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override {
        return ::IUnknown_QueryService(view_.Get(), service, riid, ppv);
    }
    STDMETHODIMP HitTest(POINT* point, IShellItem** out) override {
        ++hitTests;
        *out = nullptr;
        if (!point || !node_) return S_FALSE;
        *out = node_.Copy().Detach();
        return S_OK;
    }
    STDMETHODIMP Initialize(HWND, RECT*, NSTCSTYLE) override { return E_NOTIMPL; }
    STDMETHODIMP TreeAdvise(IUnknown*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP TreeUnadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP AppendRoot(IShellItem*, SHCONTF, NSTCROOTSTYLE, IShellItemFilter*) override { return E_NOTIMPL; }
    STDMETHODIMP InsertRoot(int, IShellItem*, SHCONTF, NSTCROOTSTYLE, IShellItemFilter*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP RemoveRoot(IShellItem*) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveAllRoots() override { return E_NOTIMPL; }
    STDMETHODIMP GetRootItems(IShellItemArray**) override { return E_NOTIMPL; }
    STDMETHODIMP SetItemState(IShellItem*, NSTCITEMSTATE, NSTCITEMSTATE) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemState(IShellItem*, NSTCITEMSTATE, NSTCITEMSTATE*) override { return E_NOTIMPL; }
    STDMETHODIMP GetSelectedItems(IShellItemArray**) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemCustomState(IShellItem*, int*) override { return E_NOTIMPL; }
    STDMETHODIMP SetItemCustomState(IShellItem*, int) override { return E_NOTIMPL; }
    STDMETHODIMP EnsureItemVisible(IShellItem*) override { return E_NOTIMPL; }
    STDMETHODIMP SetTheme(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetNextItem(IShellItem*, NSTCGNI, IShellItem**) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemRect(IShellItem*, RECT*) override { return E_NOTIMPL; }
    STDMETHODIMP CollapseAll() override { return E_NOTIMPL; }

private:
    HWND hwnd_;
    ferrow::ComPtr<IShellItem> node_;
    ferrow::ComPtr<IUnknown> view_;
};

ferrow::ComPtr<IShellItem> ItemOf(const std::string& path) {
    ferrow::ComPtr<IShellItem> item;
    if (path.empty()) return item;
    ferrow::ComPtr<IShellItemArray> items = ferrow::MakeShellItemArray({path});
    if (items) items->GetItemAt(0, item.Put());
    return item;
}

// Walks the root sited on `site` as the shell does.
ferrow::CommandNode WalkSited(IUnknown* site, IShellItemArray* items) {
    auto root = MakeCommand();
    ferrow::ComPtr<IObjectWithSite> siting;
    EXPECT_EQ(S_OK, root.As(siting));
    EXPECT_EQ(S_OK, siting->SetSite(site));
    ferrow::CommandNode node;
    EXPECT_EQ(S_OK, ferrow::WalkCommandTree(root.Get(), items, node));
    siting->SetSite(nullptr);
    return node;
}

TEST(ExplorerCommand, EnumeratorFetchesPartlySkipsResetsAndClones) {
    auto root = MakeCommand();
    ferrow::ComPtr<IEnumExplorerCommand> list;
    // A fresh object enumerates without any state asked first: every slot, each deciding for its items.
    ASSERT_EQ(S_OK, root->EnumSubCommands(list.Put()));
    std::vector<std::wstring> slots;
    for (const menu::MenuEntry& slot : menu::ModernMenuSlots())
        slots.push_back(slot.separator ? L"-" : CommandTitle(slot.offset));
    ASSERT_LT(3u, slots.size());
    IExplorerCommand* got[64] = {};
    ULONG fetched = 99;
    EXPECT_EQ(E_INVALIDARG, list->Next(2, got, nullptr));  // more than one needs the count
    ASSERT_EQ(S_OK, list->Next(2, got, &fetched));
    EXPECT_EQ(2u, fetched);
    EXPECT_EQ(slots[0], TitleOf(got[0]));
    EXPECT_EQ(slots[1], TitleOf(got[1]));
    for (ULONG i = 0; i < fetched; ++i) got[i]->Release();

    ferrow::ComPtr<IEnumExplorerCommand> copy;
    ASSERT_EQ(S_OK, list->Clone(copy.Put()));
    // A partial fetch says so and counts what was left.
    EXPECT_EQ(S_FALSE, list->Next(64, got, &fetched));
    EXPECT_EQ(slots.size() - 2, fetched);
    EXPECT_EQ(slots[2], TitleOf(got[0]));
    for (ULONG i = 0; i < fetched; ++i) got[i]->Release();
    EXPECT_EQ(S_FALSE, list->Next(1, got, &fetched));
    EXPECT_EQ(0u, fetched);

    // The clone went on from where the original was, on its own.
    ASSERT_EQ(S_OK, copy->Next(1, got, nullptr));
    EXPECT_EQ(slots[2], TitleOf(got[0]));
    got[0]->Release();
    EXPECT_EQ(S_OK, copy->Skip(1));
    EXPECT_EQ(S_FALSE, copy->Skip(50));  // past the end stops at the end
    EXPECT_EQ(S_FALSE, copy->Next(1, got, &fetched));
    EXPECT_EQ(0u, fetched);

    EXPECT_EQ(S_OK, list->Reset());
    ASSERT_EQ(S_OK, list->Next(1, got, &fetched));
    EXPECT_EQ(slots[0], TitleOf(got[0]));
    got[0]->Release();
}

// The shell's quick call may come on its UI thread with items of another process: the root and every
// subcommand answer E_PENDING without a single call on the items or the site.
TEST(ExplorerCommand, QuickStateTouchesNeitherItemsNorSite) {
    auto real = ferrow::MakeShellItemArray({Wc("modified.c")});
    ASSERT_TRUE(real);
    CCountingItems* items = new CCountingItems(std::move(real));
    ferrow::ComPtr<IShellItemArray> owner = ferrow::ComPtr<IShellItemArray>::Attach(items);
    ClassWindow window(L"FerrowTestView");
    CWindowSite* site = new CWindowSite(window.hwnd, nullptr, SampleFixture("wc"));
    ferrow::ComPtr<IOleWindow> siteOwner = ferrow::ComPtr<IOleWindow>::Attach(site);

    auto root = MakeCommand();
    ferrow::ComPtr<IObjectWithSite> siting;
    ASSERT_EQ(S_OK, root.As(siting));
    ASSERT_EQ(S_OK, siting->SetSite(siteOwner.Get()));
    EXPCMDSTATE state = ECS_ENABLED;
    EXPECT_EQ(E_PENDING, root->GetState(owner.Get(), FALSE, &state));
    ferrow::ComPtr<IEnumExplorerCommand> list;
    ASSERT_EQ(S_OK, root->EnumSubCommands(list.Put()));
    ferrow::ComPtr<IExplorerCommand> sub;
    while (list->Next(1, sub.Put(), nullptr) == S_OK) {
        EXPECT_EQ(E_PENDING, sub->GetState(owner.Get(), FALSE, &state));
    }
    EXPECT_EQ(0, items->calls);
    EXPECT_EQ(0, site->hitTests);
    siting->SetSite(nullptr);
}

// Per call, from the call's own site: in the classic menu ("Show more options", a site whose window is
// the view's) the entry hides, for that call only; a classic handler alive elsewhere hides nothing.
TEST(ExplorerCommand, HiddenInTheClassicMenuOnlyForThatCall) {
    auto items = ferrow::MakeShellItemArray({Wc("modified.c")});
    ASSERT_TRUE(items);
    ClassWindow view(L"FerrowTestView");
    ferrow::ComPtr<IOleWindow> classicSite =
        ferrow::ComPtr<IOleWindow>::Attach(new CWindowSite(view.hwnd, nullptr, SampleFixture("wc")));
    auto classic = menu_test::MakeHandler({Wc("modified.c")});  // the classic menu of another window
    ASSERT_TRUE(classic);
    const ferrow::CommandNode hidden = WalkSited(classicSite.Get(), items.Get());
    EXPECT_EQ(ECS_HIDDEN, hidden.state);
    const ferrow::CommandNode shown = WalkSited(ferrow::MakeFolderViewSite(Wc("sub"), nullptr).Get(), items.Get());
    EXPECT_EQ(ECS_ENABLED, shown.state);
    EXPECT_EQ(ClassicTexts({Wc("modified.c")}), Titles(shown));
}

// The navigation pane passes no items and sites the command on its tree: the command is for the node under
// the menu's point, never for the folder the view on the right shows; on no node it hides.
TEST(ExplorerCommand, NavigationPaneUsesTheClickedNodeOrHides) {
    testing_support::TempDir outside("xcmd-tree");
    ClassWindow tree(L"NamespaceTreeControl");
    struct Case {
        const char* what;
        std::string node;       // under the point; empty: none
        std::string viewFolder; // shown on the right
        bool shown;
    } const cases[] = {
        {"working folder clicked, another on the right", SampleFixture("wc"), outside.Path(), true},
        {"folder outside clicked, a working folder on the right (its Checkout, not the right one's items)",
         outside.Path(), SampleFixture("wc"), true},
        {"no node under the point", "", SampleFixture("wc"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CWindowSite* site = new CWindowSite(tree.hwnd, ItemOf(c.node), c.viewFolder);
        ferrow::ComPtr<IOleWindow> owner = ferrow::ComPtr<IOleWindow>::Attach(site);
        const ferrow::CommandNode node = WalkSited(owner.Get(), nullptr);
        EXPECT_EQ(c.shown ? ECS_ENABLED : ECS_HIDDEN, node.state);
        EXPECT_GE(site->hitTests, 1);
        if (c.shown) {
            EXPECT_EQ(ClassicTexts({c.node}), Titles(node));
        }
    }
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
        auto site = ferrow::MakeFolderViewSite(c.folder, nullptr);
        const ferrow::CommandNode node = WalkSited(site.Get(), nullptr);
        EXPECT_EQ(c.shown ? ECS_ENABLED : ECS_HIDDEN, node.state);
        // The folder's own menu, as for a right-click on the folder.
        if (c.shown) {
            EXPECT_EQ(ClassicTexts({c.folder}), Titles(node));
        }
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
    EXPECT_EQ(S_OK, root->GetState(items.Get(), TRUE, &state));
    EXPECT_EQ(ECS_HIDDEN, state);
    // Only the administrative folder: nothing left to act on.
    auto admin = ferrow::MakeShellItemArray({Wc("CVS")});
    ASSERT_TRUE(admin);
    EXPECT_EQ(S_OK, root->GetState(admin.Get(), TRUE, &state));
    EXPECT_EQ(ECS_HIDDEN, state);
}

// A subcommand starts the program with its command's verb, the call's selection in a path file and the
// Explorer window, and returns; with nothing to act on (the classic menu's site, only a "CVS" folder),
// nothing starts. The recording stand-in plays the program.
TEST(ExplorerCommand, InvokeStartsTheProgramWithVerbSelectionAndWindow) {
    testing_support::TempDir scratch("xcmd-invoke");
    const std::string log = scratch / "calls.log";
    testing_support::EnvironmentGuard env;
    env.Set("CVSSTUB_LOG", log);
    ClassWindow explorer(L"FerrowTestFrame");
    ClassWindow view(L"FerrowTestView");
    const std::wstring stub = ferrow::AnsiToWide(testing_support::StubPath());
    struct Case {
        const char* what;
        unsigned offset;
        std::vector<std::string> items;
        std::string viewFolder;  // of a Windows 11 site; empty: the classic menu's site
        std::vector<std::string> selection;  // empty: nothing starts
    } const cases[] = {
        {"commit of two files", menu::kCmdCommit, {Wc("modified.c"), Wc("unchanged.txt")}, Wc("sub"),
         {Wc("modified.c"), Wc("unchanged.txt")}},
        {"update of a view's background", menu::kCmdUpdate, {}, SampleFixture("wc"), {SampleFixture("wc")}},
        {"the CVS folder left out", menu::kCmdTag, {Wc("CVS"), Wc("sub")}, SampleFixture("wc"), {Wc("sub")}},
        {"only the CVS folder", menu::kCmdUpdate, {Wc("CVS")}, SampleFixture("wc"), {}},
        {"the classic menu's site", menu::kCmdUpdate, {Wc("modified.c")}, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::DeleteFileA(log.c_str());
        ferrow::ComPtr<IUnknown> site = ferrow::MakeFolderViewSite(c.viewFolder, explorer.hwnd);
        if (c.viewFolder.empty()) site.Reset(static_cast<IOleWindow*>(new CWindowSite(view.hwnd, nullptr, "")));
        ferrow::ComPtr<IShellItemArray> items;
        if (!c.items.empty()) items = ferrow::MakeShellItemArray(c.items);
        HANDLE started = nullptr;
        const HRESULT hr = menu::StartCommand(c.offset, items.Get(), site.Get(), stub, &started);
        ferrow::UniqueKernelHandle process(started);
        if (c.selection.empty()) {
            EXPECT_EQ(E_INVALIDARG, hr);
            EXPECT_FALSE(process);
            continue;
        }
        ASSERT_EQ(S_OK, hr);
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.Get(), 30000));
        const std::vector<testing_support::StubCall> calls = testing_support::ReadStubLog(log);
        ASSERT_EQ(1u, calls.size());
        const std::string& line = calls[0].arguments;
        EXPECT_NE(std::string::npos, line.find(std::string("/command:") + menu::FindCommandResources(c.offset)->verb + " "))
            << line;
        EXPECT_NE(std::string::npos,
                  line.find(" /hwnd:" + std::to_string(reinterpret_cast<UINT_PTR>(explorer.hwnd)))) << line;
        const size_t open = line.find("/pathfile:\"");
        ASSERT_NE(std::string::npos, open) << line;
        const size_t from = open + 11;
        const std::wstring file = ferrow::AnsiToWide(line.substr(from, line.find('"', from) - from));
        std::vector<std::string> paths;
        EXPECT_EQ(S_OK, ops::ReadPathFile(file, paths));
        ::DeleteFileW(file.c_str());  // the program removes it; the stand-in does not
        std::vector<std::string> expected = c.selection;  // the shell's spelling: backslashes only
        for (std::string& path : expected) std::replace(path.begin(), path.end(), '/', '\\');
        EXPECT_EQ(expected, paths);
    }
    // Through COM, a separator starts nothing.
    auto root = MakeCommand();
    ferrow::ComPtr<IEnumExplorerCommand> list;
    ASSERT_EQ(S_OK, root->EnumSubCommands(list.Put()));
    ferrow::ComPtr<IExplorerCommand> sub;
    ASSERT_EQ(S_OK, list->Skip(3));
    ASSERT_EQ(S_OK, list->Next(1, sub.Put(), nullptr));
    EXPECT_EQ(E_INVALIDARG, sub->Invoke(nullptr, nullptr));
}

}  // namespace

#include "propsheet/prop_sheet_ext.h"

#include "common/handles.h"
#include "hostsupport/hdrop_data_object.h"
#include "resources/resource.h"
#include "propsheet/stub_client.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

using namespace testing_support;
using namespace propsheet_test;

namespace {

// A data object that offers only CF_HDROP with the given paths, as the shell hands a selection over.
class DropData final : public IDataObject {
public:
    explicit DropData(const std::vector<std::string>& paths, bool offerDrop = true) : offerDrop_(offerDrop) {
        size_t size = sizeof(DROPFILES) + 1;
        for (const std::string& p : paths) size += p.size() + 1;
        memory_ = ::GlobalAlloc(GHND, size);
        auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory_));
        drop->pFiles = sizeof(DROPFILES);
        char* out = reinterpret_cast<char*>(drop + 1);
        for (const std::string& p : paths) {
            memcpy(out, p.c_str(), p.size() + 1);
            out += p.size() + 1;
        }
        ::GlobalUnlock(memory_);
    }
    ~DropData() { ::GlobalFree(memory_); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!offerDrop_ || format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        const SIZE_T size = ::GlobalSize(memory_);
        HGLOBAL copy = ::GlobalAlloc(GHND, size);
        memcpy(::GlobalLock(copy), ::GlobalLock(memory_), size);
        ::GlobalUnlock(copy);
        ::GlobalUnlock(memory_);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    HGLOBAL memory_;
    bool offerDrop_;
};

std::vector<HPROPSHEETPAGE>* g_pages = nullptr;
bool g_refuse = false;

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM) {
    if (g_refuse) return FALSE;
    g_pages->push_back(page);
    return TRUE;
}

class PropSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeWorkingFolder(wc_, {"/branch.c/1.2.2.2/Thu Jan  1 00:00:00 2009//Tbranch_x", "/a.c/1.1/x//",
                                "/b.c/1.1/x//", "D/sub////"});
        WriteTextFile(wc_ / "CVS/Tag", "Tbranch_x\n");
        WriteTextFile(wc_ / "sub/CVS/Root", ":local:/repo\n");
        WriteTextFile(wc_ / "sub/CVS/Repository", "mod/sub\n");
        WriteTextFile(wc_ / "sub/CVS/Entries", "D\n");
        WriteTextFile(wc_ / "unlisted.c", "x\n");
        WriteTextFile(outside_ / "free.c", "x\n");
        g_pages = &pages_;
        g_refuse = false;
    }
    void TearDown() override {
        for (HPROPSHEETPAGE page : pages_) ::DestroyPropertySheetPage(page);
        g_pages = nullptr;
    }

    ferrow::ComPtr<IShellExtInit> Create() {
        ferrow::ComPtr<IShellExtInit> init;
        EXPECT_EQ(S_OK, ferrow::CreateInstance<propsheet::CCVSPropSheetExt>(nullptr, IID_IShellExtInit, init.PutVoid()));
        return init;
    }
    HRESULT Init(IShellExtInit* init, const std::vector<std::string>& paths) {
        DropData data(paths);
        return init->Initialize(nullptr, &data, nullptr);
    }

    StubClient stub_;
    TempDir wc_{"ferrow-props"};
    TempDir outside_{"ferrow-outside"};
    std::vector<HPROPSHEETPAGE> pages_;
};

struct AcceptCase {
    const char* name;
    std::vector<std::string> items;  // relative to the working folder, or "!" + relative to the outside one
    HRESULT result;
    size_t pages;
};

TEST_F(PropSheetTest, AcceptsByTheFirstItemAndAddsPages) {
    const AcceptCase cases[] = {
        {"one versioned file", {"branch.c"}, S_OK, 2},
        {"a working folder", {"sub"}, S_OK, 1},
        {"several files", {"b.c", "a.c"}, S_OK, 1},
        {"unlisted file in a working folder", {"unlisted.c"}, S_OK, 2},
        {"first item outside", {"!free.c", "a.c"}, E_INVALIDARG, 0},
        {"the CVS folder itself", {"CVS"}, S_OK, 1},  // its parent holds a "CVS" folder
    };
    for (const AcceptCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> paths;
        for (const std::string& item : c.items) {
            paths.push_back(item[0] == '!' ? outside_ / item.substr(1) : wc_ / item);
        }
        ferrow::ComPtr<IShellExtInit> init = Create();
        EXPECT_EQ(c.result, Init(init.Get(), paths));
        if (FAILED(c.result)) continue;
        ferrow::ComPtr<IShellPropSheetExt> sheet;
        ASSERT_EQ(S_OK, init.As(sheet));
        const size_t before = pages_.size();
        EXPECT_EQ(S_OK, sheet->AddPages(CollectPage, 0));
        EXPECT_EQ(c.pages, pages_.size() - before);
        EXPECT_EQ(E_NOTIMPL, sheet->ReplacePage(0, CollectPage, 0));
    }
}

TEST_F(PropSheetTest, RejectsMissingOrEmptyData) {
    ferrow::ComPtr<IShellExtInit> init = Create();
    EXPECT_EQ(E_INVALIDARG, init->Initialize(nullptr, nullptr, nullptr));
    DropData noDrop({wc_ / "a.c"}, false);
    EXPECT_EQ(E_INVALIDARG, init->Initialize(nullptr, &noDrop, nullptr));
    EXPECT_EQ(E_INVALIDARG, Init(init.Get(), {}));
    // An over-long name is not taken cut short.
    EXPECT_EQ(E_INVALIDARG, Init(init.Get(), {wc_ / std::string(300, 'x')}));
    // Nor is a name the ANSI code page cannot spell: read narrow it would name "?.c", another item.
    const std::wstring foreign = testing_support::WideOf(wc_.Path()) + L"\\\x4E2D.c";
    ferrow::ComPtr<IDataObject> wide = ferrow::MakeHDropDataObject(std::vector<std::wstring>{foreign});
    EXPECT_EQ(E_INVALIDARG, init->Initialize(nullptr, wide.Get(), nullptr));
}

TEST_F(PropSheetTest, PagesKeepTheObjectAliveAndRefusedPagesAreDestroyed) {
    const LONG locks = ferrow::Module().GetLockCount();
    {
        ferrow::ComPtr<IShellExtInit> init = Create();
        ASSERT_EQ(S_OK, Init(init.Get(), {wc_ / "branch.c"}));
        ferrow::ComPtr<IShellPropSheetExt> sheet;
        ASSERT_EQ(S_OK, init.As(sheet));
        g_refuse = true;
        EXPECT_EQ(S_OK, sheet->AddPages(CollectPage, 0));
        g_refuse = false;
        EXPECT_EQ(S_OK, sheet->AddPages(CollectPage, 0));
        ASSERT_EQ(2u, pages_.size());
    }
    // The object outlives its last interface pointer while pages exist...
    EXPECT_EQ(locks + 1, ferrow::Module().GetLockCount());
    for (HPROPSHEETPAGE page : pages_) ::DestroyPropertySheetPage(page);
    pages_.clear();
    // ...and goes with them.
    EXPECT_EQ(locks, ferrow::Module().GetLockCount());
}

// A modeless sheet with the handler's pages, each page created by selecting it.
class Sheet {
public:
    explicit Sheet(std::vector<HPROPSHEETPAGE>& pages) {
        PROPSHEETHEADERA header = {};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
        header.pszCaption = "Properties";
        header.nPages = static_cast<UINT>(pages.size());
        header.phpage = pages.data();
        window_ = reinterpret_cast<HWND>(::PropertySheetA(&header));
        pages.clear();  // the sheet owns them now
        for (UINT i = 0; i < header.nPages; ++i) PropSheet_SetCurSel(window_, nullptr, i);
    }
    ~Sheet() {
        if (window_) ::DestroyWindow(window_);
    }
    HWND Page(int index) const { return PropSheet_IndexToHwnd(window_, index); }
    HWND Window() const { return window_; }

private:
    HWND window_ = nullptr;
};

std::string Text(HWND page, int id) {
    char text[4096] = {};
    ::GetDlgItemTextA(page, id, text, sizeof(text));
    return text;
}

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    const int n = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char text[MAX_PATH] = {};
        ::SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

TEST_F(PropSheetTest, CvsPageFields) {
    stub_.Serve("local-branch.log");
    ferrow::ComPtr<IShellExtInit> init = Create();
    ASSERT_EQ(S_OK, Init(init.Get(), {wc_ / "b.c", wc_ / "a.c"}));
    ferrow::ComPtr<IShellPropSheetExt> sheet;
    ASSERT_EQ(S_OK, init.As(sheet));
    ASSERT_EQ(S_OK, sheet->AddPages(CollectPage, 0));
    ASSERT_EQ(1u, pages_.size());
    Sheet frame(pages_);
    HWND page = frame.Page(0);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(":local:/repo", Text(page, IDC_CVS_ROOT));
    EXPECT_EQ("mod", Text(page, IDC_CVS_REPOSITORY));
    EXPECT_EQ("branch_x", Text(page, IDC_CVS_TAG));
    HWND files = ::GetDlgItem(page, IDC_CVS_FILES);
    EXPECT_EQ((std::vector<std::string>{wc_ / "a.c", wc_ / "b.c"}), ComboItems(files));
    EXPECT_EQ(0, ::SendMessageA(files, CB_GETCURSEL, 0, 0));
    const std::string log = Text(page, IDC_CVS_LOG);
    EXPECT_EQ(0u, log.find("RCS file: "));
    std::vector<std::string> calls = stub_.CallLines();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(wc_.Path() + "\tlog -l  a.c ", calls[0]);

    // Choosing the other file fetches its log; a failing client leaves the text as it was.
    stub_.Exit(1);
    ::SendMessageA(files, CB_SETCURSEL, 1, 0);
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_CVS_FILES, CBN_SELCHANGE), reinterpret_cast<LPARAM>(files));
    calls = stub_.CallLines();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(wc_.Path() + "\tlog -l  b.c ", calls[1]);
    EXPECT_EQ(log, Text(page, IDC_CVS_LOG));
}

// The tree's labels below a node, in shown order, with their children in brackets.
std::string TreeShape(HWND tree, HTREEITEM parent) {
    std::string out;
    for (HTREEITEM item = TreeView_GetChild(tree, parent); item; item = TreeView_GetNextSibling(tree, item)) {
        char text[256] = {};
        TVITEMA data = {};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = sizeof(text);
        TreeView_GetItem(tree, &data);
        if (!out.empty()) out += ' ';
        out += text;
        const std::string below = TreeShape(tree, item);
        if (!below.empty()) out += "[" + below + "]";
    }
    return out;
}

struct ButtonState {
    bool view, save, merge, compare;
};

ButtonState Buttons(HWND page) {
    auto on = [&](int id) { return ::IsWindowEnabled(::GetDlgItem(page, id)) != FALSE; };
    return {on(IDC_HISTORY_VIEW), on(IDC_HISTORY_SAVE), on(IDC_HISTORY_MERGE), on(IDC_HISTORY_COMPARE)};
}

TEST_F(PropSheetTest, HistoryPageListTreeAndButtons) {
    stub_.Serve("branch.log");
    ferrow::ComPtr<IShellExtInit> init = Create();
    ASSERT_EQ(S_OK, Init(init.Get(), {wc_ / "branch.c"}));
    ferrow::ComPtr<IShellPropSheetExt> sheet;
    ASSERT_EQ(S_OK, init.As(sheet));
    ASSERT_EQ(S_OK, sheet->AddPages(CollectPage, 0));
    ASSERT_EQ(2u, pages_.size());
    Sheet frame(pages_);
    HWND page = frame.Page(1);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(wc_ / "branch.c", Text(page, IDC_HISTORY_PATH));
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(page, IDC_HISTORY_SHOW_LIST));

    HWND list = ::GetDlgItem(page, IDC_HISTORY_LIST);
    ASSERT_EQ(5, ListView_GetItemCount(list));
    const char* revisions[] = {"1.3", "1.2", "1.1", "1.2.2.2", "1.2.2.1"};
    for (int row = 0; row < 5; ++row) {
        char text[64] = {};
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = row;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        ASSERT_TRUE(::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        EXPECT_STREQ(revisions[row], text);
        EXPECT_EQ(row == 3 ? 3 : 2, item.iImage) << row;  // the working revision 1.2.2.2
    }
    EXPECT_NE(0, ::GetWindowLongA(list, GWL_STYLE) & LVS_SHAREIMAGELISTS);

    HWND tree = ::GetDlgItem(page, IDC_HISTORY_TREE);
    EXPECT_EQ("1[1.1  REL_0 1.2  BP_x[1.2.2  branch_x[1.2.2.1 1.2.2.2]] 1.3  REL_1]", TreeShape(tree, TVI_ROOT));
    EXPECT_EQ(nullptr, TreeView_GetSelection(tree));

    const struct {
        std::vector<int> rows;
        ButtonState state;
    } selections[] = {
        {{}, {false, false, false, false}},
        {{1}, {true, true, true, true}},
        {{0, 2}, {false, false, true, true}},
        {{0, 2, 4}, {false, false, true, true}},
    };
    for (const auto& s : selections) {
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
        for (int row : s.rows) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
        Pump();
        const ButtonState b = Buttons(page);
        EXPECT_EQ(s.state.view, b.view) << s.rows.size();
        EXPECT_EQ(s.state.save, b.save) << s.rows.size();
        EXPECT_EQ(s.state.merge, b.merge) << s.rows.size();
        EXPECT_EQ(s.state.compare, b.compare) << s.rows.size();
    }

    // The tree with nothing selected there: all disabled; a branch node counts as nothing; a revision as one.
    ::CheckRadioButton(page, IDC_HISTORY_SHOW_LIST, IDC_HISTORY_SHOW_TREE, IDC_HISTORY_SHOW_TREE);
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_SHOW_TREE, BN_CLICKED), 0);
    EXPECT_FALSE(::GetWindowLongA(list, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(::GetWindowLongA(tree, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(Buttons(page).compare);
    HTREEITEM root = TreeView_GetRoot(tree);
    TreeView_SelectItem(tree, root);
    Pump();
    EXPECT_FALSE(Buttons(page).compare);
    TreeView_SelectItem(tree, TreeView_GetChild(tree, root));  // 1.1
    Pump();
    EXPECT_TRUE(Buttons(page).view);
    EXPECT_TRUE(Buttons(page).compare);
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_SHOW_LIST, BN_CLICKED), 0);
    EXPECT_TRUE(::GetWindowLongA(list, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(PropSheetTest, HistoryPageWhenTheLogFails) {
    stub_.Exit(1);
    ferrow::ComPtr<IShellExtInit> init = Create();
    ASSERT_EQ(S_OK, Init(init.Get(), {wc_ / "unlisted.c"}));
    ferrow::ComPtr<IShellPropSheetExt> sheet;
    ASSERT_EQ(S_OK, init.As(sheet));
    ASSERT_EQ(S_OK, sheet->AddPages(CollectPage, 0));
    Sheet frame(pages_);
    HWND page = frame.Page(1);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(wc_ / "unlisted.c", Text(page, IDC_HISTORY_PATH));
    EXPECT_EQ(0, ListView_GetItemCount(::GetDlgItem(page, IDC_HISTORY_LIST)));
    EXPECT_EQ(nullptr, TreeView_GetRoot(::GetDlgItem(page, IDC_HISTORY_TREE)));  // not even the root
    EXPECT_FALSE(Buttons(page).compare);
}

}  // namespace

namespace {

// Waits until the stub has been called `count` times (tools are started, not waited for).
std::vector<std::string> WaitForCalls(const StubClient& stub, size_t count) {
    std::vector<std::string> calls;
    for (int i = 0; i < 100; ++i) {
        calls = stub.CallLines();
        if (calls.size() >= count) break;
        ::Sleep(50);
    }
    return calls;
}

// The arguments of a call, without the folder.
std::string Args(const std::string& call) { return call.substr(call.find('\t') + 1); }

TEST_F(PropSheetTest, HistoryButtonsStartTheTools) {
    const std::string stub = std::string(FERROW_BIN_DIR) + "\\tools\\cvsstub.exe";
    settings::SetTool(settings::kToolDiff, stub + " diff $(OldFile) $(NewFile)");
    settings::SetTool(settings::kToolView, stub + " view $(File)");
    stub_.Serve("branch.log");
    ferrow::ComPtr<IShellExtInit> init = Create();
    ASSERT_EQ(S_OK, Init(init.Get(), {wc_ / "branch.c"}));
    ferrow::ComPtr<IShellPropSheetExt> sheet;
    ASSERT_EQ(S_OK, init.As(sheet));
    ASSERT_EQ(S_OK, sheet->AddPages(CollectPage, 0));
    Sheet frame(pages_);
    HWND page = frame.Page(1);
    ASSERT_NE(nullptr, page);
    HWND list = ::GetDlgItem(page, IDC_HISTORY_LIST);
    ASSERT_EQ(2u, stub_.Calls().size());  // the local log of the CVS page and the full log
    stub_.Silence();

    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string rev = std::string(temp) + "branch.c_";

    // Two rows: the lower (older) row is the old revision.
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_COMPARE, BN_CLICKED), 0);
    std::vector<std::string> calls = WaitForCalls(stub_, 5);
    ASSERT_EQ(5u, calls.size());
    EXPECT_EQ("-q update -p -r 1.1  branch.c ", Args(calls[2]));
    EXPECT_EQ("-q update -p -r 1.3  branch.c ", Args(calls[3]));
    EXPECT_EQ("diff " + rev + "1.1 " + rev + "1.3", Args(calls[4]));

    // One row: against the working file.
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, 3, LVIS_SELECTED, LVIS_SELECTED);
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_COMPARE, BN_CLICKED), 0);
    calls = WaitForCalls(stub_, 7);
    ASSERT_EQ(7u, calls.size());
    EXPECT_EQ("-q update -p -r 1.2.2.2  branch.c ", Args(calls[5]));
    EXPECT_EQ("diff " + rev + "1.2.2.2 " + (wc_ / "branch.c"), Args(calls[6]));

    // View, by the button and by a double click on the list.
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_VIEW, BN_CLICKED), 0);
    NMHDR click = {list, IDC_HISTORY_LIST, static_cast<UINT>(NM_DBLCLK)};
    ::SendMessageA(page, WM_NOTIFY, IDC_HISTORY_LIST, reinterpret_cast<LPARAM>(&click));
    calls = WaitForCalls(stub_, 11);
    ASSERT_EQ(11u, calls.size());
    size_t views = 0;
    for (const std::string& call : calls) views += Args(call) == "view " + rev + "1.2.2.2";
    EXPECT_EQ(2u, views);

    // Merge does nothing; nothing is selected: the buttons do nothing either.
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_MERGE, BN_CLICKED), 0);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_COMPARE, BN_CLICKED), 0);
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_VIEW, BN_CLICKED), 0);
    ::Sleep(300);
    EXPECT_EQ(11u, stub_.Calls().size());
    for (const char* r : {"1.1", "1.3", "1.2.2.2"}) ::DeleteFileA((rev + r).c_str());
}

}  // namespace

namespace {

TEST_F(PropSheetTest, ImageListHoldsTheFourHistoryImages) {
    ferrow::ComPtr<IShellExtInit> init = Create();
    auto* object = static_cast<propsheet::CCVSPropSheetExt*>(init.Get());
    ASSERT_NE(nullptr, object->ImageList());
    EXPECT_EQ(4, ImageList_GetImageCount(object->ImageList()));
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(object->ImageList(), &cx, &cy));
    EXPECT_EQ(16, cx);
    EXPECT_EQ(16, cy);
}

TEST_F(PropSheetTest, FolderShowsItsOwnCvsFilesAndLocalLog) {
    stub_.Serve("folder.log");
    ferrow::ComPtr<IShellExtInit> init = Create();
    ASSERT_EQ(S_OK, Init(init.Get(), {wc_ / "sub"}));
    ferrow::ComPtr<IShellPropSheetExt> sheet;
    ASSERT_EQ(S_OK, init.As(sheet));
    ASSERT_EQ(S_OK, sheet->AddPages(CollectPage, 0));
    ASSERT_EQ(1u, pages_.size());
    Sheet frame(pages_);
    HWND page = frame.Page(0);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ("mod/sub", Text(page, IDC_CVS_REPOSITORY));
    EXPECT_EQ("", Text(page, IDC_CVS_TAG));  // the folder has no CVS/Tag
    EXPECT_EQ(page, static_cast<propsheet::CCVSPropSheetExt*>(init.Get())->CvsPageWindow());
    const std::vector<std::string> calls = stub_.CallLines();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(wc_.Path() + "\tlog -l  sub ", calls[0]);
    EXPECT_NE(std::string::npos, Text(page, IDC_CVS_LOG).find("Working file: gone.c\r\n"));
    // Apply is accepted without doing anything.
    PSHNOTIFY apply = {{frame.Window(), 0, static_cast<UINT>(PSN_APPLY)}, 0};
    ::SetWindowLongPtrA(page, DWLP_MSGRESULT, 77);  // a marker the page must overwrite
    EXPECT_EQ(PSNRET_NOERROR, ::SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply)));
    EXPECT_EQ(PSNRET_NOERROR, ::GetWindowLongPtrA(page, DWLP_MSGRESULT));
}

}  // namespace

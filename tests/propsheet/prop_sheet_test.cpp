#include "propsheet/prop_sheet_ext.h"

#include "common/handles.h"
#include "common/module_instance.h"
#include "hostsupport/hdrop_data_object.h"
#include "resources/resource.h"
#include "propsheet/stub_client.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <functional>
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

// The pages fetch their logs on worker threads and fill in when the result is posted: pumps until
// `done` (false when it did not come within a bound far beyond the stand-in's time).
bool PumpUntil(const std::function<bool()>& done) {
    for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 10000; ::Sleep(10)) {
        Pump();
        if (done()) return true;
    }
    return false;
}

bool LogArrived(HWND cvsPage) {
    return Text(cvsPage, IDC_CVS_LOG) != ferrow::LoadResString(IDS_PAGE_LOG_LOADING);
}

std::string FirstRow(HWND list) {
    char text[256] = {};
    ListView_GetItemText(list, 0, 0, text, sizeof text);
    return text;
}

bool HistoryArrived(HWND historyPage) {
    return FirstRow(::GetDlgItem(historyPage, IDC_HISTORY_LIST)) != ferrow::LoadResString(IDS_PAGE_LOG_LOADING);
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
    ASSERT_TRUE(PumpUntil([&] { return LogArrived(page); }));
    const std::string log = Text(page, IDC_CVS_LOG);
    EXPECT_EQ(0u, log.find("RCS file: "));
    std::vector<std::string> calls = stub_.CallLines();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(wc_.Path() + "\tlog -l  a.c ", calls[0]);

    // Choosing the other file fetches its log; a failing client says so.
    stub_.Exit(1);
    ::SendMessageA(files, CB_SETCURSEL, 1, 0);
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_CVS_FILES, CBN_SELCHANGE), reinterpret_cast<LPARAM>(files));
    ASSERT_TRUE(PumpUntil([&] { return LogArrived(page); }));
    calls = stub_.CallLines();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(wc_.Path() + "\tlog -l  b.c ", calls[1]);
    EXPECT_EQ(ferrow::LoadResString(IDS_PAGE_LOG_FAILED), Text(page, IDC_CVS_LOG));
}

// The stand-ins that this process's interpreters started, opened so that their end can be seen.
std::vector<HANDLE> OurStandIns() {
    std::vector<HANDLE> found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    std::vector<PROCESSENTRY32> all;
    PROCESSENTRY32 entry = {sizeof entry};
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        all.push_back(entry);
    }
    ::CloseHandle(snapshot);
    for (const PROCESSENTRY32& stub : all) {
        if (_stricmp(stub.szExeFile, "cvsstub.exe") != 0) continue;
        for (const PROCESSENTRY32& parent : all) {
            if (parent.th32ProcessID != stub.th32ParentProcessID) continue;
            if (parent.th32ParentProcessID != ::GetCurrentProcessId()) continue;
            if (HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, stub.th32ProcessID)) found.push_back(process);
        }
    }
    return found;
}

TEST_F(PropSheetTest, PagesAnswerWhileTheirLogRunsAndClosingEndsIt) {
    // A client that never ends: the sheet opens at once and says what it waits for; closing it ends the
    // client's whole tree instead of waiting for it.
    stub_.Serve("branch.log");
    stub_.Env().Set("CVSSTUB_WAIT", "forever");
    ferrow::ComPtr<IShellExtInit> init = Create();
    ASSERT_EQ(S_OK, Init(init.Get(), {wc_ / "branch.c"}));
    ferrow::ComPtr<IShellPropSheetExt> sheet;
    ASSERT_EQ(S_OK, init.As(sheet));
    ASSERT_EQ(S_OK, sheet->AddPages(CollectPage, 0));
    ASSERT_EQ(2u, pages_.size());
    std::vector<HANDLE> stubs;
    {
        Sheet frame(pages_);
        HWND cvsPage = frame.Page(0);
        HWND historyPage = frame.Page(1);
        ASSERT_TRUE(cvsPage && historyPage);
        EXPECT_EQ(ferrow::LoadResString(IDS_PAGE_LOG_LOADING), Text(cvsPage, IDC_CVS_LOG));
        HWND list = ::GetDlgItem(historyPage, IDC_HISTORY_LIST);
        EXPECT_EQ(ferrow::LoadResString(IDS_PAGE_LOG_LOADING), FirstRow(list));
        EXPECT_FALSE(::IsWindowEnabled(list));
        // The page takes input meanwhile: the view switches.
        ::CheckRadioButton(historyPage, IDC_HISTORY_SHOW_LIST, IDC_HISTORY_SHOW_TREE, IDC_HISTORY_SHOW_TREE);
        ::SendMessageA(historyPage, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_SHOW_TREE, BN_CLICKED), 0);
        EXPECT_FALSE(::GetWindowLongA(list, GWL_STYLE) & WS_VISIBLE);
        ASSERT_TRUE(PumpUntil([&] {
            for (HANDLE h : stubs) ::CloseHandle(h);
            stubs = OurStandIns();
            return stubs.size() == 2;
        })) << "both logs run";
    }
    // The sheet is gone: both clients are, too (their interpreters and they are ended as one tree).
    for (HANDLE stub : stubs) {
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(stub, 10000));
        ::CloseHandle(stub);
    }
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
    ASSERT_TRUE(PumpUntil([&] { return HistoryArrived(page); }));

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
    ASSERT_TRUE(PumpUntil([&] { return HistoryArrived(page); }));
    HWND list = ::GetDlgItem(page, IDC_HISTORY_LIST);
    EXPECT_EQ(1, ListView_GetItemCount(list));  // the line that says so, in a list that takes no selection
    EXPECT_EQ(ferrow::LoadResString(IDS_PAGE_LOG_FAILED), FirstRow(list));
    EXPECT_FALSE(::IsWindowEnabled(list));
    EXPECT_EQ(nullptr, TreeView_GetRoot(::GetDlgItem(page, IDC_HISTORY_TREE)));  // not even the root
    EXPECT_FALSE(Buttons(page).compare);
}

}  // namespace

namespace {

TEST_F(PropSheetTest, HistoryButtonsDoNothingWithoutASelection) {
    stub_.Serve("branch.log");
    ferrow::ComPtr<IShellExtInit> init = Create();
    ASSERT_EQ(S_OK, Init(init.Get(), {wc_ / "branch.c"}));
    ferrow::ComPtr<IShellPropSheetExt> sheet;
    ASSERT_EQ(S_OK, init.As(sheet));
    ASSERT_EQ(S_OK, sheet->AddPages(CollectPage, 0));
    Sheet frame(pages_);
    HWND page = frame.Page(1);
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(PumpUntil([&] { return HistoryArrived(page) && LogArrived(frame.Page(0)); }));
    ASSERT_EQ(2u, stub_.Calls().size());  // the local log of the CVS page and the full log
    stub_.Silence();

    // Merge does nothing; nothing is selected: the buttons do nothing either.
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_MERGE, BN_CLICKED), 0);
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_COMPARE, BN_CLICKED), 0);
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_VIEW, BN_CLICKED), 0);
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_SAVE, BN_CLICKED), 0);
    ::Sleep(300);
    EXPECT_EQ(2u, stub_.Calls().size());
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
    ASSERT_TRUE(PumpUntil([&] { return LogArrived(page); }));
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

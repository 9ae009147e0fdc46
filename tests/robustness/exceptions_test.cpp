// No exception leaves a COM method: every entry point of the shell objects is called again and again with
// its n-th allocation failing (n = 0, 1, 2, ... until a call needs no more), as a string or a list that
// cannot grow fails in a crowded Explorer. Each call must return an answer, never throw.
// This program's operator new is replaced (below) by one that fails on request, on the calling thread only.
#include "hostsupport/hdrop_data_object.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "console/console_bar.h"
#include "console/console_link.h"
#include "exec/exec_support.h"
#include "menu/context_menu.h"
#include "propsheet/prop_sheet_ext.h"
#include "resources/resource.h"
#include "com/guids.h"
#include "support/fixtures.h"
#include "views/column_provider.h"
#include "views/icon_overlay.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

namespace {

thread_local long t_failAfter = -1;  // allocations left before one fails; -1: none fails
thread_local bool t_failed = false;  // an allocation failed on request

}  // namespace

// The process heap rather than malloc, so that the compiler sees no mismatched pair.
void* operator new(std::size_t size) {
    if (t_failAfter >= 0 && t_failAfter-- == 0) {
        t_failed = true;
        throw std::bad_alloc();
    }
    if (void* p = ::HeapAlloc(::GetProcessHeap(), 0, size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return ::operator new(size, tag); }
void operator delete(void* p) noexcept {
    if (p) ::HeapFree(::GetProcessHeap(), 0, p);
}
void operator delete[](void* p) noexcept { ::operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { ::operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { ::operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { ::operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { ::operator delete(p); }

namespace {

using testing_support::TempDir;
using testing_support::WideOf;
using testing_support::WriteTextFile;

// Calls `call` with its n-th allocation failing, for every n until a call makes no failing allocation.
// Every result must be one of `allowed`; no exception may come out. Returns the number of calls.
int WithEachAllocationFailing(const char* what, const std::function<HRESULT()>& call,
                              std::initializer_list<HRESULT> allowed) {
    for (long n = 0; n < 100000; ++n) {
        t_failed = false;
        t_failAfter = n;
        HRESULT hr = E_PENDING;
        bool threw = false;
        try {
            hr = call();
        } catch (...) {
            threw = true;
        }
        t_failAfter = -1;
        EXPECT_FALSE(threw) << what << ": an exception left the call when allocation " << n << " failed";
        bool ok = false;
        for (HRESULT a : allowed) ok = ok || a == hr;
        EXPECT_TRUE(ok) << what << ": 0x" << std::hex << hr << " when allocation " << std::dec << n << " failed";
        if (threw || !ok) return static_cast<int>(n);
        if (!t_failed) return static_cast<int>(n);  // the call needed fewer allocations: done
    }
    ADD_FAILURE() << what << " never ended without a failure";
    return -1;
}

class AllocationFailure : public ::testing::Test {
protected:
    void SetUp() override {
        WriteTextFile(dir_ / "CVS/Entries", "/a.c/1.4/dummy timestamp//Trelease\nD/sub////\n");
        WriteTextFile(dir_ / "CVS/Root", ":local:C:/repo\n");
        WriteTextFile(dir_ / "CVS/Repository", "mod\n");
        WriteTextFile(dir_ / "a.c", "int a;\n");
        WriteTextFile(dir_ / "sub/CVS/Entries", "D\n");
        file_ = WideOf(dir_ / "a.c");
    }
    TempDir dir_{"nomem"};
    std::wstring file_;
};

TEST_F(AllocationFailure, Overlays) {
    ferrow::ComPtr<IShellIconOverlayIdentifier> controlled, modified;
    ASSERT_EQ(S_OK, ferrow::CreateInstance<CCVSModifiedIconOverlay>(nullptr, IID_IShellIconOverlayIdentifier,
                                                                    controlled.PutVoid()));
    ASSERT_EQ(S_OK, ferrow::CreateInstance<CCVSIconOverlay>(nullptr, IID_IShellIconOverlayIdentifier,
                                                            modified.PutVoid()));
    // Out of memory, an overlay says "no".
    EXPECT_GT(WithEachAllocationFailing("controlled overlay",
                                        [&] { return controlled->IsMemberOf(file_.c_str(), 0); }, {S_OK, S_FALSE}),
              0);
    EXPECT_GT(WithEachAllocationFailing("modified overlay",
                                        [&] { return modified->IsMemberOf(file_.c_str(), 0); }, {S_OK, S_FALSE}),
              0);
    EXPECT_EQ(S_OK, controlled->IsMemberOf(file_.c_str(), 0));
    EXPECT_EQ(S_OK, modified->IsMemberOf(file_.c_str(), 0));
}

TEST_F(AllocationFailure, Columns) {
    ferrow::ComPtr<IColumnProvider> columns;
    ASSERT_EQ(S_OK, ferrow::CreateInstance<CCVSColumnProvider>(nullptr, __uuidof(IColumnProvider), columns.PutVoid()));
    SHCOLUMNINIT init = {};
    WideOf(dir_.Path()).copy(init.wszFolder, MAX_PATH - 1);
    WithEachAllocationFailing("Initialize", [&] { return columns->Initialize(&init); }, {S_OK, E_OUTOFMEMORY});
    ASSERT_EQ(S_OK, columns->Initialize(&init));
    SHCOLUMNINFO info;
    WithEachAllocationFailing("GetColumnInfo", [&] { return columns->GetColumnInfo(0, &info); }, {S_OK, E_OUTOFMEMORY});
    const SHCOLUMNID ids[] = {{ferrow::kColumnFormatId, 0}, {ferrow::kColumnFormatId, 1},
                              {FMTID_SummaryInformation, 9}};
    for (const SHCOLUMNID& id : ids) {
        SHCOLUMNDATA data = {};
        file_.copy(data.wszFile, MAX_PATH - 1);
        EXPECT_GT(WithEachAllocationFailing("GetItemData",
                                            [&] {
                                                VARIANT v;
                                                ::VariantInit(&v);
                                                const HRESULT hr = columns->GetItemData(&id, &data, &v);
                                                ::VariantClear(&v);
                                                return hr;
                                            },
                                            {S_OK, S_FALSE}),
                  0);
    }
}

TEST_F(AllocationFailure, ContextMenu) {
    ferrow::ComPtr<IShellExtInit> init;
    ASSERT_EQ(S_OK, ferrow::CreateInstance<menu::CCVSContextMenu>(nullptr, IID_IShellExtInit, init.PutVoid()));
    ferrow::ComPtr<IContextMenu> menu;
    ASSERT_EQ(S_OK, init->QueryInterface(IID_IContextMenu, menu.PutVoid()));
    ferrow::ComPtr<IDataObject> data = ferrow::MakeHDropDataObject({dir_ / "a.c", dir_ / "sub"});
    EXPECT_GT(WithEachAllocationFailing("Initialize", [&] { return init->Initialize(nullptr, data.Get(), nullptr); },
                                        {S_OK, E_OUTOFMEMORY, E_INVALIDARG}),
              0);
    ASSERT_EQ(S_OK, init->Initialize(nullptr, data.Get(), nullptr));
    EXPECT_GT(WithEachAllocationFailing("QueryContextMenu",
                                        [&] {
                                            ferrow::UniqueMenu popup(::CreatePopupMenu());
                                            const HRESULT hr = menu->QueryContextMenu(popup.Get(), 0, 1, 0x7FFF, 0);
                                            return SUCCEEDED(hr) ? S_OK : hr;
                                        },
                                        {S_OK, E_OUTOFMEMORY}),
              0);
    char help[256];
    WithEachAllocationFailing("GetCommandString",
                              [&] { return menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, help, sizeof help); },
                              {S_OK, E_OUTOFMEMORY});
    // A console link that cannot be made is reported, not answered with S_OK.
    ferrow::ComPtr<IObjectWithSite> withSite;
    ASSERT_EQ(S_OK, init->QueryInterface(IID_IObjectWithSite, withSite.PutVoid()));
    t_failAfter = 0;
    const HRESULT sited = withSite->SetSite(data.Get());
    t_failAfter = -1;
    EXPECT_EQ(E_OUTOFMEMORY, sited);
    console::DropLink();
}

UINT g_pages = 0;
BOOL CALLBACK TakePage(HPROPSHEETPAGE page, LPARAM) {
    ++g_pages;
    ::DestroyPropertySheetPage(page);  // the sheet is never shown; the page releases the handler
    return TRUE;
}

TEST_F(AllocationFailure, PropertySheetAndConsoleBar) {
    ferrow::ComPtr<IShellExtInit> init;
    ASSERT_EQ(S_OK, ferrow::CreateInstance<propsheet::CCVSPropSheetExt>(nullptr, IID_IShellExtInit, init.PutVoid()));
    ferrow::ComPtr<IShellPropSheetExt> sheet;
    ASSERT_EQ(S_OK, init->QueryInterface(IID_IShellPropSheetExt, sheet.PutVoid()));
    ferrow::ComPtr<IDataObject> data = ferrow::MakeHDropDataObject({dir_ / "a.c"});
    WithEachAllocationFailing("Initialize", [&] { return init->Initialize(nullptr, data.Get(), nullptr); },
                              {S_OK, E_OUTOFMEMORY, E_INVALIDARG});
    ASSERT_EQ(S_OK, init->Initialize(nullptr, data.Get(), nullptr));
    WithEachAllocationFailing("AddPages", [&] { return sheet->AddPages(TakePage, 0); }, {S_OK, E_OUTOFMEMORY});
    EXPECT_GT(g_pages, 0u);

    ferrow::ComPtr<IDeskBand> band;
    ASSERT_EQ(S_OK, console::CConsoleBar::CreateInstance(nullptr, IID_IDeskBand, band.PutVoid()));
    DESKBANDINFO info = {};
    WithEachAllocationFailing("GetBandInfo",
                              [&] {
                                  info.dwMask = DBIM_TITLE | DBIM_MINSIZE;
                                  return band->GetBandInfo(0, 0, &info);
                              },
                              {S_OK, E_OUTOFMEMORY});
}

TEST_F(AllocationFailure, PageWindowProcedures) {
    // The pages' procedures fill them on WM_INITDIALOG (administrative files, the log): each dialog is
    // created again with every allocation failing in turn. Without a command interpreter the log fails
    // at once, so no command runs.
    exec_test::EnvironmentGuard env;
    env.Set("COMSPEC", nullptr);
    ferrow::ComPtr<IShellExtInit> init;
    ASSERT_EQ(S_OK, ferrow::CreateInstance<propsheet::CCVSPropSheetExt>(nullptr, IID_IShellExtInit, init.PutVoid()));
    ferrow::ComPtr<IDataObject> data = ferrow::MakeHDropDataObject({dir_ / "a.c"});
    ASSERT_EQ(S_OK, init->Initialize(nullptr, data.Get(), nullptr));
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.lParam = reinterpret_cast<LPARAM>(static_cast<propsheet::CCVSPropSheetExt*>(init.Get()));
    const struct {
        UINT templateId;
        DLGPROC procedure;
    } pages[] = {{IDD_CVS_PAGE, propsheet::CvsPageProc}, {IDD_HISTORY_PAGE, propsheet::HistoryPageProc}};
    ::InitCommonControls();
    // The pages are child dialogs: a hidden window stands in for the property sheet.
    HWND sheet = ::CreateWindowExA(0, "STATIC", "sheet", WS_OVERLAPPED, 0, 0, 600, 500, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_TRUE(sheet);
    for (const auto& p : pages) {
        EXPECT_GT(WithEachAllocationFailing("page procedure",
                                            [&] {
                                                HWND dialog = ::CreateDialogParamA(
                                                    ferrow::ModuleInstance(), MAKEINTRESOURCEA(p.templateId),
                                                    sheet, p.procedure, reinterpret_cast<LPARAM>(&page));
                                                if (!dialog) return E_FAIL;
                                                ::DestroyWindow(dialog);
                                                return S_OK;
                                            },
                                            {S_OK}),
                  0);
    }
    ::DestroyWindow(sheet);
}

}  // namespace

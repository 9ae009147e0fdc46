// Handle hygiene of Ferrow.dll: thousands of calls of every interface leave the process's handle count and
// memory where they were, and every file the DLL opens is opened for reading with read sharing and closed
// before the call returns (watched through the DLL's imports of CreateFile and CloseHandle).
#include "robustness/robustness_support.h"

#include "hostsupport/band_host.h"
#include "console/console_bar.h"
#include "console/console_link.h"
#include "console/console_output.h"
#include "exec/exec_support.h"
#include "views/core/column_rules.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace robustness;
using exec_test::MakeWorkingFolder;
using exec_test::StubClient;
using exec_test::TempFolder;

namespace {

constexpr int kRounds = 2000;

UINT g_pages = 0;
BOOL CALLBACK TakePage(HPROPSHEETPAGE page, LPARAM) {
    ++g_pages;
    ::DestroyPropertySheetPage(page);  // never shown: destroying it releases the handler
    return TRUE;
}

// One call of every view interface on `file` in `folder`: overlays, columns, menu, property pages.
void CallEverything(const std::wstring& folder, const std::wstring& file) {
    Dll& dll = Dll::Get();
    for (const CLSID* clsid : {&CLSID_CCVSModifiedIconOverlay, &CLSID_CCVSIconOverlay}) {
        auto overlay = dll.Create<IShellIconOverlayIdentifier>(*clsid);
        overlay->IsMemberOf(file.c_str(), 0);
        overlay->IsMemberOf(folder.c_str(), FILE_ATTRIBUTE_DIRECTORY);
        wchar_t icon[MAX_PATH];
        int index = 0;
        DWORD flags = 0;
        overlay->GetOverlayInfo(icon, MAX_PATH, &index, &flags);
    }
    if (auto columns = dll.Create<IColumnProvider>(CLSID_CCVSColumnProvider)) {
        SHCOLUMNINIT init = {};
        folder.copy(init.wszFolder, MAX_PATH - 1);
        columns->Initialize(&init);
        SHCOLUMNINFO info;
        for (DWORD i = 0; columns->GetColumnInfo(i, &info) == S_OK; ++i) {
            if (info.scid.pid == kPidAuthor) continue;  // runs the client: counted with the operations
            std::string text;
            ColumnText(columns.Get(), info.scid.fmtid, info.scid.pid, file, text);
        }
    }
    int items = 0;
    BuildMenu({file}, CMF_NORMAL, items);
    BuildMenu({folder}, CMF_EXTENDEDVERBS, items);
    if (auto init = dll.Create<IShellExtInit>(CLSID_CCVSPropSheetExt)) {
        ferrow::ComPtr<IDataObject> data = ferrow::MakeHDropDataObject(std::vector<std::wstring>{file});
        ferrow::ComPtr<IShellPropSheetExt> sheet;
        if (SUCCEEDED(init->Initialize(nullptr, data.Get(), nullptr)) &&
            SUCCEEDED(init->QueryInterface(IID_IShellPropSheetExt, sheet.PutVoid())))
            sheet->AddPages(TakePage, 0);
    }
}

TEST(Hygiene, TheCountersSeeLeaks) {
    // The measures below mean something only if a leak shows in them.
    const DWORD handles = HandleCount();
    std::vector<HANDLE> events;
    for (int i = 0; i < 50; ++i) events.push_back(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_GE(HandleCount(), handles + 50);
    for (HANDLE e : events) ::CloseHandle(e);
    EXPECT_LE(HandleCount(), handles + 2);

    // Ten thousand small blocks, as a leak of a few dozen bytes a call would leave. The list of them is
    // allocated before the first measure: it is pointer-sized, so it alone would be 40 or 80 kilobytes.
    std::vector<void*> blocks;
    blocks.reserve(10000);
    const size_t memory = PrivateBytes();
    for (int i = 0; i < 10000; ++i) blocks.push_back(std::malloc(48));
    EXPECT_GE(PrivateBytes(), memory + 10000 * 48);
    for (void* b : blocks) std::free(b);
    EXPECT_LE(PrivateBytes(), memory + 64 * 1024);
}

TEST(Hygiene, ThousandsOfCallsLeaveHandlesAndMemoryAsTheyWere) {
    ASSERT_TRUE(Dll::Get().Module()) << FERROW_DLL;
    TempFolder temp("hygiene");
    MakeWorkingFolder(temp / "wc", {"a.c", "b.c"}, {"sub"});
    const std::wstring folder = Widen(temp / "wc");
    const std::wstring file = Widen(temp / "wc\\a.c");

    // Warm up: first uses load strings, bitmaps, settings keys and such, once.
    for (int i = 0; i < 50; ++i) CallEverything(folder, file);
    const DWORD handlesBefore = HandleCount();
    const size_t memoryBefore = PrivateBytes();
    const DWORD gdiBefore = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD userBefore = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    g_pages = 0;
    {
        FileWatch watch;
        for (int i = 0; i < kRounds; ++i) {
            CallEverything(folder, file);
            if (i % 500 == 0) {
                EXPECT_EQ(0, watch.StillOpen()) << "a file stays open after the calls";
            }
        }
        // Once a folder's index is built and trusted, the views open nothing; the watch still sees the read
        // that follows a change. Each of the round's two menus reads CVS/Root once (whether Log in and Log
        // out apply): a menu is one user action, not a per-item answer.
        EXPECT_LT(watch.Opens(), 3 * kRounds);
        const long opens = watch.Opens();
        exec_test::WriteTextFile(temp / "wc\\CVS\\Entries", exec_test::ReadTextFile(temp / "wc\\CVS\\Entries"));
        Dll::Get().Create<IShellIconOverlayIdentifier>(CLSID_CCVSModifiedIconOverlay)->IsMemberOf(file.c_str(), 0);
        EXPECT_GT(watch.Opens(), opens);
        EXPECT_EQ(0, watch.UnsafeOpens());
        EXPECT_EQ(0, watch.StillOpen());
    }
    EXPECT_EQ(static_cast<UINT>(kRounds * 2), g_pages);  // the CVS page and the History page each time
    const DWORD handlesAfter = HandleCount();
    const size_t memoryAfter = PrivateBytes();
    EXPECT_LE(handlesAfter, handlesBefore + 4) << handlesBefore << " -> " << handlesAfter;
    // A leak of a few dozen bytes a round would show as several hundred kilobytes.
    EXPECT_LE(memoryAfter, memoryBefore + 512 * 1024) << memoryBefore << " -> " << memoryAfter;
    EXPECT_LE(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore + 4);
    EXPECT_LE(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS), userBefore + 4);
}

TEST(Hygiene, OperationsAndConsoleLeaveNothingOpen) {
    ASSERT_TRUE(Dll::Get().Module());
    TempFolder temp("hygiene-ops");
    MakeWorkingFolder(temp / "wc", {"a.c"});
    StubClient stub(temp);
    stub.Env().Set("CVSSTUB_STDOUT", "U a.c\\n");
    stub.Env().Set("CVSSTUB_STDERR", "cvs update: Updating .\\n");

    // The console of this window, reached by every operation through the site of its context menu.
    CBandHost host;
    auto band = Dll::Get().Create<IDeskBand>(CLSID_CConsoleBar);
    ASSERT_TRUE(band);
    ASSERT_EQ(S_OK, host.OpenBand(band.Get()));
    const std::wstring file = Widen(temp / "wc\\a.c");
    auto operation = [&] {
        auto init = Dll::Get().Create<IShellExtInit>(CLSID_CCVSContextMenu);
        ferrow::ComPtr<IObjectWithSite> withSite;
        init->QueryInterface(IID_IObjectWithSite, withSite.PutVoid());
        withSite->SetSite(host.Site());
        ferrow::ComPtr<IDataObject> data = ferrow::MakeHDropDataObject(std::vector<std::wstring>{file});
        init->Initialize(nullptr, data.Get(), nullptr);
        ferrow::ComPtr<IContextMenu> menu;
        init->QueryInterface(IID_IContextMenu, menu.PutVoid());
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = CMIC_MASK_FLAG_NO_UI;
        info.lpVerb = MAKEINTRESOURCEA(0);
        return menu->InvokeCommand(&info);
    };
    for (int i = 0; i < 3; ++i) ASSERT_EQ(S_OK, operation());
    const DWORD handlesBefore = HandleCount();
    {
        FileWatch watch;
        for (int i = 0; i < 40; ++i) ASSERT_EQ(S_OK, operation()) << i;
        EXPECT_EQ(0, watch.UnsafeOpens());
        EXPECT_EQ(0, watch.StillOpen());
    }
    EXPECT_LE(HandleCount(), handlesBefore + 4) << "pipes, threads, events or processes left open";
    EXPECT_EQ(43u, stub.Calls().size());
    host.CloseBand();
}

TEST(Hygiene, ConsoleAppendsLeaveNothingBehind) {
    // The console link of this program's copy of the module: a thousand lines, clears and re-sitings.
    CBandHost host;
    ferrow::ComPtr<IDeskBand> band;
    ASSERT_EQ(S_OK, console::CConsoleBar::CreateInstance(nullptr, IID_IDeskBand, band.PutVoid()));
    ASSERT_EQ(S_OK, host.OpenBand(band.Get()));
    ASSERT_EQ(S_OK, console::ReplaceLink(host.Site()));
    for (int i = 0; i < 50; ++i) console::Append("warm up\r\n");
    const DWORD handlesBefore = HandleCount();
    const size_t memoryBefore = PrivateBytes();
    for (int i = 0; i < 1000; ++i) {
        EXPECT_TRUE(console::Append("U some/file.c\r\n")) << i;
        if (i % 100 == 99) {
            console::Clear();
            console::ReplaceLink(host.Site());
        }
    }
    EXPECT_LE(HandleCount(), handlesBefore + 4);
    EXPECT_LE(PrivateBytes(), memoryBefore + 512 * 1024);
    console::DropLink();
    host.CloseBand();
}

}  // namespace

namespace {

TEST(Hygiene, AThousandFoldersKeepTheIndexesBounded) {
    ASSERT_TRUE(Dll::Get().Module()) << FERROW_DLL;
    TempFolder temp("folders");
    std::string entries;
    for (int i = 0; i < 100; ++i) entries += "/file" + std::to_string(i) + ".c/1.1/Mon Mar  3 10:00:00 2008//\n";
    const int kFolders = 1000;
    std::vector<std::wstring> files;
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = temp / ("wc" + std::to_string(f));
        ::CreateDirectoryA(folder.c_str(), nullptr);
        ::CreateDirectoryA((folder + "\\CVS").c_str(), nullptr);
        exec_test::WriteTextFile(folder + "\\CVS\\Entries", entries);
        files.push_back(Widen(folder + "\\file50.c"));
    }
    auto overlay = Dll::Get().Create<IShellIconOverlayIdentifier>(CLSID_CCVSModifiedIconOverlay);
    ASSERT_EQ(S_OK, overlay->IsMemberOf(files[0].c_str(), 0));  // first use: the cache itself
    const DWORD handlesBefore = HandleCount();
    const size_t memoryBefore = PrivateBytes();
    FileWatch watch;
    for (int round = 0; round < 2; ++round)
        for (const std::wstring& file : files) ASSERT_EQ(S_OK, overlay->IsMemberOf(file.c_str(), 0));
    // The first round reads every folder but the first (cached by the call before it), the second all of
    // them again: only 64 stay.
    EXPECT_GE(watch.Opens(), kFolders * 2 - 1) << "the least recently used folders were dropped and read again";
    EXPECT_EQ(0, watch.StillOpen());
    EXPECT_LE(HandleCount(), handlesBefore + 4);
    // At most 64 folders, each index at most about twice its file, and the bookkeeping.
    const size_t bound = 64 * 2 * entries.size() + 128 * 1024;
    EXPECT_LE(PrivateBytes(), memoryBefore + bound) << memoryBefore << " -> " << PrivateBytes();
}

}  // namespace

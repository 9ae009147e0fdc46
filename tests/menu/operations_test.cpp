// The operations behind the menu items, run through the recording stand-in for the client: exact command
// lines and working folders, results, the NO_UI rules, the message box and the refresh.
#include "exec/command_line.h"
#include "exec/exec_support.h"
#include "exec/process_runner.h"
#include "exec/tools.h"
#include "model/admin_files.h"
#include "settings/settings_store.h"
#include "menu/menu_support.h"
#include "support/fixtures.h"
#include "support/shell_host.h"

#include "common/module_instance.h"
#include "common/text.h"
#include "menu/context_menu.h"
#include "menu/core/menu_rules.h"
#include "ops/operation.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

using exec_test::StubCall;
using exec_test::StubClient;
using exec_test::TempFolder;
using menu_test::Invoke;
using menu_test::MakeHandler;

namespace {

// A copy of the sample working copy in a scratch folder, and the stand-in as the client.
struct OperationFixture {
    TempFolder scratch{"menu-ops"};
    StubClient stub{scratch};
    std::string wc = scratch / "wc";
    OperationFixture() { testing_support::CopyTree(testing_support::SampleFixture("wc"), wc); }
    std::string operator/(const char* name) const { return wc + "\\" + name; }
};

// A hidden window whose queue receives the refresh keystrokes.
struct RefreshTarget {
    HWND hwnd = ::CreateWindowExA(0, "STATIC", "target", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ~RefreshTarget() { ::DestroyWindow(hwnd); }
    // The F5 key messages waiting in the queue, as "down up".
    std::string TakeKeys() {
        std::string keys;
        MSG msg;
        while (::PeekMessageA(&msg, hwnd, WM_KEYDOWN, WM_KEYUP, PM_REMOVE)) {
            if (msg.wParam != VK_F5 || msg.lParam != 0) continue;
            if (!keys.empty()) keys += ' ';
            keys += msg.message == WM_KEYDOWN ? "down" : msg.message == WM_KEYUP ? "up" : "?";
        }
        return keys;
    }
};

// With user interface and no console bar: the shell's progress window and the error box, as before there
// was an output window (a test of the refresh or the box would otherwise wait for the window's OK).
void UseTheBar() { settings::WriteString(settings::kOptionsKey, settings::kOutputMode, settings::kOutputModeBar); }

// The Ferrow.exe this process started and that still runs, or null.
ferrow::UniqueKernelHandle StartedProgram() {
    ferrow::UniqueKernelHandle found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == ::GetCurrentProcessId() && ::lstrcmpiA(entry.szExeFile, "Ferrow.exe") == 0)
            found.Reset(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    }
    ::CloseHandle(snapshot);
    return found;
}

// A visible top-level window of the process whose title begins with `title`, waited for up to 20 s.
struct WindowSearch {
    DWORD id;
    const std::string* title;
    HWND found;
};

BOOL CALLBACK FindWindowOfProcess(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<WindowSearch*>(lp);
    DWORD id = 0;
    ::GetWindowThreadProcessId(hwnd, &id);
    if (id != search->id || !::IsWindowVisible(hwnd) || menu_test::WindowText(hwnd).find(*search->title) != 0)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND WaitForWindowOf(HANDLE process, const std::string& title) {
    WindowSearch search{::GetProcessId(process), &title, nullptr};
    for (int i = 0; i < 1000 && !search.found; ++i) {
        ::EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
        if (!search.found) ::Sleep(20);
    }
    return search.found;
}

TEST(Operations, FixedTemplatesRunInTheCommonFolder) {
    struct Case {
        unsigned offset;
        std::vector<const char*> names;
        const char* arguments;
    } const cases[] = {
        {0, {"modified.c", "unchanged.txt"}, "-q update -d -P  modified.c unchanged.txt"},
        {3, {"unlisted.txt"}, "add  unlisted.txt"},
        {6, {"modified.c"}, "update -C  modified.c"},
        {8, {"sticky.txt", "sub\\nested.txt"}, "update -A  sticky.txt sub\\nested.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        OperationFixture f;
        std::vector<std::string> paths;
        for (const char* name : c.names) paths.push_back(f / name);
        auto handler = MakeHandler(paths);
        EXPECT_EQ(S_OK, Invoke(handler.Get(), c.offset));
        std::vector<StubCall> calls = f.stub.Calls();
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(f.wc, calls[0].folder);
        EXPECT_EQ(c.arguments, calls[0].arguments);
    }
}

TEST(Operations, NamesWithBlanksAreQuoted) {
    OperationFixture f;
    exec_test::WriteTextFile(f / "a b.txt", "x");
    auto handler = MakeHandler({f / "a b.txt"});
    EXPECT_EQ(S_OK, Invoke(handler.Get(), 3));
    std::vector<StubCall> calls = f.stub.Calls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("add  \"a b.txt\"", calls[0].arguments);
}

TEST(Operations, FailureWithoutUserInterface) {
    OperationFixture f;
    f.stub.Env().Set("CVSSTUB_EXIT", "1");
    f.stub.Env().Set("CVSSTUB_STDERR", "cvs update: nothing known\\n");
    RefreshTarget target;
    auto handler = MakeHandler({f / "modified.c"});
    // No message box appears (it would block here), no refresh is posted.
    EXPECT_EQ(E_FAIL, Invoke(handler.Get(), 0, CMIC_MASK_FLAG_NO_UI, target.hwnd));
    EXPECT_EQ(1u, f.stub.Calls().size());
    EXPECT_EQ("", target.TakeKeys());
}

TEST(Operations, SuccessRefreshesOnlyWithUserInterface) {
    OperationFixture f;
    // Without a console bar: the shell's progress window, not an output window to close.
    UseTheBar();
    auto handler = MakeHandler({f / "modified.c"});
    RefreshTarget target;
    EXPECT_EQ(S_OK, Invoke(handler.Get(), 0, CMIC_MASK_FLAG_NO_UI, target.hwnd));
    EXPECT_EQ("", target.TakeKeys());
    EXPECT_EQ(S_OK, Invoke(handler.Get(), 0, 0, target.hwnd));
    EXPECT_EQ("down up", target.TakeKeys());
    EXPECT_EQ(2u, f.stub.Calls().size());
}

TEST(Operations, FailureMessageBoxText) {
    const std::string generic = ferrow::LoadResString(IDS_ERROR_TEXT);
    ASSERT_EQ("An error occured while executing the command.", generic);
    struct Case {
        const char* stdOut;
        const char* stdErr;
        std::string text;
    } const cases[] = {
        {"some output\\n", "cvs [update aborted]: no repository\\n", "cvs [update aborted]: no repository\r\n"},
        {"only output\\n", "", "only output\r\n"},
        {"", "", generic},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        OperationFixture f;
        UseTheBar();
        f.stub.Env().Set("CVSSTUB_EXIT", "1");
        f.stub.Env().Set("CVSSTUB_STDOUT", c.stdOut);
        f.stub.Env().Set("CVSSTUB_STDERR", c.stdErr);
        RefreshTarget target;
        auto handler = MakeHandler({f / "modified.c"});
        std::string shown;
        HRESULT hr;
        {
            menu_test::WindowDriver driver("CVS Error", [&shown](HWND box) {
                shown = menu_test::MessageBoxText(box);
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            });
            hr = Invoke(handler.Get(), 0, 0, target.hwnd);
            EXPECT_TRUE(driver.Found());
        }
        EXPECT_EQ(E_FAIL, hr);
        // The box shows the text; Wine's static control drops nothing but may keep the CR LF.
        EXPECT_EQ(c.text.substr(0, c.text.find('\r')), shown.substr(0, shown.find('\r')));
        EXPECT_EQ("", target.TakeKeys());
    }
}

// A click on a folder's empty background hands over no data object, only the folder: the menu and the
// commands are the folder's own, inside a working copy and outside one; a folder without a file-system path
// gets none.
TEST(Operations, AFoldersBackgroundIsTheFolder) {
    OperationFixture f;
    TempFolder outside("menu-background");
    const auto background = [](const std::string& folder, HRESULT& init) {
        ferrow::ComPtr<IShellExtInit> handler;
        EXPECT_EQ(S_OK, menu::CCVSContextMenu::CreateInstance(nullptr, IID_IShellExtInit, handler.PutVoid()));
        PIDLIST_ABSOLUTE pidl = nullptr;
        if (folder.empty()) {
            ::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidl);
        } else {
            pidl = ::ILCreateFromPathW(ferrow::AnsiToWide(folder).c_str());
        }
        EXPECT_TRUE(pidl) << folder;
        init = handler->Initialize(pidl, nullptr, nullptr);
        ::ILFree(pidl);
        ferrow::ComPtr<IContextMenu> menu;
        handler.As(menu);
        return menu;
    };
    for (const std::string& folder : {f.wc, outside.Path(), f.wc + "\\sub"}) {
        SCOPED_TRACE(folder);
        HRESULT init = E_FAIL;
        auto handler = background(folder, init);
        ASSERT_EQ(S_OK, init);
        const std::string items = menu_test::BuildMenu(handler.Get()).items;
        EXPECT_FALSE(items.empty());
        EXPECT_EQ(menu_test::BuildMenu(MakeHandler({folder}).Get()).items, items);
    }
    HRESULT init = S_OK;
    background("", init);  // the computer's drives
    EXPECT_EQ(E_INVALIDARG, init);

    // Update on the background runs what Update on the folder runs, where it runs it.
    EXPECT_EQ(S_OK, Invoke(MakeHandler({f.wc}).Get(), 0));
    EXPECT_EQ(S_OK, Invoke(background(f.wc, init).Get(), 0));
    const std::vector<StubCall> calls = f.stub.Calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(calls[0].folder, calls[1].folder);
    EXPECT_EQ(calls[0].arguments, calls[1].arguments);
}

TEST(Operations, NoSelectionNoRun) {
    // A handler that was never initialised has nothing to act on.
    ferrow::ComPtr<IContextMenu> handler;
    ASSERT_EQ(S_OK, menu_test::CCVSContextMenuCreate(handler));
    EXPECT_EQ(E_INVALIDARG, Invoke(handler.Get(), 0));
}

}  // namespace

namespace {

// Wine's Recycle Bin is $XDG_DATA_HOME/Trash, as the variable stood when the process started; ctest sets it
// to a folder of the build. Run by hand without it, the test would fill the user's own trash: it is skipped.
std::string TrashFolder() {
    char data[MAX_PATH] = {};
    DWORD n = ::GetEnvironmentVariableA("XDG_DATA_HOME", data, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || data[0] != '/') return std::string();
    std::string path = std::string("Z:") + data + "/Trash/";
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

TEST(Remove, LocalFilesGoToTheRecycleBinBeforeCvsRuns) {
    const std::string trash = TrashFolder();
    if (trash.empty()) GTEST_SKIP() << "XDG_DATA_HOME is not set (ctest sets it)";
    OperationFixture f;
    const std::string unique = std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount());
    const std::string first = "gone-" + unique + ".txt";
    const std::string second = "sub\\nested-" + unique + ".txt";
    exec_test::WriteTextFile(f.wc + "\\" + first, "first\n");
    exec_test::WriteTextFile(f.wc + "\\" + second, "second\n");
    auto handler = MakeHandler({f.wc + "\\" + first, f.wc + "\\" + second});
    ASSERT_EQ(S_OK, Invoke(handler.Get(), 4));

    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((f.wc + "\\" + first).c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((f.wc + "\\" + second).c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((f / "modified.c").c_str()));
    const std::string trashed[] = {"gone-" + unique + ".txt", "nested-" + unique + ".txt"};
    EXPECT_EQ("first\n", exec_test::ReadTextFile(trash + "files\\" + trashed[0]));
    EXPECT_EQ("second\n", exec_test::ReadTextFile(trash + "files\\" + trashed[1]));
    for (const std::string& name : trashed) {
        ::DeleteFileA((trash + "files\\" + name).c_str());
        ::DeleteFileA((trash + "info\\" + name + ".trashinfo").c_str());
    }
    std::vector<StubCall> calls = f.stub.Calls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(f.wc, calls[0].folder);
    EXPECT_EQ("remove  " + first + " " + second, calls[0].arguments);
}

// A file that cannot go to the Recycle Bin (held open without delete sharing) stops the removal before the
// client runs; one that is gone already (the same Remove run again after a login) is removed at once.
TEST(Remove, FailedDeletionRunsNothingAndAGoneFileNeedsNone) {
    if (TrashFolder().empty()) GTEST_SKIP() << "XDG_DATA_HOME is not set (ctest sets it)";
    OperationFixture f;
    {
        ferrow::UniqueFile held(::CreateFileA((f / "modified.c").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(E_FAIL, Invoke(MakeHandler({f / "modified.c"}).Get(), 4));
        EXPECT_TRUE(f.stub.Calls().empty());
    }
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((f / "modified.c").c_str()));
    EXPECT_EQ(S_OK, Invoke(MakeHandler({f / "missing.txt"}).Get(), 4));
    const std::vector<StubCall> calls = f.stub.Calls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("remove  missing.txt", calls[0].arguments);
}

}  // namespace

#include "hostsupport/band_host.h"
#include "console/console_link.h"
#include "com/guids.h"
#include "com/com_object.h"
#include "com/object_map.h"

namespace {

HRESULT CreateFromObjectMap(REFCLSID clsid, IUnknown** object) {
    const ferrow::ObjectEntry* entry = ferrow::FindObjectEntry(clsid);
    if (!entry || !entry->create) return REGDB_E_CLASSNOTREG;
    return entry->create(nullptr, IID_IUnknown, reinterpret_cast<void**>(object));
}

// An Explorer-like window with its console bar open, in which handlers are sited.
struct ConsoleWindow {
    CBandHost host{CreateFromObjectMap, "menu console test"};
    ConsoleWindow() {
        ferrow::ComPtr<IUnknown> band;
        EXPECT_EQ(S_OK, CreateFromObjectMap(CLSID_CConsoleBar, band.Put()));
        EXPECT_EQ(S_OK, host.OpenBand(band.Get()));
    }
    ~ConsoleWindow() {
        console::DropLink();
        host.CloseBand();
    }
    void Site(IContextMenu* handler) {
        ferrow::ComPtr<IObjectWithSite> site;
        ASSERT_EQ(S_OK, handler->QueryInterface(IID_IObjectWithSite, site.PutVoid()));
        EXPECT_EQ(S_OK, site->SetSite(host.Site()));
    }
    std::string Text() {
        HWND edit = nullptr;
        if (host.Band()) host.Band()->GetWindow(&edit);
        return edit ? menu_test::WindowText(edit) : std::string("<no console>");
    }
};

TEST(ConsoleLines, OutputThenErrorThenVerdict) {
    OperationFixture f;
    ConsoleWindow window;
    auto handler = MakeHandler({f / "modified.c"});
    window.Site(handler.Get());
    const std::string echo = ">" + exec_test::StubPath() + " -q update -d -P  modified.c\r\n";

    f.stub.Env().Set("CVSSTUB_STDOUT", "U modified.c\\nP other.c\\r\\n");
    f.stub.Env().Set("CVSSTUB_STDERR", "cvs update: warning\\n");
    EXPECT_EQ(S_OK, Invoke(handler.Get(), 0));
    EXPECT_EQ(echo + "U modified.c\r\nP other.c\r\ncvs update: warning\r\nok\r\n", window.Text());

    // Each operation starts from an empty console; a failure without UI gets no "failed" line.
    f.stub.Env().Set("CVSSTUB_EXIT", "1");
    f.stub.Env().Set("CVSSTUB_STDOUT", "");
    EXPECT_EQ(E_FAIL, Invoke(handler.Get(), 0, CMIC_MASK_FLAG_NO_UI));
    EXPECT_EQ(echo + "cvs update: warning\r\n", window.Text());

    // With UI: the "failed" line, and the box.
    {
        menu_test::WindowDriver driver("CVS Error", [](HWND box) { ::PostMessageA(box, WM_COMMAND, IDOK, 0); });
        EXPECT_EQ(E_FAIL, Invoke(handler.Get(), 0, 0, window.host.Frame()));
        EXPECT_TRUE(driver.Found());
    }
    EXPECT_EQ(echo + "cvs update: warning\r\nfailed\r\n", window.Text());
}

size_t CountLines(const std::string& text, const std::string& start) {
    size_t count = 0;
    for (size_t pos = 0; pos < text.size(); pos = text.find("\r\n", pos) + 2) {
        if (text.compare(pos, start.size(), start) == 0) ++count;
        if (text.find("\r\n", pos) == std::string::npos) break;
    }
    return count;
}

// 700 selected files of one folder: each operation runs them in as many commands as needed, each name once
// and in order, an echo per run, one result line at the end; the first failing run is the last.
TEST(BigSelections, EveryOperationRunsItsNamesInLinesThatFit) {
    const struct {
        unsigned offset;
        const char* dialog;  // the operation's dialog, confirmed with the text below
        std::vector<std::string> before;  // the arguments before the names
        int exitCode;
    } cases[] = {
        {0, nullptr, {"-q", "update", "-d", "-P"}, 0},
        {1, "CVS Commit", {"-q", "commit", "<big one>"}, 0},
        {6, nullptr, {"update", "-C"}, 0},
        {7, "CVS Tag", {"-q", "tag", "REL_2"}, 0},
        {8, nullptr, {"update", "-A"}, 0},
        {3, nullptr, {"add"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        OperationFixture f;
        ConsoleWindow window;
        f.stub.Exit(c.exitCode);
        std::vector<std::string> names, paths;
        for (int i = 0; i < 700; ++i) {
            names.push_back((i % 9 ? "new-" : "new ") + std::to_string(i) + ".txt");
            paths.push_back(f.wc + "\\" + names.back());
        }
        auto handler = MakeHandler(paths);
        window.Site(handler.Get());
        HRESULT hr;
        {
            std::unique_ptr<menu_test::WindowDriver> driver;
            if (c.dialog) {
                const int field = c.offset == 1 ? IDC_COMMIT_MESSAGE : IDC_TAG_NAME;
                const char* text = c.offset == 1 ? "big one" : "REL_2";
                driver = std::make_unique<menu_test::WindowDriver>(c.dialog, [field, text](HWND dialog) {
                    menu_test::SetControlText(dialog, field, text);
                    menu_test::Click(dialog, IDOK);
                });
            }
            hr = Invoke(handler.Get(), c.offset);
        }
        EXPECT_EQ(c.exitCode ? E_FAIL : S_OK, hr);
        const std::vector<std::string> calls = f.stub.SplitArguments();
        const std::string console = window.Text();
        EXPECT_EQ(calls.size(), CountLines(console, ">" + exec_test::StubPath() + " "));
        if (c.exitCode) {
            EXPECT_EQ(1u, calls.size());
            continue;
        }
        EXPECT_GT(calls.size(), 1u);
        std::vector<std::string> arrived;
        for (const std::string& call : calls) {
            std::vector<std::string> arguments = testing_support::CallArguments(call);
            ASSERT_GT(arguments.size(), c.before.size());
            EXPECT_EQ(c.before, std::vector<std::string>(arguments.begin(), arguments.begin() + c.before.size()));
            arrived.insert(arrived.end(), arguments.begin() + c.before.size(), arguments.end());
        }
        EXPECT_EQ(names, arrived);
        EXPECT_EQ(1u, CountLines(console, "ok"));
        EXPECT_EQ(console.size() - 4, console.rfind("ok\r\n"));
    }
}

// A name whose command line would be too long even alone: nothing runs (Remove deletes nothing), the
// console and the error box say why and name it, in the user's language.
TEST(BigSelections, ANameThatDoesNotFitIsRefused) {
    const struct {
        unsigned offset;
        LANGID language;
        const char* word;  // a word of the refusal in that language
    } cases[] = {
        {3, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), "8191 characters"},
        {4, MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), "Befehlszeile"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        // Should the refusal fail, Remove would fill the user's own trash (see TrashFolder).
        if (c.offset == 4 && TrashFolder().empty()) continue;
        OperationFixture f;
        ConsoleWindow window;
        // A client whose setting expands to a path of 8,180 characters leaves no room for a name.
        f.stub.Env().Set("FERROW_LONG_CLIENT", "C:\\" + std::string(8180, 'c'));
        const std::string setting = "%FERROW_LONG_CLIENT%";
        ASSERT_TRUE(testing_support::SetRawValue("Software\\Pembrake\\Ferrow\\Tools", "Cvs", REG_SZ, setting.c_str(),
                                                 static_cast<DWORD>(setting.size() + 1)));
        exec_test::WriteTextFile(f / "kept.txt", "x");
        auto handler = MakeHandler({f / "kept.txt", f / "modified.c"});
        window.Site(handler.Get());
        testing_support::ScopedThreadLanguage language(c.language);
        const std::string refusal = ferrow::LoadResString(IDS_NAME_TOO_LONG) + "\r\nkept.txt\r\n";
        const std::string caption = ferrow::LoadResString(IDS_ERROR_CAPTION);
        std::string shown;
        HRESULT hr;
        {
            menu_test::WindowDriver driver(caption.c_str(), [&shown](HWND box) {
                shown = menu_test::MessageBoxText(box);
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            });
            hr = Invoke(handler.Get(), c.offset, 0);
            EXPECT_TRUE(driver.Found());
        }
        EXPECT_EQ(E_FAIL, hr);
        EXPECT_TRUE(f.stub.Calls().empty());
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((f / "kept.txt").c_str()));
        EXPECT_NE(std::string::npos, refusal.find(c.word)) << refusal;
        EXPECT_EQ(refusal + "failed\r\n", window.Text());
        EXPECT_EQ(refusal.substr(0, refusal.find('\r')), shown.substr(0, shown.find('\r')));
    }
}

// Diff runs in Ferrow.exe even beside a console bar: the handler returns at once, the program fetches the base
// revision and starts the tool; the bar is left as it was.
TEST(ConsoleLines, DiffRunsInTheProgram) {
    OperationFixture f;
    ConsoleWindow window;
    settings::SetTool("Diff", exec_test::StubPath() + " $(OldFile) $(NewFile)");
    auto handler = MakeHandler({f / "modified.c"});
    window.Site(handler.Get());
    ASSERT_EQ(S_OK, Invoke(handler.Get(), 0));
    const std::string before = window.Text();
    EXPECT_EQ(S_OK, Invoke(handler.Get(), 2, 0, window.host.Frame()));
    ferrow::UniqueKernelHandle program = StartedProgram();
    ASSERT_TRUE(program);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(program.Get(), 20000));
    for (int i = 0; i < 300 && f.stub.Calls().size() < 3; ++i) ::Sleep(20);  // the tool is not waited for
    const std::vector<StubCall> calls = f.stub.Calls();
    ASSERT_EQ(3u, calls.size());
    CCVSEntry entry;
    ASSERT_TRUE(FindEntry((f / "modified.c").c_str(), entry));
    EXPECT_EQ(0u, calls[1].arguments.find("-q update -p -r " + entry.Revision + "  modified.c")) << calls[1].arguments;
    EXPECT_EQ(before, window.Text());
}

}  // namespace

namespace {

// Processes of the stand-in running in this Wine prefix (or on this machine).
int CountStubProcesses() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    PROCESSENTRY32 entry = {sizeof entry};
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry))
        count += ::lstrcmpiA(entry.szExeFile, "cvsstub.exe") == 0;
    ::CloseHandle(snapshot);
    return count;
}

// Waits up to `ms` for the count of stand-ins to reach `wanted`.
bool AwaitStubCount(int wanted, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (CountStubProcesses() != wanted) {
        if (::GetTickCount() - start > ms) return false;
        ::Sleep(20);
    }
    return true;
}

// Ends every stand-in that runs `ms` after its creation: a run that cancelling fails to end then fails its
// test instead of hanging it.
class StubReaper {
public:
    explicit StubReaper(DWORD ms) : thread_([this, ms] {
        const DWORD start = ::GetTickCount();
        while (!done_ && ::GetTickCount() - start < ms) ::Sleep(20);
        if (!done_) EndAll();
    }) {}
    ~StubReaper() {
        done_ = true;
        thread_.join();
    }

private:
    static void EndAll() {
        HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return;
        PROCESSENTRY32 entry = {sizeof entry};
        for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
            if (::lstrcmpiA(entry.szExeFile, "cvsstub.exe") != 0) continue;
            HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
            if (process) ::TerminateProcess(process, 1), ::CloseHandle(process);
        }
        ::CloseHandle(snapshot);
    }
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// Ends a watcher while this thread answers the title requests it sends to this thread's windows.
bool EndWatching(std::unique_ptr<menu_test::WindowDriver>& watcher) {
    const bool found = watcher->Found();
    std::atomic<bool> gone{false};
    std::thread ender([&] {
        watcher.reset();
        gone = true;
    });
    while (!gone) CBandHost::PumpMessages(), ::Sleep(5);
    ender.join();
    return found;
}

TEST(Cancel, EndsTheWholeTreeAtOnceAndSaysSo) {
    // A client that started a helper and waits for ever (ssh asking for a password on a console that is
    // not there). Pressing Cancel, or closing the window of the invocation, ends both.
    const struct {
        const char* what;
        bool closeWindow;
    } cases[] = {{"Cancel pressed", false}, {"invoking window closed", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OperationFixture f;
        ConsoleWindow window;
        f.stub.Env().Set("CVSSTUB_WAIT", "tree");
        f.stub.Env().Set("CVSSTUB_STDOUT", "partial\\n");
        auto handler = MakeHandler({f / "modified.c"});
        window.Site(handler.Get());
        RefreshTarget target;
        const int before = CountStubProcesses();
        ASSERT_GE(before, 0);
        std::atomic<DWORD> pressed{0};
        bool treeRan = false;
        HRESULT hr;
        {
            StubReaper reaper(8000);
            menu_test::WindowDriver driver("CVS Operation Progress", [&](HWND progress) {
                treeRan = AwaitStubCount(before + 2, 10000);
                pressed = ::GetTickCount();
                if (c.closeWindow) {
                    ::PostMessageA(target.hwnd, WM_CLOSE, 0, 0);  // handled by the invoking thread's dispatch
                } else {
                    ::SendMessageA(progress, WM_COMMAND, IDCANCEL, 0);
                }
            });
            auto errorBox = std::make_unique<menu_test::WindowDriver>(
                "CVS Error", [](HWND box) { ::PostMessageA(box, WM_COMMAND, IDOK, 0); }, 30000);
            hr = Invoke(handler.Get(), 0, 0, target.hwnd);
            const DWORD ended = ::GetTickCount();
            EXPECT_TRUE(driver.Found());
            EXPECT_TRUE(treeRan);
            EXPECT_LT(ended - pressed, 2000u);
            const DWORD spent = ::GetTickCount() - pressed;
            EXPECT_TRUE(AwaitStubCount(before, spent < 2000 ? 2000 - spent : 0)) << CountStubProcesses();
            EXPECT_FALSE(EndWatching(errorBox));
        }
        EXPECT_EQ(kRunCancelled, hr);
        EXPECT_EQ(">" + exec_test::StubPath() + " -q update -d -P  modified.c\r\npartial\r\n"
                  "The command was cancelled.\r\nfailed\r\n", window.Text());
        if (!c.closeWindow) {
            EXPECT_EQ("", target.TakeKeys());
        }
    }
}

// A window whose WM_APP asks for an operation, as a click in Explorer's window would.
struct AskingWindow {
    static inline std::function<void()> ask;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_APP && ask) ask();
        return ::DefWindowProcA(hwnd, msg, wp, lp);
    }
    HWND hwnd = nullptr;
    AskingWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "FerrowAskingWindow";
        ::RegisterClassA(&wc);
        hwnd = ::CreateWindowExA(0, wc.lpszClassName, "asking", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    }
    ~AskingWindow() {
        ::DestroyWindow(hwnd);
        ask = nullptr;
    }
};

TEST(Dispatch, TheInvokingWindowAnswersWhileACommandRunsAndRefusesASecondOperation) {
    OperationFixture f;
    ConsoleWindow window;
    f.stub.Env().Set("CVSSTUB_SLEEP_MS", "1500");
    auto handler = MakeHandler({f / "modified.c"});
    window.Site(handler.Get());
    AskingWindow asking;
    HRESULT second = E_PENDING;
    AskingWindow::ask = [&] { second = Invoke(handler.Get(), 3, CMIC_MASK_FLAG_NO_UI, asking.hwnd); };

    std::atomic<bool> answered{false};
    std::thread other([&] {
        ::Sleep(400);
        DWORD_PTR result = 0;
        answered = ::SendMessageTimeoutA(asking.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 500, &result) != 0;
        ::PostMessageA(asking.hwnd, WM_APP, 0, 0);
    });
    EXPECT_EQ(S_OK, Invoke(handler.Get(), 0, CMIC_MASK_FLAG_NO_UI, asking.hwnd));
    other.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_BUSY), second);
    EXPECT_EQ(1u, f.stub.Calls().size());
    const std::string text = window.Text();
    EXPECT_NE(std::string::npos, text.find("\r\nAnother command is still running in this window; nothing was done.\r\n"))
        << text;
}

}  // namespace

namespace {

// The page classes that this module serves, registered for this process so that the frame can create them
// as it would from the registry.
struct ServedPages {
    std::vector<DWORD> cookies;
    ServedPages() {
        for (const CLSID* clsid : {&CLSID_COptionsPage, &CLSID_CToolsPage, &CLSID_CAboutPage}) {
            if (!ferrow::FindObjectEntry(*clsid)) continue;
            ferrow::ComPtr<IUnknown> factory;
            if (FAILED(ferrow::Module().GetClassObject(*clsid, IID_IUnknown, factory.PutVoid()))) continue;
            DWORD cookie = 0;
            if (SUCCEEDED(::CoRegisterClassObject(*clsid, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                                  &cookie)))
                cookies.push_back(cookie);
        }
    }
    ~ServedPages() {
        for (DWORD cookie : cookies) ::CoRevokeClassObject(cookie);
    }
};

TEST(OptionsItem, OpensTheSettingsFrameOverTheServedPages) {
    ServedPages pages;
    auto handler = MakeHandler({testing_support::Join(testing_support::SampleFixture("wc"), "unchanged.txt")});
    std::string title;
    HRESULT hr;
    bool shown;
    {
        menu_test::WindowDriver driver("Ferrow", [&title](HWND frame) {
            title = menu_test::WindowText(frame);
            ::PostMessageA(frame, WM_COMMAND, IDCANCEL, 0);
        }, pages.cookies.empty() ? 500 : 15000);
        hr = Invoke(handler.Get(), 9, 0);
        ::Sleep(pages.cookies.empty() ? 600 : 0);
        shown = driver.Found();
    }
    EXPECT_EQ(S_OK, hr);
    // Without any page of its own the module has nothing to show.
    EXPECT_EQ(!pages.cookies.empty(), shown);
    if (shown) {
        EXPECT_NE(std::string::npos, title.find("Ferrow"));
    }
}

}  // namespace

namespace {

void SetOutputMode(const char* mode) {
    if (mode) settings::WriteString(settings::kOptionsKey, settings::kOutputMode, mode);
}

// Waits (from a driver's thread) until the output window shows its result, then returns its text.
std::string ResultOfOutputWindow(HWND window) {
    for (int i = 0; i < 1000 && ::IsWindowVisible(::GetDlgItem(window, IDC_OUTPUT_PROGRESS)); ++i) ::Sleep(20);
    return menu_test::WindowText(::GetDlgItem(window, IDC_OUTPUT_TEXT));
}

// The shell's change notifications of one folder and below, as they arrive on this thread.
class ChangeListener {
public:
    explicit ChangeListener(const std::string& folder) {
        window_ = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ::SetWindowSubclass(window_, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
        PIDLIST_ABSOLUTE pidl = ::ILCreateFromPathA(folder.c_str());
        SHChangeNotifyEntry entry = {pidl, TRUE};
        id_ = ::SHChangeNotifyRegister(window_, SHCNRF_ShellLevel | SHCNRF_InterruptLevel | SHCNRF_NewDelivery,
                                       SHCNE_UPDATEITEM | SHCNE_UPDATEDIR, kMessage, 1, &entry);
        ::ILFree(pidl);
    }
    ~ChangeListener() {
        if (id_) ::SHChangeNotifyDeregister(id_);
        ::RemoveWindowSubclass(window_, Proc, 1);
        ::DestroyWindow(window_);
    }
    bool Registered() const { return id_ != 0; }
    // Dispatches this thread's messages until `count` notifications came (at most 2 s).
    std::vector<std::string> Await(size_t count) {
        for (int i = 0; i < 100 && seen_.size() < count; ++i) {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
            if (seen_.size() < count) ::Sleep(20);
        }
        std::sort(seen_.begin(), seen_.end());
        return seen_;
    }

private:
    static constexpr UINT kMessage = WM_APP + 7;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
        if (message != kMessage) return ::DefSubclassProc(hwnd, message, wParam, lParam);
        PIDLIST_ABSOLUTE* pidls = nullptr;
        LONG event = 0;
        HANDLE lock = ::SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam), static_cast<DWORD>(lParam),
                                                  &pidls, &event);
        char path[MAX_PATH] = {};
        if (lock && pidls && pidls[0] && ::SHGetPathFromIDListA(pidls[0], path)) {
            reinterpret_cast<ChangeListener*>(data)->seen_.push_back(
                std::string(event == SHCNE_UPDATEDIR ? "dir " : event == SHCNE_UPDATEITEM ? "item " : "other ") + path);
        }
        if (lock) ::SHChangeNotification_Unlock(lock);
        return 0;
    }

    HWND window_ = nullptr;
    ULONG id_ = 0;
    std::vector<std::string> seen_;
};

// Explorer hears of each selected item (a file as an item, a folder as a folder) and of each folder a command
// ran in, once. Wine delivers the shell's notifications only inside the process that sends them, so those of
// Ferrow.exe reach no listener of a test: the refresh is checked here, in one process.
TEST(Refresh, EachItemAndEachFolderACommandRanInIsNotified) {
    OperationFixture f;
    ChangeListener listener(f.wc);
    ASSERT_TRUE(listener.Registered());
    ops::NotifyChanged({f / "modified.c", f / "sub"}, {f.wc, f / "sub"});
    const std::vector<std::string> expected = {"dir " + f.wc, "dir " + (f / "sub"), "item " + (f / "modified.c")};
    EXPECT_EQ(expected, listener.Await(expected.size() + 1));
}

TEST(OutputMode, AWindowWhereNoBarShowsTheOutputOrAlwaysBySetting) {
    const struct {
        const char* mode;  // the stored "OutputMode"; null: none
        bool bar;          // the invoking window has a console bar
        bool window;       // the program's output window shows the failure (otherwise the error box does)
    } cases[] = {
        {nullptr, false, true}, {"auto", true, false}, {"bar", false, false},
        {"window", true, true}, {"Bar", false, true},  // the value is compared exactly: "Bar" is auto
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.mode ? c.mode : "(none)") << (c.bar ? " with a bar" : ""));
        OperationFixture f;
        SetOutputMode(c.mode);
        f.stub.Env().Set("CVSSTUB_EXIT", "1");
        f.stub.Env().Set("CVSSTUB_STDERR", "cvs update: nothing known\\n");
        std::unique_ptr<ConsoleWindow> bar;
        if (c.bar) bar = std::make_unique<ConsoleWindow>();
        auto handler = MakeHandler({f / "modified.c"});
        if (bar) bar->Site(handler.Get());
        RefreshTarget target;
        const HWND invoker = bar ? bar->host.Frame() : target.hwnd;
        if (c.window) {
            // The program runs it; the handler returns at once, and the program's window stays until closed.
            EXPECT_EQ(S_OK, Invoke(handler.Get(), 0, 0, invoker));
            ferrow::UniqueKernelHandle program = StartedProgram();
            ASSERT_TRUE(program);
            const HWND window = WaitForWindowOf(program.Get(), "CVS Update - " + f.wc);
            ASSERT_NE(nullptr, window);
            const std::string shown = ResultOfOutputWindow(window);
            ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(program.Get(), 20000));
            DWORD code = 0;
            EXPECT_TRUE(::GetExitCodeProcess(program.Get(), &code));
            EXPECT_EQ(1u, code);
            EXPECT_NE(std::string::npos, shown.find("cvs update: nothing known\r\nfailed")) << shown;
            if (bar) {
                EXPECT_EQ("", bar->Text());
            }
            continue;
        }
        {
            menu_test::WindowDriver driver("CVS Error", [&](HWND found) { ::PostMessageA(found, WM_COMMAND, IDOK, 0); });
            EXPECT_EQ(E_FAIL, Invoke(handler.Get(), 0, 0, invoker));
            EXPECT_TRUE(driver.Found());
        }
        if (bar) {
            EXPECT_EQ(">" + exec_test::StubPath() + " -q update -d -P  modified.c\r\ncvs update: nothing known\r\n"
                      "failed\r\n", bar->Text());
        }
    }
}

// "ferrowsh invoke <arguments>": its output without CRs, and its exit code.
testing_support::ShellHostRun RunShellHostInvoke(const std::string& arguments,
                                                 const std::function<void()>& whileRunning = nullptr) {
    testing_support::ShellHostRun run = testing_support::RunShellHost("invoke " + arguments, whileRunning);
    run.out.erase(std::remove(run.out.begin(), run.out.end(), '\r'), run.out.end());
    return run;
}

// What the shell host printed of the output window at one moment ("while running", "at the end"): its
// header line and the text shown then; empty when it printed none.
std::string WindowReport(const std::string& output, const std::string& when, std::string* header = nullptr) {
    const size_t start = output.find("window \"");
    size_t at = output.find("\" " + when + ", ", start);
    if (start == std::string::npos || at == std::string::npos) return std::string();
    const size_t headerStart = output.rfind("window \"", at);
    const size_t headerEnd = output.find('\n', at);
    if (header) *header = output.substr(headerStart, headerEnd - headerStart);
    const size_t end = output.find("\nwindow \"", headerEnd);
    return output.substr(headerEnd + 1, end == std::string::npos ? std::string::npos : end - headerEnd);
}

size_t Count(const std::string& text, const std::string& piece) {
    size_t n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++n;
    return n;
}

TEST(ShellHostOutputWindow, LiveAndComplete) {
    const struct {
        const char* what;
        const char* lines;
        const char* lineMs;
        const char* lang;
        const char* header;   // the beginning of the window's title, its buttons and status lines
        const char* running;  // the button while running
        const char* done;     // the button and status at the end
    } cases[] = {
        {"slow lines", "6", "300", "en", "window \"CVS Update - ", "button \"Cancel\"",
         "button \"OK\", status \"Done.\""},
        {"5,000 lines", "5000", "0", "en", "window \"CVS Update - ", "button \"Cancel\"",
         "button \"OK\", status \"Done.\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OperationFixture f;
        f.stub.Env().Set("CVSSTUB_LINES", c.lines);
        f.stub.Env().Set("CVSSTUB_LINE_MS", c.lineMs);
        const int lines = std::atoi(c.lines);
        const testing_support::ShellHostRun run = RunShellHostInvoke(std::string("--no-bar --window-close 0 --lang ") +
                                                    c.lang + " update \"" + (f / "modified.c") + "\"");
        EXPECT_EQ(0u, run.exitCode) << run.out;
        // The handler returned while the program ran the command; the program ended with success.
        EXPECT_NE(std::string::npos, run.out.find("update: S_OK\nprogram: running\nprogram: exit 0\n")) << run.out;
        std::string runningHeader, endHeader;
        const std::string early = WindowReport(run.out, "while running", &runningHeader);
        const std::string last = WindowReport(run.out, "at the end", &endHeader);
        EXPECT_EQ(0u, endHeader.find(std::string(c.header) + f.wc + "\"")) << endHeader;
        EXPECT_NE(std::string::npos, endHeader.find(c.done)) << endHeader;
        const std::string lastLine = "line " + std::to_string(lines) + "\n";
        if (lines < 100) {
            // Seen before the command ended: its first line, not its last.
            EXPECT_NE(std::string::npos, runningHeader.find(c.running)) << runningHeader;
            EXPECT_NE(std::string::npos, early.find("line 1\n")) << early;
            EXPECT_EQ(std::string::npos, early.find(lastLine)) << early;
        }
        EXPECT_EQ(static_cast<size_t>(lines), Count(last, "line ")) << last.size();
        EXPECT_NE(std::string::npos, last.find(lastLine + "ok\n")) << last.substr(last.size() > 200 ? last.size() - 200 : 0);
    }
}

TEST(ShellHostOutputWindow, CancelEndsTheWholeTreeAndSaysSo) {
    OperationFixture f;
    f.stub.Env().Set("CVSSTUB_WAIT", "tree");
    f.stub.Env().Set("CVSSTUB_STDOUT", "partial\\n");
    const int before = CountStubProcesses();
    ASSERT_GE(before, 0);
    int most = before;
    StubReaper reaper(30000);
    const testing_support::ShellHostRun run = RunShellHostInvoke("--no-bar --window-cancel 1500 --window-close 0 update \"" +
                                                    (f / "modified.c") + "\"",
                                                [&] { most = std::max(most, CountStubProcesses()); });
    EXPECT_EQ(before + 2, most);  // the stand-in and the process it started ran
    EXPECT_TRUE(AwaitStubCount(before, 2000)) << CountStubProcesses();
    EXPECT_EQ(1u, run.exitCode);
    std::string header;
    const std::string last = WindowReport(run.out, "at the end", &header);
    EXPECT_NE(std::string::npos, header.find("button \"OK\", status \"The command was cancelled.\"")) << header;
    EXPECT_NE(std::string::npos, last.find("partial\nThe command was cancelled.\nfailed\n")) << last;
    // The handler returned before the never-ending command did; the program reports the cancel.
    EXPECT_NE(std::string::npos, run.out.find("update: S_OK\nprogram: running\nprogram: exit 1\n")) << run.out;
}

}  // namespace

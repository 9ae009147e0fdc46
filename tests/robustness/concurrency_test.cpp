// Ferrow.dll called from many threads at once, as Explorer's windows call it: the views while a command
// runs, two operations from two windows, the console link replaced while output is written. Every wait is
// bounded, so a deadlock fails the test instead of hanging it.
#include "robustness/robustness_support.h"

#include "hostsupport/band_host.h"
#include "exec/exec_support.h"
#include "support/fixtures.h"
#include "views/core/column_rules.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

using namespace robustness;
using exec_test::MakeWorkingFolder;
using exec_test::StubClient;
using exec_test::TempFolder;

namespace {

constexpr DWORD kBound = 90000;  // far beyond any honest run; reached only by a deadlock or a hang
constexpr int64_t kEntryTime = 1204538400;  // "Mon Mar  3 10:00:00 2008", the time MakeWorkingFolder records

// Answers of the views for one file.
struct FileAnswers {
    HRESULT controlled = E_FAIL;
    HRESULT modified = E_FAIL;
    std::string status;
    std::string revision;
    bool operator==(const FileAnswers& o) const {
        return controlled == o.controlled && modified == o.modified && status == o.status && revision == o.revision;
    }
};

FileAnswers Ask(IShellIconOverlayIdentifier* controlled, IShellIconOverlayIdentifier* modified,
                IColumnProvider* columns, const std::wstring& path) {
    FileAnswers a;
    a.controlled = controlled->IsMemberOf(path.c_str(), 0);
    a.modified = modified->IsMemberOf(path.c_str(), 0);
    ColumnText(columns, ferrow::kColumnFormatId, kPidStatus, path, a.status);
    ColumnText(columns, FMTID_SummaryInformation, kPidRevisionNumber, path, a.revision);
    return a;
}

// A working folder of 24 files, every other one unchanged (its time matches its entry).
struct Folder {
    TempFolder temp{"concurrent"};
    std::string path = temp / "wc";
    std::vector<std::wstring> files;
    std::vector<FileAnswers> expected;

    Folder() {
        std::vector<std::string> names;
        for (int i = 0; i < 24; ++i) names.push_back("f" + std::to_string(i) + ".c");
        MakeWorkingFolder(path, names);
        for (size_t i = 0; i < names.size(); ++i) {
            if (i % 2 == 0) testing_support::SetLastWriteUnix(path + "\\" + names[i], kEntryTime);
            files.push_back(Widen(path + "\\" + names[i]));
        }
    }
};

struct Viewers {
    ferrow::ComPtr<IShellIconOverlayIdentifier> controlled;
    ferrow::ComPtr<IShellIconOverlayIdentifier> modified;
    ferrow::ComPtr<IColumnProvider> columns;

    explicit Viewers(const std::wstring& folder) {
        Dll& dll = Dll::Get();
        controlled = dll.Create<IShellIconOverlayIdentifier>(CLSID_CCVSModifiedIconOverlay);
        modified = dll.Create<IShellIconOverlayIdentifier>(CLSID_CCVSIconOverlay);
        columns = dll.Create<IColumnProvider>(CLSID_CCVSColumnProvider);
        if (!controlled || !modified || !columns) return;
        SHCOLUMNINIT init = {};
        folder.copy(init.wszFolder, MAX_PATH - 1);
        columns->Initialize(&init);
    }
    bool Usable() const { return controlled && modified && columns; }
    FileAnswers Ask(const std::wstring& path) { return ::Ask(controlled.Get(), modified.Get(), columns.Get(), path); }
};

// What the views answer for every file of the folder before anything changes, and what reader threads
// count while the test changes it.
struct ReaderState {
    explicit ReaderState(Folder& f) : folder(&f) {
        Viewers viewers(Widen(f.path));
        for (const std::wstring& file : f.files) f.expected.push_back(viewers.Ask(file));
    }
    Folder* folder;
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::atomic<int> answers{0};
};

// An operation through the DLL's context menu on `selection`, without user interface, on the calling thread.
HRESULT Invoke(const std::vector<std::wstring>& selection, unsigned offset, IUnknown* site) {
    auto init = Dll::Get().Create<IShellExtInit>(CLSID_CCVSContextMenu);
    if (!init) return E_NOINTERFACE;
    if (site) {
        ferrow::ComPtr<IObjectWithSite> withSite;
        if (SUCCEEDED(init->QueryInterface(IID_IObjectWithSite, withSite.PutVoid()))) withSite->SetSite(site);
    }
    ferrow::ComPtr<IDataObject> data = ferrow::MakeHDropDataObject(selection);
    HRESULT hr = init->Initialize(nullptr, data.Get(), nullptr);
    if (FAILED(hr)) return hr;
    ferrow::ComPtr<IContextMenu> menu;
    hr = init->QueryInterface(IID_IContextMenu, menu.PutVoid());
    if (FAILED(hr)) return hr;
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = CMIC_MASK_FLAG_NO_UI;
    info.lpVerb = MAKEINTRESOURCEA(offset);
    return menu->InvokeCommand(&info);
}

// A thread that runs one function, waited for with a bound.
class Worker {
public:
    template <typename F>
    explicit Worker(F* body) : body_(&Call<F>), context_(body) {
        thread_ = ::CreateThread(nullptr, 0, Main, this, 0, nullptr);
    }
    ~Worker() {
        if (thread_) ::CloseHandle(thread_);
    }
    bool Wait(DWORD ms) { return thread_ && WaitPumping(thread_, ms); }

private:
    template <typename F>
    static void Call(void* f) { (*static_cast<F*>(f))(); }
    static DWORD WINAPI Main(void* p) {
        auto* self = static_cast<Worker*>(p);
        const HRESULT hr = ::OleInitialize(nullptr);
        self->body_(self->context_);
        if (SUCCEEDED(hr)) ::OleUninitialize();
        return 0;
    }
    void (*body_)(void*);
    void* context_;
    HANDLE thread_ = nullptr;
};

TEST(Concurrency, ViewsFromEightThreadsWhileACommandRuns) {
    ASSERT_TRUE(Dll::Get().Module()) << FERROW_DLL;
    Folder folder;
    StubClient stub(folder.temp);
    stub.Env().Set("CVSSTUB_SLEEP_MS", "2500");
    {
        Viewers viewers(Widen(folder.path));
        ASSERT_TRUE(viewers.Usable());
        for (const std::wstring& f : folder.files) folder.expected.push_back(viewers.Ask(f));
    }
    ASSERT_EQ("OK", folder.expected[0].status);
    ASSERT_EQ("Modified", folder.expected[1].status);

    std::atomic<bool> commandDone{false};
    HRESULT commandResult = E_PENDING;
    auto command = [&] {
        commandResult = Invoke({folder.files[0], folder.files[1]}, 0 /* Update */, nullptr);
        commandDone = true;
    };
    Worker commandThread(&command);

    struct Shared {
        Folder* folder;
        std::atomic<bool>* commandDone;
        std::atomic<int> wrong{0};
        std::atomic<int> rounds{0};
    } shared{&folder, &commandDone};
    const bool ended = RunThreads(8, kBound, [](int index, void* p) {
        auto* s = static_cast<Shared*>(p);
        Viewers viewers(Widen(s->folder->path));
        if (!viewers.Usable()) {
            ++s->wrong;
            return;
        }
        // Until the command has ended, and at least three rounds; each thread starts at another file.
        for (int round = 0; round < 3 || !*s->commandDone; ++round) {
            for (size_t k = 0; k < s->folder->files.size(); ++k) {
                const size_t i = (k + static_cast<size_t>(index) * 3) % s->folder->files.size();
                if (!(viewers.Ask(s->folder->files[i]) == s->folder->expected[i])) ++s->wrong;
            }
            ++s->rounds;
        }
    }, &shared);
    ASSERT_TRUE(ended) << "a view thread did not end";
    ASSERT_TRUE(commandThread.Wait(kBound)) << "the command did not end";
    EXPECT_EQ(S_OK, commandResult);
    EXPECT_EQ(0, shared.wrong.load());
    EXPECT_GE(shared.rounds.load(), 24);
    const auto calls = stub.Calls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("-q update -d -P  f0.c f1.c", calls[0].arguments);
}

TEST(Concurrency, EntriesRewrittenWhileEightThreadsReadIt) {
    // The client rewrites CVS/Entries while the views read it: by renaming a new file over it (which
    // Wine refuses while a reader has it open) or, here, in place otherwise. A reader that reads while it
    // is written in place sees a cut file: every answer is the right one, or "not listed".
    Folder folder;
    const std::string entries = folder.path + "\\CVS\\Entries";
    const std::string content = exec_test::ReadTextFile(entries);
    ReaderState shared(folder);
    auto readers = [&shared] {
        RunThreads(8, kBound, [](int, void* p) {
            auto* s = static_cast<ReaderState*>(p);
            Viewers viewers(Widen(s->folder->path));
            while (!s->stop) {
                for (size_t i = 0; i < s->folder->files.size(); ++i) {
                    const FileAnswers a = viewers.Ask(s->folder->files[i]);
                    const FileAnswers& e = s->folder->expected[i];
                    ++s->answers;
                    // Each answer reads the file anew: each is right, or, when it could not read the file at
                    // that moment, "no" from an overlay and nothing in a column.
                    if (a.controlled != e.controlled && a.controlled != S_FALSE) ++s->wrong;
                    if (a.modified != e.modified && a.modified != S_FALSE) ++s->wrong;
                    if (a.status != e.status && !a.status.empty()) ++s->wrong;
                    if (a.revision != e.revision && !a.revision.empty()) ++s->wrong;
                    ::Sleep(2);  // as Explorer asks: often, not without a pause
                }
            }
        }, &shared);
    };
    Worker readerThreads(&readers);
    // The readers keep it open most of the time: the writer tries again until it gets in, 20 times.
    int rewrites = 0;
    const DWORD start = ::GetTickCount();
    while (rewrites < 20 && ::GetTickCount() - start < 20000) {
        const std::string backup = folder.path + "\\CVS\\Entries.Backup";
        exec_test::WriteTextFile(backup, content);
        ::Sleep(100);  // readers share the file for writing: without a pause the writer would never wait
        if (::MoveFileExA(backup.c_str(), entries.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            ++rewrites;
            continue;
        }
        // Written in two parts, so that a reader that got in would see a cut file.
        HANDLE file = ::CreateFileA(entries.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING, 0,
                                    nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        DWORD wrote = 0;
        const DWORD half = static_cast<DWORD>(content.size() / 2);
        ::WriteFile(file, content.data(), half, &wrote, nullptr);
        ::Sleep(1);
        ::WriteFile(file, content.data() + half, static_cast<DWORD>(content.size()) - half, &wrote, nullptr);
        ::CloseHandle(file);
        ++rewrites;
    }
    shared.stop = true;
    ASSERT_TRUE(readerThreads.Wait(kBound));
    EXPECT_EQ(20, rewrites);
    EXPECT_GT(shared.answers.load(), 500);
    EXPECT_EQ(0, shared.wrong.load());
}

TEST(Concurrency, EntriesReplacedAsTheClientDoesWhileEightThreadsAskTheOverlays) {
    // The client's rewrite of Entries, 300 times back to back: write Entries.Backup with no sharing, delete
    // Entries, rename the backup into its place (its rename_file: unlink, then rename). A handle on Entries at
    // the wrong moment refuses the delete (and so the rename after it); one that let the delete through would
    // lose Entries at its close. Eight threads ask both overlays in a tight loop meanwhile, as Explorer's
    // threads may: at most 1 % refused, Entries never lost, every answer that of one of the two versions, and
    // the answer after the last replacement that of the file.
    Folder folder;
    const std::string entries = folder.path + "\\CVS\\Entries";
    const std::string backup = folder.path + "\\CVS\\Entries.Backup";
    const std::string original = exec_test::ReadTextFile(entries);
    std::string removed = original;  // the other version: f0.c (unchanged) scheduled for removal, so "modified"
    const std::string f0 = "/f0.c/1.1/";
    ASSERT_EQ(0u, removed.find(f0));
    removed.replace(0, f0.size(), "/f0.c/-1.1/");
    ReaderState shared(folder);
    ASSERT_EQ(S_FALSE, folder.expected[0].modified);
    auto readers = [&shared] {
        RunThreads(8, kBound, [](int t, void* p) {
            auto* s = static_cast<ReaderState*>(p);
            Viewers viewers(Widen(s->folder->path));
            for (size_t i = static_cast<size_t>(t); !s->stop; i = (i + 1) % s->folder->files.size()) {
                const HRESULT controlled = viewers.controlled->IsMemberOf(s->folder->files[i].c_str(), 0);
                const HRESULT modified = viewers.modified->IsMemberOf(s->folder->files[i].c_str(), 0);
                s->wrong += controlled != s->folder->expected[i].controlled;
                s->wrong += i == 0 ? modified != S_OK && modified != S_FALSE : modified != s->folder->expected[i].modified;
                ++s->answers;
            }
        }, &shared);
    };
    Worker readerThreads(&readers);
    const int kReplacements = 300;
    int refused = 0, lost = 0;
    for (int round = 0; round < kReplacements; ++round) {
        const std::string& content = round % 2 ? removed : original;  // the last one: removed
        HANDLE out = ::CreateFileA(backup.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, out);
        DWORD wrote = 0;
        ::WriteFile(out, content.data(), static_cast<DWORD>(content.size()), &wrote, nullptr);
        ::CloseHandle(out);
        const bool deleted = ::DeleteFileA(entries.c_str()) != FALSE;
        const bool renamed = deleted && ::MoveFileA(backup.c_str(), entries.c_str()) != FALSE;
        refused += !renamed;
        if (::GetFileAttributesA(entries.c_str()) == INVALID_FILE_ATTRIBUTES) {
            ++lost;
            exec_test::WriteTextFile(entries, content);
        }
        ::DeleteFileA(backup.c_str());  // what a refused client leaves behind
    }
    shared.stop = true;
    ASSERT_TRUE(readerThreads.Wait(kBound));
    std::printf("Entries replaced %d times: %d refused, %d lost; %d answers\n", kReplacements, refused, lost,
                shared.answers.load());
    EXPECT_LE(refused, kReplacements / 100);
    EXPECT_EQ(0, lost);
    EXPECT_GE(shared.answers.load(), 8);
    EXPECT_EQ(0, shared.wrong.load());

    // Asked right after the last replacement, by a thread that owns no window: the file's answer.
    const HRESULT expected = exec_test::ReadTextFile(entries) == removed ? S_OK : S_FALSE;
    HRESULT answer = E_PENDING;
    auto ask = [&] {
        Viewers viewers(Widen(folder.path));
        if (viewers.Usable()) answer = viewers.modified->IsMemberOf(folder.files[0].c_str(), 0);
    };
    Worker asker(&ask);
    ASSERT_TRUE(asker.Wait(kBound));
    EXPECT_EQ(expected, answer);
}

TEST(Concurrency, TwoOperationsFromTwoWindows) {
    ASSERT_TRUE(Dll::Get().Module());
    TempFolder temp("two-ops");
    MakeWorkingFolder(temp / "one", {"a.c"});
    MakeWorkingFolder(temp / "two", {"b.c"});
    StubClient stub(temp);
    stub.Env().Set("CVSSTUB_SLEEP_MS", "300");
    stub.Env().Set("CVSSTUB_STDOUT", "out{args}\\n");

    // The console of this thread's window; both operations write to it.
    CBandHost host;
    auto band = Dll::Get().Create<IDeskBand>(CLSID_CConsoleBar);
    ASSERT_TRUE(band);
    ASSERT_EQ(S_OK, host.OpenBand(band.Get()));
    HWND edit = nullptr;
    ASSERT_EQ(S_OK, band->GetWindow(&edit));

    HRESULT results[2] = {E_PENDING, E_PENDING};
    IUnknown* site = host.Site();
    auto first = [&] { results[0] = Invoke({Widen(temp / "one\\a.c")}, 0, site); };
    auto second = [&] { results[1] = Invoke({Widen(temp / "two\\b.c")}, 0, site); };
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        Worker one(&first);
        Worker two(&second);
        ASSERT_TRUE(one.Wait(kBound) && two.Wait(kBound)) << "an operation did not end";
        EXPECT_EQ(S_OK, results[0]);
        EXPECT_EQ(S_OK, results[1]);
        // The console shows one whole operation: its command, its output, its end; nothing of the other.
        char text[4096] = {};
        ::GetWindowTextA(edit, text, sizeof text);
        const std::string shown = text;
        const std::string blockOne = ">" + exec_test::StubPath() + " -q update -d -P  a.c\r\nout-q update -d -P  a.c\r\nok\r\n";
        const std::string blockTwo = ">" + exec_test::StubPath() + " -q update -d -P  b.c\r\nout-q update -d -P  b.c\r\nok\r\n";
        EXPECT_TRUE(shown == blockOne || shown == blockTwo) << shown;
    }
    const auto calls = stub.Calls();
    ASSERT_EQ(6u, calls.size());
    for (const auto& call : calls) {
        const bool inOne = call.folder == temp / "one" && call.arguments == "-q update -d -P  a.c";
        const bool inTwo = call.folder == temp / "two" && call.arguments == "-q update -d -P  b.c";
        EXPECT_TRUE(inOne || inTwo) << call.folder << " " << call.arguments;
    }
    host.CloseBand();
}

TEST(Concurrency, OperationWaitingForAnotherStillAnswersItsConsole) {
    // Window B's thread owns the console; window A's thread runs an operation over two working copies
    // (two runs) that writes to it. Between A's runs, B starts an operation of its own and waits for A.
    // A's next console line is a message sent to B's thread: B must answer it while it waits.
    ASSERT_TRUE(Dll::Get().Module());
    TempFolder temp("waiting");
    MakeWorkingFolder(temp / "one", {"a.c"});
    MakeWorkingFolder(temp / "two", {"b.c"});
    MakeWorkingFolder(temp / "three", {"c.c"});
    StubClient stub(temp);
    stub.Env().Set("CVSSTUB_SLEEP_MS", "700");

    std::atomic<IUnknown*> siteOfB{nullptr};
    std::atomic<bool> bReady{false}, aStarted{false}, finish{false};
    HRESULT resultA = E_PENDING, resultB = E_PENDING;
    auto windowB = [&] {
        CBandHost host(nullptr, "window B");
        auto band = Dll::Get().Create<IDeskBand>(CLSID_CConsoleBar);
        if (!band || FAILED(host.OpenBand(band.Get()))) return;
        siteOfB = host.Site();
        bReady = true;
        while (!aStarted) CBandHost::PumpMessages(), ::Sleep(1);
        ::Sleep(300);  // A is in its first run now
        resultB = Invoke({Widen(temp / "three\\c.c")}, 0, host.Site());
        while (!finish) CBandHost::PumpMessages(), ::Sleep(1);
        host.CloseBand();
    };
    auto windowA = [&] {
        while (!bReady) ::Sleep(1);
        aStarted = true;
        // The two working copies lie in a folder that is none: one run in each.
        resultA = Invoke({Widen(temp / "one"), Widen(temp / "two")}, 0, siteOfB.load());
    };
    Worker b(&windowB);
    Worker a(&windowA);
    const bool aEnded = a.Wait(20000);
    finish = true;
    const bool bEnded = b.Wait(20000);
    ASSERT_TRUE(aEnded && bEnded) << "the two operations wait for each other";
    EXPECT_EQ(S_OK, resultA);
    EXPECT_EQ(S_OK, resultB);
    EXPECT_EQ(3u, stub.Calls().size());
}

TEST(Concurrency, LinkReplacedWhileAnotherThreadAppends) {
    ASSERT_TRUE(Dll::Get().Module());
    TempFolder temp("link");
    MakeWorkingFolder(temp / "wc", {"a.c"});
    StubClient stub(temp);
    stub.Env().Set("CVSSTUB_STDOUT_BYTES", "20000");

    CBandHost first(nullptr, "first");
    CBandHost second(nullptr, "second");
    auto firstBand = Dll::Get().Create<IDeskBand>(CLSID_CConsoleBar);
    auto secondBand = Dll::Get().Create<IDeskBand>(CLSID_CConsoleBar);
    ASSERT_TRUE(firstBand && secondBand);
    ASSERT_EQ(S_OK, first.OpenBand(firstBand.Get()));
    ASSERT_EQ(S_OK, second.OpenBand(secondBand.Get()));

    // One thread runs operations that write to the console; this thread keeps re-siting context menus
    // of the two windows (each replaces the link), and closes and reopens a band meanwhile.
    std::atomic<bool> stop{false};
    std::atomic<int> runs{0}, failures{0};
    const std::wstring file = Widen(temp / "wc\\a.c");
    IUnknown* site = first.Site();
    auto operations = [&] {
        while (!stop) {
            if (FAILED(Invoke({file}, 0, site))) ++failures;
            ++runs;
        }
    };
    Worker worker(&operations);
    const DWORD start = ::GetTickCount();
    for (int i = 0; ::GetTickCount() - start < 4000; ++i) {
        auto menu = Dll::Get().Create<IObjectWithSite>(CLSID_CCVSContextMenu);
        ASSERT_TRUE(menu);
        menu->SetSite(i % 2 ? first.Site() : second.Site());
        if (i % 50 == 25) {
            second.CloseBand();
            secondBand = Dll::Get().Create<IDeskBand>(CLSID_CConsoleBar);
            second.OpenBand(secondBand.Get());
        }
        CBandHost::PumpMessages();
    }
    stop = true;
    ASSERT_TRUE(worker.Wait(kBound)) << "the operations did not end";
    EXPECT_GT(runs.load(), 0);
    EXPECT_EQ(0, failures.load());
    first.CloseBand();
    second.CloseBand();
}

}  // namespace

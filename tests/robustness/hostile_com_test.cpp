// Hostile working copies through Ferrow.dll's COM interfaces, as Explorer meets them: every call answers
// as designed (not a member, no column value, a menu or none) and none crashes or hangs.
#include "robustness/robustness_support.h"

#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace robustness;
using testing_support::TempDir;
using testing_support::WriteTextFile;

namespace {

constexpr char kEntryLine[] = "/a.c/1.9/dummy timestamp//\n";

std::string Garbage(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// Holds a file open without any sharing, as another program may, for the object's lifetime.
class ExclusiveLock {
public:
    explicit ExclusiveLock(const std::string& path)
        : handle_(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~ExclusiveLock() {
        if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    }
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

struct Expected {
    HRESULT controlled;
    HRESULT modified;
    HRESULT columnsInit;
    const char* status;  // nullptr: no value (S_FALSE)
    const char* revision;
    int menuItems;  // 1: the "CVS" submenu, 0: nothing added, -1: the selection is refused
};

void Check(const ViewAnswers& a, const Expected& e) {
    EXPECT_EQ(e.controlled, a.controlled);
    EXPECT_EQ(e.modified, a.modified);
    EXPECT_EQ(e.columnsInit, a.columnsInit);
    EXPECT_EQ(e.status ? S_OK : S_FALSE, a.status);
    EXPECT_EQ(e.status ? e.status : "", a.statusText);
    EXPECT_EQ(e.revision ? S_OK : S_FALSE, a.revision);
    EXPECT_EQ(e.revision ? e.revision : "", a.revisionText);
    if (e.menuItems < 0) {
        EXPECT_EQ(E_INVALIDARG, a.menu);  // nothing in the selection the handler can take
    } else {
        EXPECT_TRUE(SUCCEEDED(a.menu)) << std::hex << a.menu;
        EXPECT_EQ(e.menuItems, a.menuItems);
    }
}

TEST(HostileThroughCom, BrokenAdministrativeFiles) {
    ASSERT_TRUE(Dll::Get().Module()) << FERROW_DLL;
    const Expected listedAndChanged = {S_OK, S_OK, S_OK, "Modified", "1.9", 1};
    const Expected notListed = {S_FALSE, S_FALSE, S_OK, nullptr, nullptr, 1};  // still in a working folder
    const Expected noWorkingCopy = {S_FALSE, S_FALSE, E_INVALIDARG, nullptr, nullptr, 0};
    const struct {
        const char* name;
        std::function<void(const TempDir&)> make;
        Expected expected;
    } cases[] = {
        {"Entries of 50 MB, the file listed last",
         [](const TempDir& d) {
             const std::string filler = "/filler.c/1.1/Tue Dec 08 16:24:01 2026//\n";
             std::string text;
             text.reserve((50u << 20) + 64);
             while (text.size() < (50u << 20)) text += filler;
             WriteTextFile(d / "CVS/Entries", text + kEntryLine);
         },
         listedAndChanged},
        {"a line of 1 MB before the entry",
         [](const TempDir& d) { WriteTextFile(d / "CVS/Entries", "/" + std::string(1u << 20, 'x') + "\n" + kEntryLine); },
         listedAndChanged},
        {"a line of 1 MB that is the entry's name",
         [](const TempDir& d) { WriteTextFile(d / "CVS/Entries", "/a.c" + std::string(1u << 20, 'x') + "/1.1/t//\n"); },
         notListed},
        {"binary garbage", [](const TempDir& d) { WriteTextFile(d / "CVS/Entries", Garbage(1u << 20, 7)); }, notListed},
        {"garbage with NULs around the entry",
         [](const TempDir& d) {
             WriteTextFile(d / "CVS/Entries", Garbage(4096, 8) + "\n" + kEntryLine + std::string(4096, '\0'));
         },
         listedAndChanged},
        {"empty Entries", [](const TempDir& d) { WriteTextFile(d / "CVS/Entries", ""); }, notListed},
        {"CVS is a file", [](const TempDir& d) { WriteTextFile(d / "CVS", kEntryLine); }, noWorkingCopy},
        {"Entries is a folder", [](const TempDir& d) { ::CreateDirectoryA((d / "CVS").c_str(), nullptr);
                                                       ::CreateDirectoryA((d / "CVS/Entries").c_str(), nullptr); },
         notListed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir("hostile");
        WriteTextFile(dir / "a.c", "int a;\n");
        c.make(dir);
        const DWORD start = ::GetTickCount();
        Check(AskViews(Widen(dir / "a.c"), Widen(dir.Path())), c.expected);
        EXPECT_LT(::GetTickCount() - start, 60000u);
    }
}

TEST(HostileThroughCom, FilesLockedByAnotherProgram) {
    TempDir dir("locked");
    WriteTextFile(dir / "a.c", "int a;\n");
    WriteTextFile(dir / "CVS/Entries", kEntryLine);
    {
        // Entries open without sharing: nothing can be read, the file is not listed.
        ExclusiveLock lock(dir / "CVS/Entries");
        ASSERT_TRUE(lock.Held());
        Check(AskViews(Widen(dir / "a.c"), Widen(dir.Path())), {S_FALSE, S_FALSE, S_OK, nullptr, nullptr, 1});
    }
    {
        // The working file open without sharing: listed, its time unreadable, so it counts as changed.
        ExclusiveLock lock(dir / "a.c");
        ASSERT_TRUE(lock.Held());
        Check(AskViews(Widen(dir / "a.c"), Widen(dir.Path())), {S_OK, S_OK, S_OK, "Modified", "1.9", 1});
    }
    // Unlocked again, the same answers as before the locks.
    Check(AskViews(Widen(dir / "a.c"), Widen(dir.Path())), {S_OK, S_OK, S_OK, "Modified", "1.9", 1});
}

TEST(HostileThroughCom, PathsAtAndBeyondTheLimit) {
    TempDir dir("long");
    // Exactly 259 characters: the longest path the extension handles, answered in full.
    const size_t nameLength = 259 - dir.Path().size() - 1;
    ASSERT_LT(nameLength, 256u);
    const std::string name = std::string(nameLength - 2, 'a') + ".c";
    const std::string file = dir / name;
    ASSERT_EQ(259u, file.size());
    WriteTextFile(file, "int a;\n");
    // The longer paths below are cut to exactly this listed name by a plain copy into MAX_PATH characters.
    WriteTextFile(dir / "CVS/Entries", "/" + name + "/1.9/dummy timestamp//\n");
    Check(AskViews(Widen(file), Widen(dir.Path())), {S_OK, S_OK, S_OK, "Modified", "1.9", 1});

    for (size_t extra : {1u, 2u, 200u, 5000u}) {
        SCOPED_TRACE(extra);
        const std::wstring longer = Widen(file + std::string(extra, 'c'));
        Dll& dll = Dll::Get();
        EXPECT_EQ(S_FALSE, dll.Create<IShellIconOverlayIdentifier>(CLSID_CCVSModifiedIconOverlay)
                               ->IsMemberOf(longer.c_str(), 0));
        EXPECT_EQ(S_FALSE, dll.Create<IShellIconOverlayIdentifier>(CLSID_CCVSIconOverlay)->IsMemberOf(longer.c_str(), 0));
        // The shell's selection may hold such a path; the handler takes nothing it cannot name in full.
        int items = -1;
        EXPECT_EQ(E_INVALIDARG, BuildMenu({longer}, CMF_NORMAL, items));
        // Beside a usable path, only that one is taken.
        EXPECT_TRUE(SUCCEEDED(BuildMenu({longer, Widen(file)}, CMF_NORMAL, items)));
        EXPECT_EQ(1, items);
    }
}

TEST(HostileThroughCom, NamesOutsideTheAnsiCodePage) {
    TempDir dir("wide");
    const std::wstring folder = Widen(dir.Path());
    // A hand-edited Entries that lists the names a lossy conversion would produce.
    WriteTextFile(dir / "CVS/Entries", "/??.txt/1.1/t//\n/a.c/1.2/t//\n");
    WriteTextFile(dir / "a.c", "x\n");
    const std::wstring chinese = folder + L"\\\x4e2d\x6587.txt";
    WriteWide(chinese, "x\n");
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(chinese.c_str()));
    Check(AskViews(chinese, folder), {S_FALSE, S_FALSE, S_OK, nullptr, nullptr, -1});

    // A wide working folder: the column provider does not take it, the overlays say no.
    const std::wstring wideFolder = folder + L"\\\x0416\x0436";
    MakeFolderWide(wideFolder + L"\\CVS");
    WriteWide(wideFolder + L"\\CVS\\Entries", kEntryLine);
    WriteWide(wideFolder + L"\\a.c", "x\n");
    Check(AskViews(wideFolder + L"\\a.c", wideFolder), {S_FALSE, S_FALSE, E_INVALIDARG, nullptr, nullptr, -1});

    // In a selection beside a plain name, the plain one is taken alone.
    int items = -1;
    EXPECT_TRUE(SUCCEEDED(BuildMenu({chinese, Widen(dir / "a.c")}, CMF_NORMAL, items)));
    EXPECT_EQ(1, items);
}

}  // namespace

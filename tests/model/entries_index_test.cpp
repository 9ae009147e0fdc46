// The per-folder index of CVS/Entries: it answers as the file on disk stands when the call starts, however
// the file changed (rewritten in place with the same size and second, deleted, replaced, unreadable, renamed
// over while others read it), and compares names exactly as the file system does.
#include "model/admin_files.h"
#include "model/entries_index.h"
#include "model/file_status.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using testing_support::TempDir;
using testing_support::WriteTextFile;

namespace {

std::string RevisionOf(const std::string& path) {
    CCVSEntry entry;
    return FindEntry(path.c_str(), entry) ? entry.Revision : std::string("(none)");
}

// Rewrites the file in place (no new file: the same identity), then sets its last-write time to `seconds`.
void RewriteInPlace(const std::string& path, const std::string& content, int64_t seconds) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD wrote = 0;
    ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &wrote, nullptr);
    ::CloseHandle(h);
    testing_support::SetLastWriteUnix(path, seconds);
}

TEST(EntriesIndex, NamesCompareAsTheFileSystemCompares) {
    // Every pair of single bytes of the thread's code page, against the comparison the file system uses.
    for (int a = 0x20; a < 0x100; ++a) {
        const char na[] = {'x', static_cast<char>(a), 0};
        const std::wstring wa = testing_support::WideOf(na);
        for (int b = 0x20; b < 0x100; ++b) {
            const char nb[] = {'x', static_cast<char>(b), 0};
            const std::wstring wb = testing_support::WideOf(nb);
            const bool same = ::CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                                                     static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
            ASSERT_EQ(same, EntryNameKey(na) == EntryNameKey(nb)) << std::hex << a << " " << b;
        }
    }
}

TEST(EntriesIndex, EveryChangeOfTheFileIsSeenByTheNextCall) {
    TempDir dir;
    const std::string entries = dir / "CVS/Entries";
    const std::string file = dir / "a.c";
    WriteTextFile(entries, "/a.c/1.1/t//\n");
    EXPECT_EQ("1.1", RevisionOf(file));

    // Renamed over, as the client does.
    WriteTextFile(dir / "CVS/Entries.Backup", "/a.c/1.3/t//\n");
    ASSERT_TRUE(::MoveFileExA((dir / "CVS/Entries.Backup").c_str(), entries.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ("1.3", RevisionOf(file));

    // Rewritten and unreadable: no answer, never the one of the old file.
    WriteTextFile(entries, "/a.c/1.44/t//\n");
    HANDLE h = ::CreateFileA(entries.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ("(none)", RevisionOf(file));
    ::CloseHandle(h);
    EXPECT_EQ("1.44", RevisionOf(file));

    ASSERT_TRUE(::DeleteFileA(entries.c_str()));
    EXPECT_EQ("(none)", RevisionOf(file));
    EXPECT_FALSE(IsControlled(file.c_str()));
    ASSERT_TRUE(::CreateDirectoryA(entries.c_str(), nullptr));
    EXPECT_EQ("(none)", RevisionOf(file));
    ASSERT_TRUE(::RemoveDirectoryA(entries.c_str()));

    WriteTextFile(entries, "/a.c/1.5/t//\n");
    EXPECT_EQ("1.5", RevisionOf(file));
    EXPECT_TRUE(IsControlled(file.c_str()));
    testing_support::DeleteTree(dir / "CVS");
    EXPECT_EQ("(none)", RevisionOf(file));
    EXPECT_FALSE(IsControlled(file.c_str()));
}

TEST(EntriesIndex, SameSizeSameSecondRewritesAreSeenAtOnce) {
    // A fast client on a file system with a coarse clock: Entries rewritten in place three times with the same
    // size, its last-write time set each time to the same whole second, the status asked right after each
    // write, by a thread that may wait for the client and by one that may not (a window's thread).
    TempDir dir;
    const std::string entries = dir / "CVS/Entries";
    const std::string file = dir / "a.c";
    WriteTextFile(file, "int a;\n");
    const int64_t kFileTime = 1204538400;  // Mon Mar  3 10:00:00 2008
    testing_support::SetLastWriteUnix(file, kFileTime);
    const std::string same = GetFileTimeText(file.c_str());
    std::string other = same;
    other[other.size() - 1] = other[other.size() - 1] == '9' ? '8' : '9';  // another year, the same length
    WriteTextFile(entries, "/a.c/1.1/" + same + "//\n");
    CCVSEntry entry;
    ASSERT_TRUE(FindEntry(file.c_str(), entry));
    ASSERT_EQ(kStatusOK, GetStatus(file.c_str(), entry));

    const struct {
        const char* timestamp;
        StatusId status;
    } writes[] = {{"same", kStatusOK}, {"other", kStatusModified}, {"same", kStatusOK},
                  {"other", kStatusModified}, {"same", kStatusOK}, {"other", kStatusModified}};
    for (ClientWait wait : {ClientWait::kUnlessWindowThread, ClientWait::kNever}) {
        for (const auto& w : writes) {
            SCOPED_TRACE(std::string(w.timestamp) + (wait == ClientWait::kNever ? ", not waiting" : ", waiting"));
            RewriteInPlace(entries, "/a.c/1.1/" + (w.timestamp == std::string("same") ? same : other) + "//\n",
                           1204538461);  // the same second every time
            const std::shared_ptr<const CEntryIndex> index = GetEntryIndex(dir.Path(), wait);
            ASSERT_TRUE(index && index->Find("a.c", entry));
            EXPECT_EQ(w.status, GetStatus(file.c_str(), entry));
        }
    }
}

TEST(EntriesIndex, TheLogOfAnInterruptedCommandIsReadWithEntries) {
    // The pair the client left after an interrupted command (scripts/make-entries-fixtures.sh): every view
    // sees what the client itself makes of it. The log's appearance is seen within 100 ms, its going at once.
    TempDir dir;
    const std::string fixtures = FERROW_TEST_DATA "/entries/interrupted/";
    WriteTextFile(dir / "CVS/Entries", testing_support::ReadTextFile(fixtures + "Entries"));
    EXPECT_EQ("(none)", RevisionOf(dir / "added.c"));
    EXPECT_EQ("1.1.1.1", RevisionOf(dir / "gone.c"));
    WriteTextFile(dir / "CVS/Entries.Log", testing_support::ReadTextFile(fixtures + "Entries.Log"));
    ::Sleep(110);
    EXPECT_EQ("0", RevisionOf(dir / "added.c"));
    EXPECT_EQ("-1.1.1.1", RevisionOf(dir / "removed.c"));
    EXPECT_EQ("1.2", RevisionOf(dir / "changed.c"));
    EXPECT_EQ("(none)", RevisionOf(dir / "gone.c"));
    EXPECT_EQ("9.9", RevisionOf(dir / "kept.c"));  // a line without a command is an add
    EXPECT_TRUE(IsControlled((dir / "added.c").c_str()));
    EXPECT_FALSE(IsControlled((dir / "gone.c").c_str()));
    ASSERT_TRUE(::DeleteFileA((dir / "CVS/Entries.Log").c_str()));
    EXPECT_EQ("(none)", RevisionOf(dir / "added.c"));
    EXPECT_EQ("1.1.1.1", RevisionOf(dir / "gone.c"));
}

TEST(EntriesIndex, ReadersSeeTheOldOrTheNewFileWhileItIsRenamedOver) {
    TempDir dir;
    const int kFiles = 200;
    std::string versions[2];
    for (int v = 0; v < 2; ++v)
        for (int i = 0; i < kFiles; ++i)
            versions[v] += "/f" + std::to_string(i) + ".c/1." + std::to_string(v + 1) + "/t//\n";
    const std::string entries = dir / "CVS/Entries";
    WriteTextFile(entries, versions[0]);

    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0}, answers{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 8; ++t) {
        readers.emplace_back([&, t] {
            while (!stop) {
                for (int i = t; i < kFiles; i += 8) {
                    const std::string r = RevisionOf(dir / ("f" + std::to_string(i) + ".c"));
                    if (r != "1.1" && r != "1.2") ++wrong;
                    ++answers;
                    ::Sleep(1);  // as Explorer asks: often, not without a pause
                }
            }
        });
    }
    // The client renames each version over the file. Windows lets it while readers have the file open (they
    // share it for deletion); Wine refuses while any handle is open, so the writer tries again, as often as
    // it takes: readers keep it open only while they read it.
    int renames = 0;
    const DWORD start = ::GetTickCount();
    for (int round = 0; round < 40 && ::GetTickCount() - start < 30000; ++round) {
        const std::string backup = dir / "CVS/Entries.Backup";
        WriteTextFile(backup, versions[(round + 1) % 2]);
        while (!::MoveFileExA(backup.c_str(), entries.c_str(), MOVEFILE_REPLACE_EXISTING) &&
               ::GetTickCount() - start < 30000)
            ::Sleep(0);
        renames += ::GetFileAttributesA(backup.c_str()) == INVALID_FILE_ATTRIBUTES;
        ::Sleep(5);
    }
    stop = true;
    for (std::thread& r : readers) r.join();
    EXPECT_EQ(40, renames);
    EXPECT_GT(answers.load(), 40);  // readers wait for the client at times: at least one answer per rename
    EXPECT_EQ(0, wrong.load());
}

}  // namespace

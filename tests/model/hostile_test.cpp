// Working copies as they come from anywhere: huge, corrupt, binary. Every call answers (not controlled, no
// entry, empty text) and none crashes or hangs.
#include "model/admin_files.h"
#include "model/file_status.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <random>

using testing_support::TempDir;
using testing_support::WriteTextFile;

namespace {

TEST(HostileWorkingCopy, HugeEntriesFileIsReadToTheEnd) {
    TempDir dir;
    std::string line = "/filler.c/1.1/Tue Dec 08 16:24:01 2026//\n";
    std::string content;
    content.reserve(50u << 20);
    while (content.size() < (50u << 20)) content += line;
    content += "/last.c/1.9/t//\n";
    WriteTextFile(dir / "CVS/Entries", content);
    CCVSEntry entry;
    ASSERT_TRUE(FindEntry((dir / "last.c").c_str(), entry));
    EXPECT_EQ("1.9", entry.Revision);
    EXPECT_FALSE(FindEntry((dir / "absent.c").c_str(), entry));
}

TEST(HostileWorkingCopy, MegabyteLinesAndBinaryGarbage) {
    TempDir dir;
    std::mt19937 random(42);
    std::string garbage(1 << 20, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    std::string longName(1 << 20, 'n');
    WriteTextFile(dir / "CVS/Entries", garbage + "\n/" + longName + "/1.1/t//\n/ok.c/1.2/t//\n" + garbage);
    WriteTextFile(dir / "CVS/Root", garbage);
    WriteTextFile(dir / "CVS/Tag", std::string(1 << 20, 'T'));
    CCVSEntry entry;
    ASSERT_TRUE(FindEntry((dir / "ok.c").c_str(), entry));
    EXPECT_EQ("1.2", entry.Revision);
    std::string text;
    EXPECT_TRUE(ReadRoot(dir.Path().c_str(), text));
    EXPECT_TRUE(ReadTag(dir.Path().c_str(), text));
    EXPECT_EQ(std::string((1 << 20) - 1, 'T'), text);
    EXPECT_TRUE(IsControlled((dir / "ok.c").c_str()));
    EXPECT_FALSE(IsModified((dir / "nothing").c_str()));
}

TEST(HostileWorkingCopy, PathsAtAndBeyondTheLimit) {
    TempDir dir;
    WriteTextFile(dir / "CVS/Entries", "/a/1.1/t//\n");
    for (size_t length : {258u, 259u, 260u, 261u, 1000u, 100000u}) {
        SCOPED_TRACE(length);
        std::string path = dir.Path() + "\\" + std::string(length - dir.Path().size() - 1, 'a');
        ASSERT_EQ(length, path.size());
        CCVSEntry entry;
        EXPECT_FALSE(FindEntry(path.c_str(), entry));
        EXPECT_FALSE(IsControlled(path.c_str()));
        std::string text;
        EXPECT_FALSE(ReadTag(path.c_str(), text));
        EXPECT_EQ("", GetFileTimeText(path.c_str()));
    }
    // Empty and lone-separator paths.
    for (const char* odd : {"", "\\", "C:", "C:\\", "\\\\server", "\\\\?\\C:\\x"}) {
        SCOPED_TRACE(odd);
        CCVSEntry entry;
        EXPECT_FALSE(FindEntry(odd, entry));
        IsControlled(odd);
        EXPECT_FALSE(IsModified(odd));
    }
}

TEST(HostileWorkingCopy, NamesOutsideTheAnsiCodePage) {
    TempDir dir;
    WriteTextFile(dir / "CVS/Entries", "/plain.txt/1.1/t//\n");
    // A file whose name the ANSI code page cannot hold: the shell's narrow form has '?' in it.
    std::wstring wide = testing_support::WideOf(dir.Path()) + L"\\\x4e2d\x6587.txt";
    HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    ::CloseHandle(h);
    char narrow[MAX_PATH] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow, MAX_PATH, nullptr, nullptr);
    CCVSEntry entry;
    EXPECT_FALSE(FindEntry(narrow, entry));
    EXPECT_FALSE(IsControlled(narrow));
    EXPECT_EQ("", GetFileTimeText(narrow));
    ::DeleteFileW(wide.c_str());
}

}  // namespace

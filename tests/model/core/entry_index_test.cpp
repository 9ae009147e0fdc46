#include "model/core/entry_index.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string AsciiFold(std::string_view name) {
    std::string key(name);
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

// The rule the index must keep: read from the top, the first file line whose name matches.
bool ScanFor(const std::string& text, const std::string& name, CCVSEntry& entry) {
    MemoryLineSplitter lines(text);
    std::string line;
    while (lines.ReadLine(line) == 0) {
        if (ParseEntryLine(line, entry) && AsciiFold(entry.Name) == AsciiFold(name)) return true;
    }
    return false;
}

void ExpectSameFields(const CCVSEntry& expected, const CCVSEntry& got) {
    EXPECT_EQ(expected.Name, got.Name);
    EXPECT_EQ(expected.Revision, got.Revision);
    EXPECT_EQ(expected.Timestamp, got.Timestamp);
    EXPECT_EQ(expected.Options, got.Options);
    EXPECT_EQ(expected.TagDate, got.TagDate);
}

CEntryIndex Build(const std::string& text) {
    CEntryIndex index(AsciiFold);
    MemoryLineSplitter lines(text);
    EXPECT_TRUE(index.AddLines(lines));
    return index;
}

TEST(EntryIndex, AnswersAsAScanFromTheTop) {
    const std::string texts[] = {
        "/a.c/1.1/t//\r\n/B.c/1.2/t/-kb/Tx\r\n/b.C/1.3/t//\r\nD/sub////\r\nD\r\n",
        "garbage\n\n/\n//\n/short/1.1/t\nD/a.c////\n/a.c/1.6/t//\n/a.c",  // bad lines, no final line end
        "/x\0y/1.1/t//\n/x/1.2/t//\n/n\0/1.1/t//\n" + std::string("/z/1.1/t//\r/Z/1.2/t//\r\r"),
        std::string("/a/1.1/t//\0/b/1.1/t//\n/b/1.2/t//", 31),  // a NUL ends its line
        "/////\n//1.1///\n",                                     // an empty name
    };
    const char* names[] = {"a.c", "A.C", "b.c", "sub", "x", "y", "n", "z", "a", "b", "", "short", "missing"};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const CEntryIndex index = Build(text);
        for (const char* name : names) {
            SCOPED_TRACE(name);
            CCVSEntry expected, got;
            const bool found = ScanFor(text, name, expected);
            ASSERT_EQ(found, index.Find(name, got));
            if (found) ExpectSameFields(expected, got);
        }
    }
}

TEST(EntryIndex, ManyNamesStayFindableAndTheTableStaysSmall) {
    // Growth and colliding probes: every name of a large folder, each listed twice (first wins).
    std::string text;
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < 20000; ++i)
            text += "/file" + std::to_string(i) + ".c/1." + std::to_string(pass + 1) + "/Tue Dec  8 16:24:01 2026//\n";
    const CEntryIndex index = Build(text);
    EXPECT_EQ(20000u, index.Count());
    for (int i = 0; i < 20000; ++i) {
        CCVSEntry entry;
        ASSERT_TRUE(index.Find("FILE" + std::to_string(i) + ".C", entry)) << i;
        ASSERT_EQ("1.1", entry.Revision);
    }
    CCVSEntry entry;
    EXPECT_FALSE(index.Find("file20000.c", entry));
    // The first half of the text is what is kept: at most about twice that.
    EXPECT_LE(index.MemoryBytes(), text.size());
}


std::string ReadEntriesFixture(const std::string& name) {
    std::ifstream in(std::string(FERROW_TEST_DATA) + "/entries/interrupted/" + name, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

CEntryIndex BuildWithLog(const std::string& entries, const std::string& log) {
    CEntryIndex index = Build(entries);
    MemoryLineSplitter lines(log);
    EXPECT_TRUE(index.ApplyLog(lines));
    return index;
}

void ExpectSameEntries(const CEntryIndex& expected, const CEntryIndex& got, const std::vector<std::string>& names) {
    EXPECT_EQ(expected.Count(), got.Count());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        CCVSEntry e, g;
        const bool found = expected.Find(name, e);
        ASSERT_EQ(found, got.Find(name, g));
        if (found) ExpectSameFields(e, g);
    }
}

TEST(EntryIndex, EntriesAndTheLogOfAnInterruptedCommandGiveWhatTheClientFoldsThemInto) {
    // Made by scripts/make-entries-fixtures.sh: the client's own log (an add, a remove, an update of a
    // changed file and of one removed in the repository) with malformed lines after it, and the Entries the
    // client wrote when it read the pair again.
    const std::string entries = ReadEntriesFixture("Entries"), log = ReadEntriesFixture("Entries.Log");
    ASSERT_FALSE(entries.empty());
    ASSERT_NE(std::string::npos, log.find("R /gone.c/"));
    const std::vector<std::string> names = {"added.c", "removed.c", "changed.c", "gone.c", "kept.c",
                                            "Mixed.TXT", "sub", "missing.c"};
    ExpectSameEntries(Build(ReadEntriesFixture("Entries.folded")), BuildWithLog(entries, log), names);
}

TEST(EntryIndex, TheLogChangesTheTableLineByLine) {
    const std::string entries = "/a.c/1.1/t//\n/b.c/1.1/t//\nD/sub////\n";
    struct Case {
        const char* log;
        const char* expected;  // the folded Entries
    } cases[] = {
        {"A /c.c/0/Initial c.c//\nR /a.c/1.1/t//\n", "/b.c/1.1/t//\n/c.c/0/Initial c.c//\n"},
        {"A /A.C/1.2/t//\nR /a.c/1.2/t//\nA /a.c/1.3/t//\n", "/b.c/1.1/t//\n/a.c/1.3/t//\n"},  // case ignored
        {"R /a.c\nR a.c\nZ /b.c/9/t//\nA /b.c/1.2/t//", "/a.c/1.1/t//\n/b.c/1.1/t//\n"},  // malformed; unfinished
        {"/b.c/1.4/t//\r\nR D/a.c////\r\nA D/sub2////\r\n", "/b.c/1.4/t//\n"},  // no command: an add
        {"", "/a.c/1.1/t//\n/b.c/1.1/t//\n"},
        {"A D/b.c////\nA /b.c/1.5/t//\n\n", "/a.c/1.1/t//\n/b.c/1.5/t//\n"},  // a folder line, then the file again
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.log);
        ExpectSameEntries(Build(c.expected), BuildWithLog(entries, c.log), {"a.c", "b.c", "c.c", "sub", "sub2"});
    }
}

}  // namespace

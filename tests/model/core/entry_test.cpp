#include "model/core/entry.h"

#include <gtest/gtest.h>

namespace {

struct EntryCase {
    const char* line;
    bool accepted;
    const char* name;
    const char* revision;
    const char* timestamp;
    const char* options;
    const char* tagDate;
};

const EntryCase kEntryCases[] = {
    {"/main.c/1.4/Wed Jan 02 02:03:55 2008/-kb/Tstable", true, "main.c", "1.4", "Wed Jan 02 02:03:55 2008", "-kb",
     "Tstable"},
    {"/a.c/1.1/Mon Mar 03 10:00:00 2008//", true, "a.c", "1.1", "Mon Mar 03 10:00:00 2008", "", ""},
    {"/a.c/1.1/Mon Mar 03 10:00:00 2008", false},
    {"/a.c/1.1/Mon Mar 03 10:00:00 2008/", false},
    {"/a.c/0/Initial a.c//", true, "a.c", "0", "Initial a.c", "", ""},
    {"/a.c/-1.3/dummy timestamp//", true, "a.c", "-1.3", "dummy timestamp", "", ""},
    {"/b.c/1.2/Result of merge+Tue Dec  8 16:24:01 2026//", true, "b.c", "1.2",
     "Result of merge+Tue Dec  8 16:24:01 2026", "", ""},
    // The sixth field ends at the next "/" if there is one.
    {"/x/1.1/t/o/Dd/extra", true, "x", "1.1", "t", "o", "Dd"},
    {"/////", true, "", "", "", "", ""},
    {"D/sub////", false},
    {"D", false},
    {"", false},
    {"a.c/1.1/t//", false},
    // Fields are taken verbatim, spaces and all.
    {"/ spaced name / 1.1 / t / -kb / Tx ", true, " spaced name ", " 1.1 ", " t ", " -kb ", " Tx "},
};

TEST(ParseEntryLine, AcceptsOnlyWellFormedFileLines) {
    for (const EntryCase& c : kEntryCases) {
        SCOPED_TRACE(c.line);
        CCVSEntry entry;
        entry.Name = "marker";
        ASSERT_EQ(c.accepted, ParseEntryLine(c.line, entry));
        if (!c.accepted) continue;
        EXPECT_EQ(c.name, entry.Name);
        EXPECT_EQ(c.revision, entry.Revision);
        EXPECT_EQ(c.timestamp, entry.Timestamp);
        EXPECT_EQ(c.options, entry.Options);
        EXPECT_EQ(c.tagDate, entry.TagDate);
    }
}

TEST(ParseEntryLine, ClearsFieldsOfAReusedEntry) {
    CCVSEntry entry;
    ASSERT_TRUE(ParseEntryLine("/a/1.1/t/-kb/Tbranch", entry));
    ASSERT_TRUE(ParseEntryLine("/b/1.2/u//", entry));
    EXPECT_EQ("", entry.Options);
    EXPECT_EQ("", entry.TagDate);
}

}  // namespace

#include "changes/core/change_rules.h"
#include "changes/core/ignore_rules.h"
#include "changes/core/update_output.h"
#include "model/core/status.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using changes::ChangeItem;

std::string ReadUpdateFixture(const std::string& name) {
    std::ifstream in(std::string(FERROW_TEST_DATA) + "/update/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Fold(std::string_view name) {
    std::string key(name);
    for (char& c : key) c = static_cast<char>((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
    return key;
}

// The recorded output of the real client: a working copy with local changes of every kind, beside a
// second one that committed (see scripts/make-update-fixtures.sh).
TEST(UpdateOutput, RecordedClientOutput) {
    const auto states = changes::ParseUpdateOutput(ReadUpdateFixture("mixed.out"), ReadUpdateFixture("mixed.err"));
    struct Expect {
        const char* path;
        unsigned local;
        unsigned remote;
    };
    const Expect expected[] = {
        {"added.txt", kStatusAdded, 0},
        {"clash.txt", kStatusModified, IDS_CHANGES_WOULD_CONFLICT},
        {"edited.txt", kStatusModified, 0},
        {"fresh.txt", 0, IDS_CHANGES_NEEDS_UPDATE},
        {"lost.txt", IDS_CHANGES_MISSING, IDS_CHANGES_NEEDS_UPDATE},
        {"merge.txt", kStatusModified, IDS_CHANGES_NEEDS_MERGE},
        {"removed.txt", kStatusRemoved, 0},
        {"stale.txt", 0, IDS_CHANGES_NEEDS_UPDATE},
        {"unknown.txt", IDS_CHANGES_UNVERSIONED, 0},
        {"sub\\unknown-inner.txt", IDS_CHANGES_UNVERSIONED, 0},
        {"gone.txt", 0, IDS_CHANGES_REMOVED_THERE},
    };
    ASSERT_EQ(std::size(expected), states.size());
    for (size_t i = 0; i < states.size(); ++i) {
        SCOPED_TRACE(expected[i].path);
        EXPECT_EQ(expected[i].path, states[i].path);
        EXPECT_EQ(expected[i].local, states[i].local);
        EXPECT_EQ(expected[i].remote, states[i].remote);
    }
    // A conflict left by an earlier update is a local state, nothing the repository has.
    const auto conflict = changes::ParseUpdateOutput(ReadUpdateFixture("conflict.out"), "");
    ASSERT_EQ(1u, conflict.size());
    EXPECT_EQ(kStatusConflict, conflict[0].local);
    EXPECT_EQ(0u, conflict[0].remote);
    EXPECT_TRUE(changes::ParseUpdateOutput(ReadUpdateFixture("clean.out"), ReadUpdateFixture("clean.err")).empty());
}

TEST(UpdateOutput, WindowsLineEndsQuotesAndMergeOfAFileInASubfolder) {
    const std::string out =
        "RCS file: C:/r/m/sub/a.c,v\r\nretrieving revision 1.1\r\nMerging differences between 1.1 and 1.2 into a.c\r\n"
        "M sub/a.c\r\nM b.c\r\nX odd\r\nU\r\n";
    const std::string err = "cvs.exe update: 'old.c' is no longer in the repository\r\ncvs update: `x' was lost\r\n";
    const auto states = changes::ParseUpdateOutput(out, err);
    ASSERT_EQ(4u, states.size());
    EXPECT_EQ("sub\\a.c", states[0].path);
    EXPECT_EQ(IDS_CHANGES_NEEDS_MERGE, states[0].remote);
    EXPECT_EQ(0u, states[1].remote);  // the merge block was another file's
    EXPECT_EQ("old.c", states[2].path);
    EXPECT_EQ(IDS_CHANGES_REMOVED_THERE, states[2].remote);
    EXPECT_EQ("x", states[3].path);
}

TEST(IgnoreList, DefaultsCvsignoreAndReset) {
    const changes::CIgnoreList defaults;
    struct Case {
        const char* name;
        bool ignored;
    };
    for (const Case& c : {Case{"main.o", true}, Case{"MAIN.OBJ", true}, Case{"x.c~", true}, Case{"core", true},
                          Case{"#x#", true}, Case{".#a.c.1.2", true}, Case{"a.exe", true}, Case{"main.c", false},
                          Case{"core.c", false}, Case{"CVS", true}}) {
        EXPECT_EQ(c.ignored, defaults.Matches(c.name)) << c.name;
    }
    const changes::CIgnoreList folder = defaults.With("*.tmp !\r\n*.log\tbuild[0-9]\n");
    EXPECT_TRUE(folder.Matches("out.LOG"));
    EXPECT_TRUE(folder.Matches("build7"));
    EXPECT_FALSE(folder.Matches("buildx"));
    EXPECT_FALSE(folder.Matches("main.o"));  // "!" emptied the list, the defaults included
    EXPECT_FALSE(folder.Matches("a.tmp"));
    EXPECT_FALSE(defaults.Matches("out.log"));  // the parent's list is unchanged
}

TEST(Wildcard, ClassesStarsAndHostilePatterns) {
    EXPECT_TRUE(changes::WildcardMatch("a*b*c", "aXXbYYc"));
    EXPECT_FALSE(changes::WildcardMatch("a*b*c", "aXXbYY"));
    EXPECT_TRUE(changes::WildcardMatch("[!a]x", "bx"));
    EXPECT_FALSE(changes::WildcardMatch("[!a]x", "Ax"));
    EXPECT_TRUE(changes::WildcardMatch("[ab", "[ab"));  // an open class is a literal
    EXPECT_TRUE(changes::WildcardMatch("*", ""));
    // Many stars against a long name that does not match: one backtrack point keeps this linear-ish.
    EXPECT_FALSE(changes::WildcardMatch(std::string(60, '*') + "b", std::string(5000, 'a')));
}

// One folder's rows from its entries and its enumeration: every kind of state, with file times that
// match or do not match the recorded ones.
TEST(ClassifyFolder, StatesOfEntriesAndNamesOnDisk) {
    const std::string okTime = "Wed Jan 02 02:03:55 2008";
    changes::FolderFacts facts;
    facts.prefix = "src\\";
    auto entry = [](const char* name, const char* rev, const std::string& time, const char* options = "") {
        return CCVSEntry{name, rev, time, options, ""};
    };
    facts.entries = {entry("same.c", "1.1", okTime),       entry("Edited.c", "1.2", okTime),
                     entry("new.c", "0", "Initial new.c"), entry("gone.c", "-1.3", okTime),
                     entry("lost.c", "1.1", okTime),       entry("lostadd.c", "0", "dummy"),
                     entry("pic.png", "1.1", okTime, "-kb")};
    facts.disk = {{"same.c", false, 1}, {"EDITED.C", false, 2}, {"new.c", false, 1}, {"pic.png", false, 2},
                  {"unknown.txt", false, 1}, {"obj.o", false, 1}, {"CVS", true, 0}, {"lib", true, 0},
                  {"plain", true, 0}};
    const auto time = [&](uint64_t t) { return t == 1 ? okTime : std::string("Thu Jan 03 00:00:00 2008"); };
    std::vector<ChangeItem> rows;
    std::vector<std::string> sub;
    changes::ClassifyFolder(facts, Fold, time, changes::CIgnoreList(),
                            [](const std::string& name) { return name == "lib"; }, {}, rows, sub);
    changes::SortRows(rows);
    std::vector<std::pair<std::string, unsigned>> got;
    for (const ChangeItem& r : rows) got.emplace_back(r.path, r.local);
    const std::vector<std::pair<std::string, unsigned>> want = {
        {"src\\EDITED.C", kStatusModified},     {"src\\gone.c", kStatusRemoved},
        {"src\\lost.c", IDS_CHANGES_MISSING},   {"src\\lostadd.c", IDS_CHANGES_MISSING},
        {"src\\new.c", kStatusAdded},           {"src\\pic.png", kStatusModified},
        {"src\\plain", IDS_CHANGES_UNVERSIONED}, {"src\\unknown.txt", IDS_CHANGES_UNVERSIONED}};
    EXPECT_EQ(want, got);
    EXPECT_TRUE(rows[5].binary);
    EXPECT_TRUE(rows[6].directory);
    EXPECT_EQ(std::vector<std::string>{"lib"}, sub);

    // A selection of single files keeps their rows only, and descends nowhere.
    rows.clear();
    sub.clear();
    changes::ClassifyFolder(facts, Fold, time, changes::CIgnoreList(),
                            [](const std::string&) { return true; }, {"edited.c", "unknown.txt"}, rows, sub);
    ASSERT_EQ(2u, rows.size());
    EXPECT_TRUE(sub.empty());
}

TEST(ChangeRows, SortMergeAndCommitPlan) {
    std::vector<ChangeItem> rows = {{"b.c", kStatusModified}, {"A-c", kStatusModified},
                                    {"a\\z.c", kStatusAdded},  {"new.png", IDS_CHANGES_UNVERSIONED},
                                    {"lost.c", IDS_CHANGES_MISSING}, {"dir", IDS_CHANGES_UNVERSIONED, 0, true}};
    changes::MergeRemote({{"B.C", 0, IDS_CHANGES_NEEDS_MERGE}, {"stale.c", 0, IDS_CHANGES_NEEDS_UPDATE}}, rows);
    std::vector<std::string> order;
    for (const ChangeItem& r : rows) order.push_back(r.path);
    EXPECT_EQ((std::vector<std::string>{"a\\z.c", "A-c", "b.c", "lost.c", "stale.c", "dir", "new.png"}), order);
    EXPECT_EQ(IDS_CHANGES_NEEDS_MERGE, rows[2].remote);
    EXPECT_FALSE(changes::CheckedByDefault(rows[4]));  // only the repository changed it
    EXPECT_FALSE(changes::CheckedByDefault(rows[6]));  // unversioned
    EXPECT_TRUE(changes::CheckedByDefault(rows[3]));

    const changes::CommitPlan plan = changes::PlanCommit(
        rows, [](const std::string& path) { return changes::IsBinaryName(path); });
    EXPECT_EQ((std::vector<std::string>{"dir"}), plan.addText);
    EXPECT_EQ((std::vector<std::string>{"new.png"}), plan.addBinary);
    EXPECT_EQ((std::vector<std::string>{"lost.c"}), plan.remove);
    EXPECT_EQ((std::vector<std::string>{"a\\z.c", "A-c", "b.c", "lost.c", "new.png"}), plan.commit);
}

// What is added with -kb by its content. A UTF-16 text of characters beyond Latin holds no NUL at all
// ("\u4E2D\u6587" below), yet the client's line-end and keyword handling would corrupt it.
TEST(Binary, ContentAndName) {
    const struct {
        const char* name;
        std::string head;
        bool binary;
    } cases[] = {
        {"UTF-16 LE with BOM", "\xFF\xFE\x2D\x4E\x87\x65", true},
        {"UTF-16 BE with BOM", "\xFE\xFF\x4E\x2D\x65\x87", true},
        {"UTF-8 with BOM", "\xEF\xBB\xBFgr\xC3\xBC\xC3\x9F\r\n", false},
        {"ANSI text", "gr\xFC\xDF \xFF\xFE\r\n", false},  // the BOM's bytes count only at the start
        {"NUL in the middle", std::string("GIF89a\0\1", 8), true},
        {"NUL after the head", std::string(changes::kBinaryHeadSize, 'a') + std::string(1, '\0'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.binary, changes::LooksBinary(c.head));
    }
    EXPECT_TRUE(changes::IsBinaryName("img\\Logo.PNG"));
    EXPECT_TRUE(changes::IsBinaryName("setup.msi"));
    EXPECT_FALSE(changes::IsBinaryName("png.txt"));
}

}  // namespace

#include "model/core/entry_index.h"

namespace {

// The list reads whole folders from the index: every live entry once, the log's changes applied.
TEST(EntryIndexEntries, ListsLiveEntriesWithTheLogApplied) {
    CEntryIndex index(Fold);
    for (const char* line : {"/a.c/1.1/t///", "D/sub////", "/b.c/1.2/t///", "/A.C/9.9/t///", "garbage"})
        index.AddLine(line);
    index.ApplyLogLine("R /b.c/1.2/t///");
    index.ApplyLogLine("A /n.c/0/dummy///");
    std::vector<std::string> names;
    for (const CCVSEntry& e : index.Entries()) names.push_back(e.Name + "@" + e.Revision);
    EXPECT_EQ((std::vector<std::string>{"a.c@1.1", "n.c@0"}), names);
}

}  // namespace

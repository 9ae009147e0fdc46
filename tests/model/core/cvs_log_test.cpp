#include "model/core/cvs_log.h"
#include "propsheet/core/history_tree.h"

#include "model/core/log_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> RevisionNumbers(const CCVSLog& log) {
    std::vector<std::string> out;
    for (const CCVSRevision& r : log.Revisions) out.push_back(r.Revision);
    return out;
}

TEST(ParseLog, RealBranchLog) {
    CCVSLog log;
    ASSERT_TRUE(ParseLogText(ReadLogFixture("branch.log"), log));
    EXPECT_EQ("1.3", log.Head);
    EXPECT_EQ("", log.Branch);
    EXPECT_EQ("strict", log.Locks);
    EXPECT_EQ("", log.AccessList);
    EXPECT_EQ("kv", log.KeywordSubstitution);  // the line after the names list is a header line again
    EXPECT_EQ("", log.Description);

    const std::vector<std::pair<std::string, std::string>> tags{
        {"branch_x", "1.2.0.2"}, {"BP_x", "1.2"}, {"REL_0", "1.1"}, {"REL_1", "1.3"}};
    EXPECT_EQ(tags, log.Tags.Entries());

    ASSERT_EQ((std::vector<std::string>{"1.3", "1.2", "1.1", "1.2.2.2", "1.2.2.1"}), RevisionNumbers(log));
    const CCVSRevision& r13 = log.Revisions[0];
    EXPECT_EQ("root", r13.Author);
    EXPECT_EQ("Exp", r13.State);
    EXPECT_EQ("+1 -0", r13.Lines);
    EXPECT_EQ(25u, r13.Date.size());  // "2026-12-08 18:08:40 +0000": only the first ":" splits
    EXPECT_EQ(':', r13.Date[13]);
    EXPECT_EQ("trunk after the branch / with a second line", r13.Message);
    // The "branches:" line of a branch point is the first part of the message; an empty line in the
    // middle adds a separator and nothing else.
    EXPECT_EQ("branches:  1.2.2; / fixed the build /  / second paragraph: after an empty line / last line",
              log.Revisions[1].Message);
    EXPECT_EQ("", log.Revisions[2].Lines);  // a first revision has no "lines"
    EXPECT_EQ("initial version", log.Revisions[2].Message);
    EXPECT_EQ("*** empty log message ***", log.Revisions[3].Message);
    EXPECT_EQ("first change on the branch", log.Revisions[4].Message);
}

TEST(ParseLog, SeveralFilesGiveAllBlocksAndTheFirstHeader) {
    CCVSLog log;
    ASSERT_TRUE(ParseLogText(ReadLogFixture("two-files.log"), log));
    EXPECT_EQ("1.3", log.Head);
    // trunk.c has no symbolic names, and branch.c's list comes after the first file's end.
    EXPECT_EQ(0u, log.Tags.Count());
    EXPECT_EQ((std::vector<std::string>{"1.3", "1.2", "1.1", "1.3", "1.2", "1.1", "1.2.2.2", "1.2.2.1"}),
              RevisionNumbers(log));
    EXPECT_EQ("first revision of trunk.c", log.Revisions[2].Message);
}

TEST(ParseLog, FolderLogHoldsTheRemovedFile) {
    CCVSLog log;
    ASSERT_TRUE(ParseLogText(ReadLogFixture("folder.log"), log));
    size_t dead = 0;
    for (const CCVSRevision& r : log.Revisions) dead += r.State == "dead";
    EXPECT_EQ(1u, dead);
    EXPECT_EQ(12u, log.Revisions.size());  // branch.c 5, gone.c 3, many.c 1, trunk.c 3
}

TEST(ParseLog, ManyTags) {
    CCVSLog log;
    ASSERT_TRUE(ParseLogText(ReadLogFixture("many-tags.log"), log));
    EXPECT_EQ(45u, log.Tags.Count());
    EXPECT_EQ(53u, log.Tags.BucketCount());
    ASSERT_EQ(1u, log.Revisions.size());
    EXPECT_EQ("many tags", log.Revisions[0].Message);
}

struct TextCase {
    const char* name;
    std::string text;
    const char* head;
    std::vector<std::pair<std::string, std::string>> tags;
    std::vector<std::string> revisions;
    std::vector<std::string> messages;
};

const std::string kSep = "----------------------------\n";
const std::string kEnd = "=============================================================================\n";

TEST(ParseLog, HandMadeLayouts) {
    const TextCase cases[] = {
        {"names list then header", "symbolic names:\n\tREL_1: 1.3\n\tbranch_x: 1.2.0.2\nkeyword substitution: kv\n",
         "", {{"branch_x", "1.2.0.2"}, {"REL_1", "1.3"}}, {}, {}},
        {"name line without colon is skipped, name kept verbatim",
         "symbolic names:\n\tno colon\n\t sp ace :  1.4 \nhead: 1.4\n", "1.4", {{" sp ace ", "1.4"}}, {}, {}},
        {"later header line replaces", "head: 1.1\nhead:\t1.2 \n", "1.2", {}, {}, {}},
        {"keys are case-sensitive and verbatim", "Head: 1.1\nhead : 1.2\n", "", {}, {}, {}},
        {"only the first colon splits", "head: a:b\n", "a:b", {}, {}, {}},
        {"empty messages and empty lines before text",
         "head: 1.2\n" + kSep + "revision 1.2\ndate: d;\n\n\nfirst\n\nlast\n" + kSep +
             "revision 1.1\ndate: d;\n" + kEnd,
         "1.2", {}, {"1.2", "1.1"}, {"first /  / last", ""}},
        {"truncated before the date line drops the block", kSep + "revision 1.2\ndate: x;\nmsg\n" + kSep +
             "revision 1.1", "", {}, {"1.2"}, {"msg"}},
        {"truncated inside a message keeps the block", kSep + "revision 1.2\ndate: x;\nhalf a mess", "", {},
         {"1.2"}, {"half a mess"}},
        {"no revision blocks", "head: 1.1\nsymbolic names:\n", "1.1", {}, {}, {}},
        {"empty output", "", "", {}, {}, {}},
        {"garbage between blocks is skipped", kSep + "junk\nrevisionX\nrevision 2.1\ndate: q\n" + kEnd +
             "\nRCS file: x\nrevision 2.0\n;;;\n" + kSep, "", {}, {"2.1", "2.0"}, {"", ""}},
        {"short dash lines do not separate",
         "------------------------\n" + kSep + "revision 1.1\ndate: d\n------------------------ 24\n" + kEnd, "",
         {}, {"1.1"}, {"------------------------ 24"}},
        {"CR LF line ends", "head: 1.5\r\nsymbolic names:\r\n\tA: 1.5\r\n----------------------------\r\n"
         "revision 1.5\r\ndate: d;  author: x\r\ntext\r\n====================================\r\n",
         "1.5", {{"A", "1.5"}}, {"1.5"}, {"text"}},
        {"NUL bytes end a line", std::string("head: 1.1\0junk\n", 15), "1.1", {}, {}, {}},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        CCVSLog log;
        ASSERT_TRUE(ParseLogText(c.text, log));
        EXPECT_EQ(c.head, log.Head);
        EXPECT_EQ(c.tags, log.Tags.Entries());
        EXPECT_EQ(c.revisions, RevisionNumbers(log));
        std::vector<std::string> messages;
        for (const CCVSRevision& r : log.Revisions) messages.push_back(r.Message);
        EXPECT_EQ(c.messages, messages);
    }
}

TEST(ParseLog, DateLinePieces) {
    struct Case {
        const char* line;
        const char* date;
        const char* author;
        const char* state;
        const char* lines;
    } const cases[] = {
        {"date: 2008/01/02 02:03:55;  author: joe;  state: Exp;  lines: +3 -1", "2008/01/02 02:03:55", "joe",
         "Exp", "+3 -1"},
        {"date: 2026-12-08 18:08:40 +0000;  author: root;  state: dead;  lines: +0 -0;  commitid: 1006B;",
         "2026-12-08 18:08:40 +0000", "root", "dead", "+0 -0"},
        {"author:joe;state:  Exp  ;nonsense;;  ;date", "", "joe", "Exp", ""},
        {"  lines :  +1 -1 ; author: a ; author: b", "", "b", "", ""},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CCVSLog log;
        ASSERT_TRUE(ParseLogText(kSep + "revision 1.1\n" + c.line + "\n", log));
        ASSERT_EQ(1u, log.Revisions.size());
        EXPECT_EQ(c.date, log.Revisions[0].Date);
        EXPECT_EQ(c.author, log.Revisions[0].Author);
        EXPECT_EQ(c.state, log.Revisions[0].State);
        EXPECT_EQ(c.lines, log.Revisions[0].Lines);
    }
}

TEST(ParseLog, DescriptionTextLines) {
    // Only the text on the "description:" line is kept; later lines with a ":" are header lines.
    CCVSLog log;
    ASSERT_TRUE(ParseLogText("head: 1.1\ndescription: first\nnote: x\nlocks: none\n" + kSep, log));
    EXPECT_EQ("first", log.Description);
    EXPECT_EQ("none", log.Locks);
}

class FailingSplitter : public LineSplitter {
public:
    explicit FailingSplitter(std::string text) : text_(std::move(text)) {}

protected:
    int32_t ReadBlock(char* buffer, size_t size, size_t& got) override {
        // Delivers the text in full blocks, then fails.
        if (offset_ >= text_.size()) return -5;
        got = std::min(size, text_.size() - offset_);
        std::copy_n(text_.data() + offset_, got, buffer);
        offset_ += got;
        if (got < size) return -5;  // a short block is never delivered: the read fails instead
        return 0;
    }

private:
    std::string text_;
    size_t offset_ = 0;
};

TEST(ParseLog, ReadFailureIsAFailure) {
    std::string text = ReadLogFixture("branch.log");
    text.resize(LineSplitter::kBlockSize * 2);
    FailingSplitter reader(text);
    CCVSLog log;
    EXPECT_FALSE(ParseLogLines(reader, log));
    FailingSplitter reader2(text);
    std::string local;
    EXPECT_FALSE(CollectLocalLogText(reader2, local));
}

TEST(LocalLogText, DropsEmptyAndEqualsLines) {
    const std::string out = ReadLogFixture("local-branch.log");
    MemoryLineSplitter reader(out);
    std::string text;
    ASSERT_TRUE(CollectLocalLogText(reader, text));
    EXPECT_EQ(std::string::npos, text.find("\r\n\r\n"));
    EXPECT_EQ(std::string::npos, text.find("==="));
    EXPECT_EQ(0u, text.find("RCS file: "));
    EXPECT_NE(std::string::npos, text.find("\r\n----------------------------\r\nrevision 1.2\r\n"));
    EXPECT_EQ("first change on the branch\r\n", text.substr(text.size() - 28));
    // Every line ends with CR LF and no bare LF remains.
    size_t lf = 0, crlf = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n') continue;
        ++lf;
        crlf += i > 0 && text[i - 1] == '\r';
    }
    EXPECT_EQ(lf, crlf);

    const std::string sample = "==x\n===y\n\n a \n";
    MemoryLineSplitter three(sample);
    std::string kept;
    ASSERT_TRUE(CollectLocalLogText(three, kept));
    EXPECT_EQ("==x\r\n a \r\n", kept);
}

}  // namespace

namespace {

// Every cut of a real output, and the output with bytes overwritten, parses without fault (the sanitizers
// watch) and never yields more blocks than the whole output has.
TEST(ParseLog, TruncatedAndCorruptedOutputs) {
    const std::string full = ReadLogFixture("branch.log");
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        CCVSLog log;
        ASSERT_TRUE(ParseLogText(full.substr(0, cut), log)) << cut;
        ASSERT_LE(log.Revisions.size(), 5u) << cut;
    }
    uint32_t seed = 12345;
    const char noise[] = {'\0', '\r', '\n', '\t', ':', ';', '-', '=', ' ', '\xFF', 'r'};
    for (int round = 0; round < 2000; ++round) {
        std::string text = full;
        for (int k = 0; k < 8; ++k) {
            seed = seed * 1103515245u + 12345u;
            const size_t at = (seed >> 8) % text.size();
            text[at] = noise[(seed >> 4) % sizeof(noise)];
        }
        CCVSLog log;
        ASSERT_TRUE(ParseLogText(text, log));
        ASSERT_LE(log.Revisions.size(), 6u);  // a "revision " line may be split in two by a new line end
        BuildHistoryTree(log, "1.2");
    }
}

}  // namespace

#include "ops/core/operation_rules.h"
#include "menu/core/menu_rules.h"
#include "exec/core/line_ends.h"
#include "common/core/replace_all.h"

#include <gtest/gtest.h>

namespace {

// Every verb of the menu reaches the operation whose template it runs: the menu's verb table and the
// operations' table agree on the verb, the menu text (the output window's title) and the template.
TEST(Operations, EachMenuVerbReachesItsOperationAndTemplate) {
    using ops::Operation;
    struct Case {
        const char* verb;
        bool isOperation;
        Operation operation;
        const char* text;
    } const cases[] = {
        {"update", true, Operation::kUpdate, "$(CVS) -q update -d -P $(Names)"},
        {"commit", true, Operation::kCommit, "$(CVS) -q commit -m $(Message) $(Names)"},
        {"diff", false, Operation::kUpdate, nullptr},
        {"add", true, Operation::kAdd, "$(CVS) add $(Names)"},
        {"Remove", true, Operation::kRemove, "$(CVS) remove $(Names)"},
        {"custom", true, Operation::kCustom, nullptr},
        {"undo", true, Operation::kUndo, "$(CVS) update -C $(Names)"},
        {"TAG", true, Operation::kTag, nullptr},
        {"resettag", true, Operation::kResetTag, "$(CVS) update -A $(Names)"},
        {"options", false, Operation::kUpdate, nullptr},
        {"updat", false, Operation::kUpdate, nullptr},
        {"", false, Operation::kUpdate, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.verb);
        Operation operation = Operation::kUpdate;
        ASSERT_EQ(c.isOperation, ops::FindOperation(c.verb, operation));
        if (!c.isOperation) continue;
        EXPECT_EQ(c.operation, operation);
        unsigned offset = 0;
        ASSERT_TRUE(menu::FindCommandByVerb(c.verb, offset));
        EXPECT_EQ(menu::FindCommandResources(offset)->textId, ops::OperationTextId(operation));
        const char* t = ops::FixedTemplate(operation);
        if (!c.text) {
            EXPECT_EQ(nullptr, t);
        } else {
            ASSERT_NE(nullptr, t);
            EXPECT_STREQ(c.text, t);
        }
    }
}

TEST(BuildTagTemplate, OptionsAlwaysInTheOrderMoveCheckBranch) {
    struct Case {
        bool move, check, branch;
        const char* text;
    } const cases[] = {
        {false, false, false, "$(CVS) -q tag $(Tag) $(Names)"},
        {true, false, true, "$(CVS) -q tag -F -b $(Tag) $(Names)"},
        {true, true, true, "$(CVS) -q tag -F -c -b $(Tag) $(Names)"},
        {false, true, false, "$(CVS) -q tag -c $(Tag) $(Names)"},
        {false, false, true, "$(CVS) -q tag -b $(Tag) $(Names)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.text, ops::BuildTagTemplate(c.move, c.check, c.branch));
    }
}

TEST(CommitFileTemplate, TheFileInPlaceOfTheMessage) {
    EXPECT_STREQ("$(CVS) -q commit -F $(MessageFile) $(Names)", ops::CommitFileTemplate());
}

TEST(ReplaceAll, EveryOccurrenceWithoutOverlap) {
    struct Case {
        const char* text;
        const char* variable;
        const char* value;
        const char* result;
    } const cases[] = {
        {"$(File) and $(File)", "$(File)", "x", "x and x"},
        {"$(file)", "$(File)", "x", "$(file)"},          // case-sensitive
        {"$(File)", "$(File)", "$(File)$(File)", "$(File)$(File)"},
        {"aaa", "aa", "b", "ba"},
        {"", "$(File)", "x", ""},
        {"abc", "", "x", "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.result, ferrow::ReplaceAll(c.text, c.variable, c.value));
    }
}

TEST(NormalizeLineEnds, EveryLineEndsWithCrLf) {
    struct Case {
        const char* in;
        const char* out;
    } const cases[] = {
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\r\n\nb", "a\r\n\r\nb"},
        {"a\rb", "a\rb"},
        {"a\r\r\n", "a\r\r\n"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(c.out, ops::NormalizeLineEnds(c.in));
        // Live output arrives in chunks cut anywhere, a CR LF split between two of them included.
        const std::string in = c.in;
        for (size_t cut = 0; cut <= in.size(); ++cut) {
            exec::LineEndStream stream;
            std::string fed = stream.Feed(in.substr(0, cut));
            fed += stream.Feed(in.substr(cut));
            EXPECT_EQ(c.out, fed) << cut;
        }
    }
}

TEST(NormalizeLineEnds, MegabytesOfShortLinesInLinearTime) {
    // Eight megabytes of one-byte lines: a replacement in place would move the rest of the text once per
    // line (about 10^13 bytes) and never finish within the test's time.
    const std::string lines(8u << 20, '\n');
    const std::string normal = ops::NormalizeLineEnds(lines);
    ASSERT_EQ(lines.size() * 2, normal.size());
    EXPECT_EQ("\r\n\r\n", normal.substr(normal.size() - 4));
}

TEST(OperationName, MenuTextWithoutMarksAndEllipsis) {
    const struct {
        const char* menu;
        const char* name;
    } cases[] = {
        {"&Update", "Update"},
        {"Custom C&ommand...", "Custom Command"},
        {"Markierung &zur\xfc" "cksetzen", "Markierung zur\xfc" "cksetzen"},
        {"Save && &quit", "Save & quit"},
        {"Trailing &", "Trailing "},
        {"...", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.name, ops::OperationName(c.menu)) << c.menu;
}

TEST(ChooseErrorText, ErrorThenOutputThenFallback) {
    const std::string fallback = "An error occured while executing the command.";
    EXPECT_EQ("err", ops::ChooseErrorText("err", "out", fallback));
    EXPECT_EQ("out", ops::ChooseErrorText("", "out", fallback));
    EXPECT_EQ(fallback, ops::ChooseErrorText("", "", fallback));
}

TEST(DialogTexts, OneLineAndDisplayMarks) {
    EXPECT_EQ("first  second", ops::MakeOneLine("first\r\nsecond"));
    EXPECT_EQ("a b c", ops::MakeOneLine("a\nb\rc"));
    EXPECT_EQ("1.3", ops::RevisionForDisplay("-1.3"));
    EXPECT_EQ("1.3", ops::RevisionForDisplay("1.3"));
    EXPECT_EQ("-1.3", ops::RevisionForDisplay("--1.3"));
    EXPECT_EQ("", ops::RevisionForDisplay(""));
    EXPECT_EQ("stable", ops::TagForDisplay("Tstable"));
    EXPECT_EQ("D2024.01.01.00.00.00", ops::TagForDisplay("D2024.01.01.00.00.00"));
    EXPECT_EQ("", ops::TagForDisplay(""));
    EXPECT_EQ("", ops::TagForDisplay("T"));
}

}  // namespace

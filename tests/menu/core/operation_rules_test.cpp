#include "menu/core/operation_rules.h"
#include "exec/core/line_ends.h"
#include "common/core/replace_all.h"

#include <gtest/gtest.h>

namespace {

TEST(FixedTemplate, PerOffset) {
    struct Case {
        unsigned offset;
        const char* text;
    } const cases[] = {
        {0, "$(CVS) -q update -d -P $(Names)"},
        {1, "$(CVS) -q commit -m $(Message) $(Names)"},
        {2, nullptr},
        {3, "$(CVS) add $(Names)"},
        {4, "$(CVS) remove $(Names)"},
        {5, nullptr},
        {6, "$(CVS) update -C $(Names)"},
        {7, nullptr},
        {8, "$(CVS) update -A $(Names)"},
        {9, nullptr},
        {10, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        const char* t = menu::FixedTemplate(c.offset);
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
        EXPECT_EQ(c.text, menu::BuildTagTemplate(c.move, c.check, c.branch));
    }
}

TEST(CommitFileTemplate, TheFileInPlaceOfTheMessage) {
    EXPECT_STREQ("$(CVS) -q commit -F $(MessageFile) $(Names)", menu::CommitFileTemplate());
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
        EXPECT_EQ(c.out, menu::NormalizeLineEnds(c.in));
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
    const std::string normal = menu::NormalizeLineEnds(lines);
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
    for (const auto& c : cases) EXPECT_EQ(c.name, menu::OperationName(c.menu)) << c.menu;
}

TEST(ChooseErrorText, ErrorThenOutputThenFallback) {
    const std::string fallback = "An error occured while executing the command.";
    EXPECT_EQ("err", menu::ChooseErrorText("err", "out", fallback));
    EXPECT_EQ("out", menu::ChooseErrorText("", "out", fallback));
    EXPECT_EQ(fallback, menu::ChooseErrorText("", "", fallback));
}

TEST(DialogTexts, OneLineAndDisplayMarks) {
    EXPECT_EQ("first  second", menu::MakeOneLine("first\r\nsecond"));
    EXPECT_EQ("a b c", menu::MakeOneLine("a\nb\rc"));
    EXPECT_EQ("1.3", menu::RevisionForDisplay("-1.3"));
    EXPECT_EQ("1.3", menu::RevisionForDisplay("1.3"));
    EXPECT_EQ("-1.3", menu::RevisionForDisplay("--1.3"));
    EXPECT_EQ("", menu::RevisionForDisplay(""));
    EXPECT_EQ("stable", menu::TagForDisplay("Tstable"));
    EXPECT_EQ("D2024.01.01.00.00.00", menu::TagForDisplay("D2024.01.01.00.00.00"));
    EXPECT_EQ("", menu::TagForDisplay(""));
    EXPECT_EQ("", menu::TagForDisplay("T"));
}

}  // namespace

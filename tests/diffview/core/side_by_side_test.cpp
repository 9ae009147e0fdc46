#include "diffview/core/line_diff.h"
#include "diffview/core/side_by_side.h"
#include "diffview/core/text_decode.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using diffview::RowKind;

// The rows as one line: "=" same, "~" changed, "-" removed, "+" added, each followed by the line numbers
// (1-based) of its sides, so a whole alignment compares at once: "=1/1 ~2/2 -3/ +/3".
std::string Render(const std::vector<diffview::Row>& rows) {
    std::string text;
    for (const diffview::Row& r : rows) {
        if (!text.empty()) text += ' ';
        text += r.kind == RowKind::kSame ? '=' : r.kind == RowKind::kChanged ? '~' : r.kind == RowKind::kRemoved ? '-' : '+';
        if (r.left >= 0) text += std::to_string(r.left + 1);
        text += '/';
        if (r.right >= 0) text += std::to_string(r.right + 1);
    }
    return text;
}

std::vector<diffview::Row> AlignTexts(const std::string& oldText, const std::string& newText) {
    const diffview::DecodedText a = diffview::DecodeText(oldText), b = diffview::DecodeText(newText);
    std::vector<std::uint32_t> na, nb;
    diffview::NumberElements(a.lines, b.lines, na, nb);
    return diffview::AlignRows(diffview::DiffSequences(na, nb));
}

TEST(AlignRows, TwoFilesSideBySide) {
    struct Case {
        const char* name;
        const char* oldText;
        const char* newText;
        const char* rows;
    } const cases[] = {
        {"identical", "a\nb\n", "a\nb\n", "=1/1 =2/2"},
        {"insert in the middle", "a\nb\nc\n", "a\nb\nX\nY\nc\n", "=1/1 =2/2 +/3 +/4 =3/5"},
        {"insert at the start", "a\nb\n", "X\na\nb\n", "+/1 =1/2 =2/3"},
        {"delete at the end", "a\nb\nc\n", "a\n", "=1/1 -2/ -3/"},
        {"change pairs lines, surplus follows", "a\nb\nc\nd\n", "a\nB\nC\nD2\nD3\nd\n",
         "=1/1 ~2/2 ~3/3 +/4 +/5 =4/6"},
        {"change with fewer new lines", "a\nb\nc\nd\n", "a\nX\nd\n", "=1/1 ~2/2 -3/ =4/3"},
        // A moved block is a removal at one place and an insertion at the other; everything else aligns.
        {"block moved down", "m1\nm2\na\nb\nc\n", "a\nb\nc\nm1\nm2\n", "-1/ -2/ =3/1 =4/2 =5/3 +/4 +/5"},
        {"both files empty", "", "", ""},
        {"old file empty", "", "a\nb", "+/1 +/2"},
        {"new file empty", "a\n", "", "-1/"},
        // Line ends are not content: only the texts of the lines are compared.
        {"no final line end", "a\nb\n", "a\nb", "=1/1 =2/2"},
        {"CR LF against LF", "a\r\nb\r\nc\r\n", "a\nB\nc\n", "=1/1 ~2/2 =3/3"},
        {"repeated lines", "x\nx\nx\n", "x\nx\n", "=1/1 =2/2 -3/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.rows, Render(AlignTexts(c.oldText, c.newText)));
    }
}

// Large inputs against an independent measure: every line appears once per side, in order, and the rows
// marked common are really equal; the number of edits is minimal when it is small (the middle-snake
// search is exact below its cost bound) and never more than all lines when the files are unrelated.
TEST(DiffSequences, LargeInputsStayConsistentAndMinimal) {
    std::mt19937 random(7);
    std::vector<std::uint32_t> a(10000);
    for (std::uint32_t& v : a) v = random() % 5000;
    std::vector<std::uint32_t> b = a;
    // 50 scattered single-line replacements by values the old side lacks: exactly 100 edits are minimal.
    for (int k = 0; k < 50; ++k) b[static_cast<std::size_t>(k) * 197 + 11] = 100000 + k;
    const diffview::DiffMarks marks = diffview::DiffSequences(a, b);
    std::size_t edits = 0;
    for (bool r : marks.removed) edits += r;
    for (bool r : marks.added) edits += r;
    EXPECT_EQ(100u, edits);

    std::vector<std::uint32_t> c(15000);
    for (std::uint32_t& v : c) v = random() % 50;  // unrelated content over a small alphabet
    const std::vector<diffview::Row> rows = diffview::AlignRows(diffview::DiffSequences(a, c));
    std::ptrdiff_t left = 0, right = 0;
    for (const diffview::Row& r : rows) {
        if (r.left >= 0) {
            ASSERT_EQ(left++, r.left);
        }
        if (r.right >= 0) {
            ASSERT_EQ(right++, r.right);
        }
        if (r.kind == RowKind::kSame) {
            ASSERT_EQ(a[r.left], c[r.right]);
        }
    }
    EXPECT_EQ(static_cast<std::ptrdiff_t>(a.size()), left);
    EXPECT_EQ(static_cast<std::ptrdiff_t>(c.size()), right);
}

TEST(ChangeNavigation, NextAndPreviousChange) {
    // rows: = ~ ~ = = + = -  -> changes start at rows 1, 5 and 7
    const std::vector<diffview::Row> rows = AlignTexts("a\nb\nc\nd\ne\nf\ng\n", "a\nB\nC\nd\ne\nX\nf\n");
    ASSERT_EQ("=1/1 ~2/2 ~3/3 =4/4 =5/5 +/6 =6/7 -7/", Render(rows));
    const std::vector<std::size_t> starts = diffview::ChangeStarts(rows);
    ASSERT_EQ((std::vector<std::size_t>{1, 5, 7}), starts);
    struct Case {
        std::size_t current;
        bool hasNext;
        std::size_t next;
        bool hasPrevious;
        std::size_t previous;
    } const cases[] = {
        {0, true, 1, false, 0},
        {1, true, 5, false, 0},  // at a change's first row, "previous" is the change before it
        {2, true, 5, true, 1},   // inside a change, "previous" is its own start
        {5, true, 7, true, 1},
        {7, false, 0, true, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current);
        std::size_t row = 99;
        EXPECT_EQ(c.hasNext, diffview::NextChange(starts, c.current, row));
        if (c.hasNext) {
            EXPECT_EQ(c.next, row);
        }
        EXPECT_EQ(c.hasPrevious, diffview::PreviousChange(starts, c.current, row));
        if (c.hasPrevious) {
            EXPECT_EQ(c.previous, row);
        }
    }
}

TEST(InlineChanges, MarksTheChangedWords) {
    using diffview::Span;
    struct Case {
        const char* name;
        std::string left, right;
        std::vector<Span> leftSpans, rightSpans;
    } const cases[] = {
        {"one word replaced", "int count = 0;", "int total = 0;", {{4, 9}}, {{4, 9}}},
        {"text appended", "return x;", "return x + 1;", {}, {{8, 12}}},
        {"whitespace only", "a  b", "a b", {{2, 3}}, {}},
        {"a word is marked whole", "x = count;", "x = cont;", {{4, 9}}, {}},
        {"nothing in common", "abcdef", "uvwxyz", {{0, 6}}, {{0, 6}}},
        {"two changes far apart", "alpha beta gamma delta", "alpha BETA gamma DELTA", {{6, 10}, {17, 22}},
         {{6, 10}, {17, 22}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const diffview::InlineMarks marks = diffview::InlineChanges(c.left, c.right);
        EXPECT_EQ(c.leftSpans, marks.left);
        EXPECT_EQ(c.rightSpans, marks.right);
    }
}

}  // namespace

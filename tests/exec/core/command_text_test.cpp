#include "exec/core/command_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Lead bytes of a Shift-JIS-like code page, whose trail bytes include ASCII letters and signs.
bool FakeLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

TEST(CommandText, QuoteArgumentTable) {
    const struct {
        std::string text;
        std::string quoted;
    } cases[] = {
        {"", "\"\""},
        {"abc", "abc"},
        {"a b", "\"a b\""},
        {"say \"hi\"", "\"say 'hi'\""},
        {"x=1", "\"x=1\""},
        // Each percent sign outside the quotes: no variable name begins and ends with a double quote.
        {"50%", "\"50\"%\"\""},
        {"%A%%", "\"\"%\"A\"%\"\"%\"\""},
        {"a\\%b\\", "\"a\\\\\"%\"b\\\\\""},
        {"a\\b", "a\\b"},
        {"sub\\b.c", "sub\\b.c"},
        {"line\r\nbreak", "line\r\nbreak"},
        {"a^b", "\"a^b\""},
        {"\"", "\"'\""},
        {"it's", "\"it's\""},
        {"x&y", "\"x&y\""},
        {"f(1)", "\"f(1)\""},
        {"[a]{b}", "\"[a]{b}\""},
        {"a;b!c+d,e`f~g<h>i*j?", "\"a;b!c+d,e`f~g<h>i*j?\""},
        // Beyond the interpreter's list: a tab splits arguments, "|" starts a pipe.
        {"tab\there", "\"tab\there\""},
        {"a|calc", "\"a|calc\""},
        // Backslashes before the closing quote are doubled so that the quote still closes the argument.
        {"C:\\my dir\\", "\"C:\\my dir\\\\\""},
        {"x=\\\\", "\"x=\\\\\\\\\""},
        {"a b\\c", "\"a b\\c\""},
        {"end\\", "end\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.quoted, cmdline::QuoteArgument(c.text, cmdline::NoLeadBytes));
    }
}

TEST(CommandText, QuoteArgumentForAProgramLeavesPercentSigns) {
    EXPECT_EQ("50%", cmdline::QuoteArgument("50%", cmdline::NoLeadBytes, cmdline::Reader::Program));
    EXPECT_EQ("\"a %b%\"", cmdline::QuoteArgument("a %b%", cmdline::NoLeadBytes, cmdline::Reader::Program));
}

TEST(CommandText, QuoteArgumentKeepsDoubleByteCharactersWhole) {
    // 0x81 0x7E and 0x83 0x5E: trail bytes equal to '~' and '^' do not make the text special.
    EXPECT_EQ("\x81~\x83^", cmdline::QuoteArgument("\x81~\x83^", FakeLead));
    EXPECT_EQ("\"\x81~\x83^\"", cmdline::QuoteArgument("\x81~\x83^", cmdline::NoLeadBytes));
    // A lead byte at the very end stands alone.
    EXPECT_EQ("\"a b\x81\"", cmdline::QuoteArgument("a b\x81", FakeLead));
    // A trail byte equal to a backslash at the end is no backslash: nothing is doubled.
    EXPECT_EQ("\"a b\x95\\\"", cmdline::QuoteArgument("a b\x95\\", FakeLead));
    EXPECT_EQ("\"a b\x95\\\\\"", cmdline::QuoteArgument("a b\x95\\", cmdline::NoLeadBytes));
}

TEST(CommandText, ReplaceVariableTable) {
    const struct {
        const char* what;
        std::string text, variable, value, result;
    } cases[] = {
        {"every occurrence", "$(Names) x $(Names)", "$(Names)", " a", " a x  a"},
        {"case-sensitive", "$(names) $(NAMES)", "$(Names)", "X", "$(names) $(NAMES)"},
        {"inserted text not searched again", "$(CVS)", "$(CVS)", "$(CVS)$(CVS)", "$(CVS)$(CVS)"},
        {"no overlap", "$(A)(A)", "$(A)", "$(", "$((A)"},
        {"value forms a new match only later", "$($(X)X)", "$(X)", "", "$(X)"},
        {"no variable", "cvs update", "$(Names)", "x", "cvs update"},
        {"empty text", "", "$(Names)", "x", ""},
        {"adjacent", "$(CVS)$(CVS)", "$(CVS)", "c", "cc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.result, cmdline::ReplaceVariable(c.text, c.variable, c.value, cmdline::NoLeadBytes));
    }
}

TEST(CommandText, ReplaceVariableDoesNotMatchInsideDoubleByteCharacters) {
    // 0x81 followed by '$' is one character: the "$(X)" that a byte-wise search would see is not there.
    const std::string text = "\x81$(X)$(X)";
    EXPECT_EQ("\x81$(X)v", cmdline::ReplaceVariable(text, "$(X)", "v", FakeLead));
    EXPECT_EQ("\x81vv", cmdline::ReplaceVariable(text, "$(X)", "v", cmdline::NoLeadBytes));
}

TEST(CommandText, NamesTextStartsWithASpace) {
    EXPECT_EQ(" x.c y.c", cmdline::NamesText({"x.c", "y.c"}, cmdline::NoLeadBytes));
    EXPECT_EQ(" \"a b.txt\" src\\a.c", cmdline::NamesText({"a b.txt", "src\\a.c"}, cmdline::NoLeadBytes));
    EXPECT_EQ("", cmdline::NamesText({}, cmdline::NoLeadBytes));
}

TEST(CommandText, ParentOfOneItem) {
    const struct {
        std::string path;
        size_t nameOffset;
        std::string parent;
    } cases[] = {
        {"C:\\work\\a.txt", 8, "C:\\work"},
        {"C:\\a.txt", 3, "C:\\"},
        {"C:\\work\\sub", 8, "C:\\work"},
        {"a.txt", 0, ""},
        {"\\\\server\\share\\f", 15, "\\\\server\\share"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.parent, c.path.substr(0, cmdline::ParentLength(c.path, c.nameOffset)));
    }
    EXPECT_EQ(3u, cmdline::ParentLength("C:\\", 99));  // an offset past the end is clamped
}

TEST(CommandText, TrimCurrentFolder) {
    EXPECT_EQ("sub\\b.c", cmdline::TrimCurrentFolder(".\\sub\\b.c"));
    EXPECT_EQ(".", cmdline::TrimCurrentFolder("."));
    EXPECT_EQ(".\\", cmdline::TrimCurrentFolder(".\\"));
    EXPECT_EQ("..\\x", cmdline::TrimCurrentFolder("..\\x"));
}

}  // namespace

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

TEST(CommandText, FillTemplateSearchesOnlyTheTemplate) {
    const struct {
        const char* what;
        std::string commandTemplate;
        cmdline::TemplateValues values;
        std::string line;
    } cases[] = {
        {"a name holding the client's variable", "$(CVS) add $(Names)",
         {{"$(CVS)", "C:\\cvs.exe"}, {"$(Names)", " $(CVS).txt"}}, "C:\\cvs.exe add  $(CVS).txt"},
        {"a message holding the names' variable", "$(CVS) commit -m $(Message) $(Names)",
         {{"$(CVS)", "cvs"}, {"$(Message)", "\"see $(Names)\""}, {"$(Names)", " a.c"}},
         "cvs commit -m \"see $(Names)\"  a.c"},
        {"a tag holding the client's variable", "$(CVS) -q tag $(Tag) $(Names)",
         {{"$(CVS)", "cvs"}, {"$(Tag)", "\"$(CVS)\""}, {"$(Names)", " a.c"}}, "cvs -q tag \"$(CVS)\"  a.c"},
        {"a client holding a variable", "$(CVS) $(Names)", {{"$(CVS)", "$(Names)"}, {"$(Names)", " x"}},
         "$(Names)  x"},
        {"every occurrence, case-sensitive", "$(Names)|$(Names)|$(names)", {{"$(Names)", "n"}}, "n|n|$(names)"},
        {"the first listed wins", "$(A)", {{"$(A)", "first"}, {"$(A)", "second"}}, "first"},
        {"no values", "$(CVS) update", {}, "$(CVS) update"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.line, cmdline::FillTemplate(c.commandTemplate, c.values, cmdline::NoLeadBytes));
    }
}

TEST(CommandText, InterpreterLineKeepsAQuotedClientWhole) {
    const std::string cmd = "C:\\windows\\system32\\cmd.exe";
    const struct {
        std::string line;
        std::string commandLine;
    } cases[] = {
        // /S takes away the first and the last double quote: the extra pair is what it removes.
        {"\"C:\\Program Files\\CVSNT\\cvs.exe\" -q update  \"a b.c\"",
         cmd + " /S /C \"\"C:\\Program Files\\CVSNT\\cvs.exe\" -q update  \"a b.c\"\""},
        {"  \"C:\\x y\\cvs.exe\" add  a.c", cmd + " /S /C \"  \"C:\\x y\\cvs.exe\" add  a.c\""},
        // Every other line exactly as it was.
        {"cvs -q update -d -P  \"a b.c\"", cmd + " /S /C cvs -q update -d -P  \"a b.c\""},
        {"C:\\CVSNT\\cvs.exe add  a.c", cmd + " /S /C C:\\CVSNT\\cvs.exe add  a.c"},
        {"", cmd + " /S /C "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.commandLine, cmdline::InterpreterCommandLine(cmd, c.line));
    }
}

// The names of each line, read back from the part after `prefix`: each part must be the names text of
// the next names in order. Gives the count of names per line; fails the test otherwise.
std::vector<size_t> NamesPerLine(const std::vector<std::string>& lines, const std::string& prefix,
                                 const std::vector<std::string>& names) {
    std::vector<size_t> counts;
    size_t next = 0;
    for (const std::string& line : lines) {
        EXPECT_EQ(prefix, line.substr(0, prefix.size()));
        size_t pos = prefix.size(), count = 0;
        while (pos < line.size() && next < names.size()) {
            const std::string text = cmdline::NamesText({names[next]}, cmdline::NoLeadBytes);
            if (line.compare(pos, text.size(), text) != 0) break;
            pos += text.size();
            ++next, ++count;
        }
        EXPECT_EQ(line.size(), pos) << line.substr(pos, 40);
        counts.push_back(count);
    }
    EXPECT_EQ(names.size(), next);
    return counts;
}

TEST(CommandText, SplitIntoRunsFillsEachLineUpToTheLimit) {
    const std::string cmd = "C:\\windows\\system32\\cmd.exe";
    const std::string quotedClient = "\"C:\\Program Files\\CVSNT\\cvs.exe\"";
    const struct {
        const char* what;
        size_t count;
        std::string client;
        size_t limit;
    } cases[] = {
        {"700 names", 700, "cvs", cmdline::kMaxInterpreterLine},
        {"3,000 names, a quoted client", 3000, quotedClient, cmdline::kMaxInterpreterLine},
        {"a short limit", 40, "cvs", 120},
        {"few names in one line", 3, "cvs", cmdline::kMaxInterpreterLine},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> names;
        for (size_t i = 0; i < c.count; ++i) {
            // Names of several lengths, some that need quotes.
            std::string name = "src\\file-" + std::to_string(i) + std::string(i % 7, 'x') + ".c";
            if (i % 5 == 0) name = "with blank " + name;
            names.push_back(name);
        }
        const cmdline::TemplateValues values = {{"$(CVS)", c.client}};
        const cmdline::RunSplit split =
            cmdline::SplitIntoRuns(cmd, "$(CVS) add $(Names)", values, names, c.limit, cmdline::NoLeadBytes);
        ASSERT_EQ(cmdline::kNoRefusal, split.refused);
        const std::vector<size_t> counts = NamesPerLine(split.lines, c.client + " add ", names);
        size_t first = 0;
        for (size_t i = 0; i < split.lines.size(); ++i) {
            const std::string line = cmdline::InterpreterCommandLine(cmd, split.lines[i]);
            EXPECT_LE(line.size(), c.limit) << i;
            // Full: the next name would not have fitted.
            first += counts[i];
            if (first < names.size()) {
                const std::string next = cmdline::NamesText({names[first]}, cmdline::NoLeadBytes);
                EXPECT_GT(line.size() + next.size(), c.limit) << i;
            }
        }
        if (c.count >= 700) {
            EXPECT_GT(split.lines.size(), 1u);
        }
    }
}

TEST(CommandText, SplitIntoRunsRefusesANameThatDoesNotFitAlone) {
    const std::string cmd = "cmd.exe";
    const std::string fixed = "cmd.exe /S /C cvs add  ";
    const std::vector<std::string> names = {"a.c", std::string(100 - fixed.size(), 'n'), "b.c"};
    // A line of exactly the limit is taken; one character more refuses that name, and nothing runs.
    cmdline::RunSplit split = cmdline::SplitIntoRuns(cmd, "$(CVS) add $(Names)", {{"$(CVS)", "cvs"}}, names, 100,
                                                     cmdline::NoLeadBytes);
    EXPECT_EQ(cmdline::kNoRefusal, split.refused);
    EXPECT_EQ(3u, split.lines.size());
    split = cmdline::SplitIntoRuns(cmd, "$(CVS) add $(Names)", {{"$(CVS)", "cvs"}}, names, 99, cmdline::NoLeadBytes);
    EXPECT_EQ(1u, split.refused);
    EXPECT_TRUE(split.lines.empty());
    // The names twice in the template count twice; a template without them is one line, whatever its length.
    split = cmdline::SplitIntoRuns(cmd, "$(Names)$(Names)", {}, {"abcd", "efgh"}, 30, cmdline::NoLeadBytes);
    EXPECT_EQ((std::vector<std::string>{" abcd abcd", " efgh efgh"}), split.lines);
    split = cmdline::SplitIntoRuns(cmd, std::string(200, 'u'), {}, names, 100, cmdline::NoLeadBytes);
    EXPECT_EQ(std::vector<std::string>{std::string(200, 'u')}, split.lines);
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

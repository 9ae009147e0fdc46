// The text rules of command templates: filling a template, quoting an argument, forming the names text,
// the interpreter's command line and its split into runs that fit, and the folder of a single selected
// item. Platform-free; the Windows side passes the lead-byte test of the ANSI code page so that
// double-byte characters are never split.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cmdline {

// True when the byte starts a double-byte character of the code page in use.
using LeadByteTest = bool (*)(unsigned char);

// A code page without double-byte characters.
bool NoLeadBytes(unsigned char);

// The variables of every command template: the client command, and the quoted names of a run.
constexpr char kClientVariable[] = "$(CVS)";
constexpr char kNamesVariable[] = "$(Names)";

// A variable of a template ("$(Names)") and the text that takes its place, inserted as it is.
struct TemplateValue {
    std::string variable;
    std::string value;
};
using TemplateValues = std::vector<TemplateValue>;

// The template with every occurrence of each variable (exact, case-sensitive) replaced by its value, in
// one pass from left to right, without overlap; where two variables match at one place the first listed
// wins. Only the template is searched: a value is never searched for a variable, so a file named
// "$(CVS).txt" or a message holding "$(Names)" arrives as it is. Matches start only at character
// boundaries.
std::string FillTemplate(const std::string& commandTemplate, const TemplateValues& values, LeadByteTest isLead);

// FillTemplate with one variable.
std::string ReplaceVariable(const std::string& text, const std::string& variable, const std::string& value,
                            LeadByteTest isLead);

// Who reads a quoted argument first: the command interpreter, which expands %NAME% references everywhere
// in its line (inside double quotes too), or a program started directly.
enum class Reader { Interpreter, Program };

// The quoting rule of names, messages, tag and file names: "" for an empty text; a text holding none of
// the characters  &()[]{}^=;!'+,`~<>*?" (and, for the interpreter, %) unchanged; otherwise its double
// quotes turned into apostrophes and the whole in double quotes. For the interpreter every "%" stands
// outside the quotes ("50"%"" for 50%): the text between two percent signs then begins and ends with a
// double quote, which no variable name does, so the interpreter expands nothing, and the program's runtime
// joins the pieces back into the text as it was.
std::string QuoteArgument(const std::string& text, LeadByteTest isLead, Reader reader = Reader::Interpreter);

// The text that replaces "$(Names)": one space and the quoted name for each name, in order (for the
// interpreter).
std::string NamesText(const std::vector<std::string>& names, LeadByteTest isLead);

// The whole command line the interpreter is started with to run `line`: "<interpreter> /S /C <line>".
// Under /S the interpreter removes the first and the last double quote of a line that begins with one
// (after blanks), so such a line (a quoted client path) gets one more pair around it; any other line
// stays exactly as it is.
std::string InterpreterCommandLine(const std::string& interpreter, const std::string& line);

// The longest command line, in characters, that the command interpreter runs.
constexpr size_t kMaxInterpreterLine = 8191;

// The lines of one folder's runs: the template filled with `values` and, in place of every "$(Names)",
// the names text (NamesText) of consecutive runs of `names`, each run as long as its whole interpreter
// command line (InterpreterCommandLine) stays within `limit` characters. Every name exactly once, in
// order; a template without "$(Names)" gives one line. `values` must not hold "$(Names)".
struct RunSplit {
    std::vector<std::string> lines;
    // The index of the first name whose line is too long even when it is the run's only name (no lines
    // then), or kNoRefusal.
    size_t refused;
};
constexpr size_t kNoRefusal = static_cast<size_t>(-1);
RunSplit SplitIntoRuns(const std::string& interpreter, const std::string& commandTemplate,
                       const TemplateValues& values, const std::vector<std::string>& names, size_t limit,
                       LeadByteTest isLead);

// The length of the folder part of a single selected item whose last element starts at `nameOffset`:
// the folder without its trailing backslash, except that a drive root keeps it ("C:\").
size_t ParentLength(const std::string& path, size_t nameOffset);

// A relative path as the shell forms it, with a leading ".\" removed (a lone "." stays).
std::string TrimCurrentFolder(const std::string& relative);

}  // namespace cmdline

// The text rules of command templates: replacing a variable, quoting an argument, forming the names
// text and the folder of a single selected item. Platform-free; the Windows side passes the lead-byte
// test of the ANSI code page so that double-byte characters are never split.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cmdline {

// True when the byte starts a double-byte character of the code page in use.
using LeadByteTest = bool (*)(unsigned char);

// A code page without double-byte characters.
bool NoLeadBytes(unsigned char);

// Every occurrence of `variable` (exact, case-sensitive) replaced by `value`, left to right, without
// overlap; the inserted text is not searched again. Matches start only at character boundaries.
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

// The length of the folder part of a single selected item whose last element starts at `nameOffset`:
// the folder without its trailing backslash, except that a drive root keeps it ("C:\").
size_t ParentLength(const std::string& path, size_t nameOffset);

// A relative path as the shell forms it, with a leading ".\" removed (a lone "." stays).
std::string TrimCurrentFolder(const std::string& relative);

}  // namespace cmdline

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

// The quoting rule of names, messages, tag and file names: "" for an empty text; a text holding none of
// the characters  &()[]{}^=;!'+,`~<>*?" unchanged; otherwise its double quotes turned into apostrophes and
// the whole in double quotes. Nothing else is escaped.
std::string QuoteArgument(const std::string& text, LeadByteTest isLead);

// The text that replaces "$(Names)": one space and the quoted name for each name, in order.
std::string NamesText(const std::vector<std::string>& names, LeadByteTest isLead);

// The length of the folder part of a single selected item whose last element starts at `nameOffset`:
// the folder without its trailing backslash, except that a drive root keeps it ("C:\").
size_t ParentLength(const std::string& path, size_t nameOffset);

// A relative path as the shell forms it, with a leading ".\" removed (a lone "." stays).
std::string TrimCurrentFolder(const std::string& relative);

}  // namespace cmdline

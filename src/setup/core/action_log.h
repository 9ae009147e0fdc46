// The platform-free rules of the installer's logging action (setup/setup_action.cpp): which program a
// command line starts, and how a text goes into the installer's log unchanged.
#pragma once

#include <string>

namespace setup {

// The program a command line starts, as CreateProcess reads it: the first argument, inside double quotes
// when it starts with one, else up to the first space or tab. Empty when there is none (an empty line, an
// unclosed or empty quote).
std::wstring ProgramOfCommandLine(const std::wstring& line);

// `text` as the template of a log record (its field 0), which the installer formats before it logs it:
// each of [ ] { } written as its escape "[\x]", so the text reaches the log as it was. Unescaped, a
// "[NAME]" in a program's message would be replaced by a property's value (or by nothing) and a "{...}"
// dropped.
std::wstring EscapeFormatted(const std::wstring& text);

}  // namespace setup

// Turning a command template and a selection into command lines and running them: the common folder of
// the selection, the names relative to it, quoted, put in place of "$(Names)". Everything runs
// synchronously on the caller's thread. Paths are ANSI strings of at most 259 characters.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

using Selection = std::vector<std::string>;

// Runs one command line in one folder; RunInDirectory in the product, a recorder in tests.
using CommandRunner = std::function<HRESULT(const std::string& directory, const std::string& command)>;

// Every occurrence of `variable` replaced by `value` (exact, case-sensitive, left to right, the inserted
// text not searched again; double-byte characters of the ANSI code page kept whole).
std::string ReplaceVariable(const std::string& text, const std::string& variable, const std::string& value);

// The one quoting rule for names, messages, tag names and file names on a command line that the command
// interpreter runs (every template of ExecuteTemplate): the interpreter passes the text on unexpanded.
std::string QuoteArgument(const std::string& text);

// The same rule for a command line started without the interpreter (the diff and view tools): "%" needs
// no protection there and stays as it is.
std::string QuoteProgramArgument(const std::string& text);

// The longest leading folder shared by the selected paths (a single item's parent folder); true only when
// it exists and is a folder. Paths on different drives share none.
bool GetCommonDirectory(const Selection& selection, std::string& directory);

// Each item's name relative to `directory`, in selection order, without a leading ".\"; false when one
// cannot be formed.
bool GetRelativeNames(const std::string& directory, const Selection& selection, std::vector<std::string>& names);

// Runs the template on the selection. When the common folder is under version control, runs once there
// with the quoted relative names in place of "$(Names)"; otherwise once in each selected folder, in order,
// with "." in place of "$(Names)", stopping at the first failure. Nothing runs (S_OK) when there is no
// common folder. E_INVALIDARG for an empty selection, E_FAIL when a relative name cannot be formed,
// otherwise the result of the first failing run, or S_OK. Nothing here or later expands %NAME% references
// in the template: a caller expands the text that the user or the settings wrote before it puts values in.
HRESULT ExecuteTemplate(const std::string& commandTemplate, const Selection& selection);
HRESULT ExecuteTemplate(const std::string& commandTemplate, const Selection& selection, const CommandRunner& run);

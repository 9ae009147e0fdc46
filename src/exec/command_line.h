// Turning a command template and a selection into command lines and running them: the common folder of
// the selection, the names relative to it, quoted, put in place of "$(Names)" in as many runs as the
// interpreter's line length needs, the client in place of "$(CVS)". Everything runs synchronously on the
// caller's thread. Paths are ANSI strings of at most 259 characters.
#pragma once

#include "exec/core/command_text.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CRunFrame;

using Selection = std::vector<std::string>;

// Variables of a template beside "$(CVS)" and "$(Names)", with their (already quoted) texts.
using TemplateValues = cmdline::TemplateValues;

// Runs one finished command line in one folder; RunCommandLine in the product, a recorder in tests.
using CommandRunner = std::function<HRESULT(const std::string& directory, const std::string& line)>;

// The result for a name whose command line would be too long for the interpreter even with that name
// alone: HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE). Nothing runs then.
constexpr HRESULT kNameTooLong = static_cast<HRESULT>(0x800700CE);

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

// Runs the template on the selection (each run with `frame`, RunCommandLine; or with `run`). The template alone is searched for variables: "$(CVS)" (the
// client, ClientCommand), "$(Names)" and those of `values`; no inserted text is searched again.
// When the common folder is under version control, runs there with the quoted relative names in place of
// "$(Names)", split into consecutive runs so that no interpreter command line is longer than
// cmdline::kMaxInterpreterLine (every name once, in order); otherwise once in each selected folder, in
// order, with "." in place of "$(Names)". The first failing run stops the rest. Nothing runs (S_OK) when
// there is no common folder. E_INVALIDARG for an empty selection, E_FAIL when a relative name cannot be
// formed, kNameTooLong (nothing run, the name in `refusedName`) when a name does not fit a line even
// alone, otherwise the result of the first failing run, or S_OK. Nothing here or later expands %NAME%
// references in the template: a caller expands the text that the user or the settings wrote before it
// puts values in.
HRESULT ExecuteTemplate(CRunFrame* frame, const std::string& commandTemplate, const Selection& selection,
                        const TemplateValues& values = {}, std::string* refusedName = nullptr);
HRESULT ExecuteTemplate(const std::string& commandTemplate, const Selection& selection, const TemplateValues& values,
                        const CommandRunner& run, std::string* refusedName = nullptr);

// What ExecuteTemplate would answer before its first run, without running anything: S_OK when it would
// run (or have nothing to run), otherwise its refusal (kNameTooLong with the name, E_FAIL, E_INVALIDARG).
// For an operation that changes files before its command runs.
HRESULT CheckTemplate(const std::string& commandTemplate, const Selection& selection, const TemplateValues& values,
                      std::string* refusedName = nullptr);

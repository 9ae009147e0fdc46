// The selection handed from a shell handler to Ferrow.exe: a temporary file of UTF-16LE text (byte order
// mark, one full path a line, CR LF), so that no selection is bounded by the length of a command line.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ops {

// Writes `paths` (ANSI, as the extension keeps them) to a new file in the temporary folder; its full name
// goes to `file`. The caller (or the program told /deletepathfile) removes it.
HRESULT WritePathFile(const std::vector<std::string>& paths, std::wstring& file);

// Reads a file written by WritePathFile (a file without byte order mark is read as UTF-16LE too). A path
// that cannot be spelled in the ANSI code page or is longer than 259 characters is left out, as the
// shell's selection reader leaves it out. Empty lines are skipped.
HRESULT ReadPathFile(const std::wstring& file, std::vector<std::string>& paths);

}  // namespace ops

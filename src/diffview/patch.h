// "Save as patch": the client's unified diff of the selection ("cvs diff -u") written to a file that the
// user names in the system's Save dialog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace diffview {

// Asks for the file (prefilled with the first item's name and ".patch") and writes the diff of every
// selected item there, each folder's run appended; `revisions` are extra options ("-r 1.2 -r 1.4", already
// quoted) or empty for the working files against their base revisions. S_FALSE when cancelled or when
// there are no differences (told to the user; no file is left), the failure otherwise (told too).
HRESULT SaveAsPatch(HWND owner, const std::vector<std::string>& selection, const std::string& revisions);

// The same without a dialog: writes to `target`. S_FALSE when there is no difference (the file is removed).
HRESULT WritePatch(const std::vector<std::string>& selection, const std::string& revisions, const std::string& target);

}  // namespace diffview

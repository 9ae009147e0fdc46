// Annotate: the client's annotation of one file (every line with the revision, author and date of its
// last change) in a list coloured by age; a double click (or Enter) on a line shows that revision's log
// message. Modal; runs on the caller's (UI) thread.
#pragma once

#include "diffview/core/annotate.h"

#include <windows.h>

#include <string>
#include <vector>

namespace diffview {

// Runs "$(CVS) annotate [-r REV] NAME" for the working file `path` into a temporary file and parses it.
// An empty revision annotates the working revision. Fails when the client fails.
HRESULT RunAnnotate(const std::string& path, const std::string& revision, std::vector<AnnotatedLine>& lines);

// Runs the annotation and shows it; no lines (a binary file, an unknown revision) is told in a message box.
// A non-zero closeAfterMs closes the window by itself after that time (demos).
HRESULT ShowAnnotateWindow(HWND owner, const std::string& path, const std::string& revision,
                           unsigned closeAfterMs = 0);

}  // namespace diffview

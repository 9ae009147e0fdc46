// Ferrow's own diff viewer: two files side by side in one list (old line number and text, new line number
// and text), lines aligned, added, removed and changed lines coloured, the changed parts of a changed
// line marked, next and previous change (buttons, F7 / Shift+F7, N / P), the two versions in the captions
// and the title. Modal; runs on the caller's (UI) thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace diffview {

struct DiffRequest {
    std::string oldFile;     // the files to compare (a revision file or the working file)
    std::string newFile;
    std::string oldCaption;  // what each pane shows above it ("Revision 1.5", "Working copy")
    std::string newCaption;
    std::string title;       // the window title before the program's name ("main.c")
    // "Save as patch": the working file and the revisions the diff is of ("" for the base revision or
    // the working file). No working file: no button.
    std::string path;
    std::string oldRevision;
    std::string newRevision;
    unsigned closeAfterMs = 0;  // non-zero: the window closes by itself after this time (demos)
};

// Shows the viewer. A file that cannot be read or is binary is reported in a message box instead (the
// result then is that failure).
HRESULT ShowDiffWindow(HWND owner, const DiffRequest& request);

}  // namespace diffview

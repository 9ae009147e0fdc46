// The diff and view tools: old revisions are written to files by the cvs client itself, then compared in
// the configured diff program (or Ferrow's own viewer, see UseBuiltInDiff) or opened in the configured
// viewer, which run on their own and are not waited for. A tool that cannot be started is reported.
// Paths are full ANSI paths; revisions are texts such as "1.5" or "1.2.2.1".
#pragma once

#include <windows.h>

#include <string>

// The temporary folder, the file's last path element, "_" and the revision ("C:\Temp\main.c_1.5").
// The same file and revision always give the same name. False when the temporary folder is unknown.
bool MakeRevisionFileName(const std::string& path, const std::string& revision, std::string& name);

// Writes `revision` of the file `path` into `target` ("cvs -q update -p -r <rev> <name> > <target>" in the
// file's folder). The result of the command composition: negative when the command failed.
HRESULT FetchRevision(const std::string& path, const std::string& revision, const std::string& target);

// The two files of a comparison, fetched.
struct Comparison {
    std::string oldRevision;  // as fetched
    std::string newRevision;  // empty: the working file
    std::string oldFile;      // the revision files (newFile: the working file itself when newRevision is empty)
    std::string newFile;
};

// Fetches the files to compare. Without oldRevision, the revision recorded in CVS/Entries (without the
// "-" of a removed file) is the old one; without newRevision, the working file is the new one.
// S_FALSE when the file has no entry and no old revision was given (nothing fetched); the fetch's failure,
// or the temporary folder's.
HRESULT FetchComparison(const std::string& path, const char* oldRevision, const char* newRevision,
                        Comparison& comparison);

// True when comparisons go to Ferrow's own viewer: the Diff setting names it (tools::NamesBuiltInViewer),
// or the setting is the default and its program is not found on the PATH (Windows 10 and 11 have none).
bool UseBuiltInDiff();

// Starts a tool's command line without the interpreter and without waiting. The failure of CreateProcess
// (an empty command line is ERROR_FILE_NOT_FOUND).
HRESULT StartTool(const std::string& command);

// Starts the configured diff program on the comparison's files; the failure of the start.
HRESULT StartDiffTool(const Comparison& comparison);

// Fetches and starts the diff program (or Ferrow.exe's viewer beside the module, when UseBuiltInDiff).
// Stops without a word when there is no entry or a fetch fails (the fetch's echo tells); a tool that
// cannot be started is told in a message box owned by `owner`. The result: S_FALSE when stopped, the
// failure of the start, or S_OK.
HRESULT CompareRevisions(const std::string& path, const char* oldRevision, const char* newRevision,
                         HWND owner = nullptr);

// Fetches one revision and starts the viewer on it; the same failures as CompareRevisions.
HRESULT ViewRevision(const std::string& path, const std::string& revision, HWND owner = nullptr);

// Asks for a file name with the system's Save dialog (prefilled with `path`, no overwrite prompt) and
// writes the revision there.
void SaveRevisionAs(const std::string& path, const std::string& revision);

// Tells the user that a tool's command could not be started (a message box owned by `owner`).
void ReportToolFailure(HWND owner, const std::string& command, HRESULT failure);

// The commands CompareRevisions and ViewRevision would start, once the revision files are fetched: the
// tool setting with its %NAME% references expanded, the file names put in as they are. False when the
// tool setting cannot be had. Exposed so tests can see the exact command lines.
bool MakeDiffCommand(const std::string& oldFile, const std::string& newFile, std::string& command);
bool MakeViewCommand(const std::string& file, std::string& command);

// The external diff and view tools: old revisions are written to files by the cvs client itself, then the
// configured diff program or viewer is started on them and not waited for. Every failure is silent.
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

// Starts the diff program on two revisions of the file. Without oldRevision, the revision recorded in
// CVS/Entries (without the "-" of a removed file) is the old one; without newRevision, the working file is
// the new one. Stops silently when there is no entry or a fetch fails.
void CompareRevisions(const std::string& path, const char* oldRevision, const char* newRevision);

// Fetches one revision and starts the viewer on it.
void ViewRevision(const std::string& path, const std::string& revision);

// Asks for a file name with the system's Save dialog (prefilled with `path`, no overwrite prompt) and
// writes the revision there.
void SaveRevisionAs(const std::string& path, const std::string& revision);

// The commands CompareRevisions and ViewRevision would start, once the revision files are fetched: the
// tool setting with its %NAME% references expanded, the file names put in as they are. False when the
// tool setting cannot be had. Exposed so tests can see the exact command lines.
bool MakeDiffCommand(const std::string& oldFile, const std::string& newFile, std::string& command);
bool MakeViewCommand(const std::string& file, std::string& command);

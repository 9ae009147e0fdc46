#include "exec/tools.h"

#include "common/text.h"
#include "exec/command_line.h"
#include "exec/core/tool_templates.h"
#include "exec/process_runner.h"
#include "model/admin_files.h"
#include "settings/settings_store.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <vector>

namespace {

// Fetches a revision into its revision file; false (silently) on any failure.
bool FetchToRevisionFile(const std::string& path, const std::string& revision, std::string& file) {
    if (!MakeRevisionFileName(path, revision, file)) return false;
    return SUCCEEDED(FetchRevision(path, revision, file));
}

// The tool setting with its %NAME% references expanded; the file names put in later stay as they are
// (the tools start without the interpreter, so nothing expands them afterwards).
bool GetExpandedTool(const char* name, std::string& value) {
    if (!settings::GetTool(name, value)) return false;
    ExpandEnvironment(value);  // on failure the setting is used unexpanded
    return true;
}

void StartTool(const std::string& command) {
    // The tool runs on its own; whether it could be started is not reported.
    ::WinExec(command.c_str(), SW_SHOWNORMAL);
}

}  // namespace

bool MakeRevisionFileName(const std::string& path, const std::string& revision, std::string& name) {
    char temp[MAX_PATH] = {};
    DWORD n = ::GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH) return false;
    const std::string file = ferrow::CopyPath(path);
    name = tools::RevisionFileName(temp, ::PathFindFileNameA(file.c_str()), revision);
    return true;
}

HRESULT FetchRevision(const std::string& path, const std::string& revision, const std::string& target) {
    const std::vector<std::string> selection{ferrow::CopyPath(path)};
    return ExecuteTemplate(tools::kFetchTemplate, selection,
                           {{tools::kRevisionVariable, QuoteArgument(revision)},
                            {tools::kRevisionFileVariable, QuoteArgument(target)}});
}

bool MakeDiffCommand(const std::string& oldFile, const std::string& newFile, std::string& command) {
    std::string diff;
    if (!GetExpandedTool(settings::kToolDiff, diff)) return false;
    command = tools::BuildDiffCommand(diff, QuoteProgramArgument(oldFile), QuoteProgramArgument(newFile));
    return true;
}

bool MakeViewCommand(const std::string& file, std::string& command) {
    std::string view;
    if (!GetExpandedTool(settings::kToolView, view)) return false;
    command = tools::BuildViewCommand(view, QuoteProgramArgument(file));
    return true;
}

void CompareRevisions(const std::string& path, const char* oldRevision, const char* newRevision) {
    const std::string file = ferrow::CopyPath(path);
    std::string oldRev;
    if (oldRevision) {
        oldRev = oldRevision;
    } else {
        CCVSEntry entry;
        if (!FindEntry(file.c_str(), entry)) return;
        oldRev = entry.Revision;
        if (!oldRev.empty() && oldRev[0] == '-') oldRev.erase(0, 1);
    }
    std::string oldFile;
    if (!FetchToRevisionFile(file, oldRev, oldFile)) return;

    std::string newFile = file;
    if (newRevision && !FetchToRevisionFile(file, newRevision, newFile)) return;

    std::string command;
    if (!MakeDiffCommand(oldFile, newFile, command)) return;
    StartTool(command);
}

void ViewRevision(const std::string& path, const std::string& revision) {
    std::string view;
    if (!GetExpandedTool(settings::kToolView, view)) return;
    const std::string file = ferrow::CopyPath(path);
    std::string revisionFile;
    if (!FetchToRevisionFile(file, revision, revisionFile)) return;
    StartTool(tools::BuildViewCommand(view, QuoteProgramArgument(revisionFile)));
}

void SaveRevisionAs(const std::string& path, const std::string& revision) {
    char buffer[MAX_PATH] = {};
    const std::string file = ferrow::CopyPath(path);
    file.copy(buffer, MAX_PATH - 1);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = MAX_PATH;
    if (!::GetSaveFileNameA(&ofn)) return;
    FetchRevision(file, revision, buffer);
}

#include "exec/tools.h"

#include "common/handles.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "exec/command_line.h"
#include "exec/core/tool_templates.h"
#include "exec/process_runner.h"
#include "model/admin_files.h"
#include "resources/resource.h"
#include "settings/settings_store.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <vector>

namespace {

// Fetches a revision into its revision file.
HRESULT FetchToRevisionFile(const std::string& path, const std::string& revision, std::string& file) {
    if (!MakeRevisionFileName(path, revision, file)) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    return FetchRevision(path, revision, file);
}

// The tool setting with its %NAME% references expanded; the file names put in later stay as they are
// (the tools start without the interpreter, so nothing expands them afterwards).
bool GetExpandedTool(const char* name, std::string& value) {
    if (!settings::GetTool(name, value)) return false;
    ExpandEnvironment(value);  // on failure the setting is used unexpanded
    return true;
}

// Ferrow.exe beside this module, started on the file with the revisions as its arguments: the diff of
// a caller inside a host process (Explorer) when the viewer is Ferrow's own.
HRESULT StartBuiltInViewer(const std::string& path, const char* oldRevision, const char* newRevision) {
    std::string program = ferrow::ModulePath(ferrow::ModuleInstance());
    if (program.empty()) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    program.resize(static_cast<std::size_t>(::PathFindFileNameA(program.c_str()) - program.c_str()));
    program += "Ferrow.exe";
    std::string command = QuoteProgramArgument(program) + " /command:diff";
    if (oldRevision) command += " /rev1:" + std::string(oldRevision);
    if (newRevision) command += " /rev2:" + std::string(newRevision);
    command += " " + QuoteProgramArgument(ferrow::CopyPath(path));
    return StartTool(command);
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
    return ExecuteTemplate(nullptr, tools::kFetchTemplate, selection,
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

HRESULT FetchComparison(const std::string& path, const char* oldRevision, const char* newRevision,
                        Comparison& comparison) {
    const std::string file = ferrow::CopyPath(path);
    if (oldRevision) {
        comparison.oldRevision = oldRevision;
    } else {
        CCVSEntry entry;
        if (!FindEntry(file.c_str(), entry)) return S_FALSE;
        comparison.oldRevision = entry.Revision;
        if (!comparison.oldRevision.empty() && comparison.oldRevision[0] == '-') comparison.oldRevision.erase(0, 1);
    }
    HRESULT hr = FetchToRevisionFile(file, comparison.oldRevision, comparison.oldFile);
    if (FAILED(hr)) return hr;
    comparison.newRevision = newRevision ? newRevision : "";
    comparison.newFile = file;
    if (newRevision) {
        hr = FetchToRevisionFile(file, newRevision, comparison.newFile);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

bool UseBuiltInDiff() {
    std::string diff;
    if (!settings::GetTool(settings::kToolDiff, diff)) return true;
    if (tools::NamesBuiltInViewer(diff)) return true;
    if (diff != settings::kDefaultDiff) return false;
    const std::string program = tools::TemplateProgram(diff);
    char found[MAX_PATH] = {};
    const DWORD n = ::SearchPathA(nullptr, program.c_str(), ".exe", MAX_PATH, found, nullptr);
    return n == 0 || n >= MAX_PATH;
}

HRESULT StartTool(const std::string& command) {
    if (command.empty()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    // As WinExec did: the program is the command line's first element, searched on the PATH.
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        const DWORD error = ::GetLastError();
        return HRESULT_FROM_WIN32(error ? error : ERROR_FILE_NOT_FOUND);
    }
    ferrow::UniqueKernelHandle thread(process.hThread), started(process.hProcess);
    return S_OK;
}

HRESULT StartDiffTool(const Comparison& comparison) {
    std::string command;
    if (!MakeDiffCommand(comparison.oldFile, comparison.newFile, command)) return E_FAIL;
    return StartTool(command);
}

void ReportToolFailure(HWND owner, const std::string& command, HRESULT failure) {
    std::string text = ferrow::LoadResString(IDS_TOOL_START_FAILED) + "\r\n\r\n" + command;
    char* message = nullptr;
    if (::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, static_cast<DWORD>(failure), 0, reinterpret_cast<char*>(&message), 0, nullptr)) {
        text += "\r\n\r\n" + std::string(message);
        ::LocalFree(message);
    }
    ::MessageBoxA(owner, text.c_str(), ferrow::LoadResString(IDS_DIFF_TITLE).c_str(), MB_ICONWARNING);
}

HRESULT CompareRevisions(const std::string& path, const char* oldRevision, const char* newRevision, HWND owner) {
    if (UseBuiltInDiff()) {
        const HRESULT started = StartBuiltInViewer(path, oldRevision, newRevision);
        if (FAILED(started)) ReportToolFailure(owner, "Ferrow.exe", started);
        return started;
    }
    Comparison comparison;
    const HRESULT fetched = FetchComparison(path, oldRevision, newRevision, comparison);
    if (fetched != S_OK) return S_FALSE;
    std::string command;
    if (!MakeDiffCommand(comparison.oldFile, comparison.newFile, command)) return S_FALSE;
    const HRESULT started = StartTool(command);
    if (FAILED(started)) ReportToolFailure(owner, command, started);
    return started;
}

HRESULT ViewRevision(const std::string& path, const std::string& revision, HWND owner) {
    std::string view;
    if (!GetExpandedTool(settings::kToolView, view)) return S_FALSE;
    const std::string file = ferrow::CopyPath(path);
    std::string revisionFile;
    if (FAILED(FetchToRevisionFile(file, revision, revisionFile))) return S_FALSE;
    const std::string command = tools::BuildViewCommand(view, QuoteProgramArgument(revisionFile));
    const HRESULT started = StartTool(command);
    if (FAILED(started)) ReportToolFailure(owner, command, started);
    return started;
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

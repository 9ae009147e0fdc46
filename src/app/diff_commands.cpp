#include "app/diff_commands.h"

#include "common/module_instance.h"
#include "common/text.h"
#include "diffview/annotate_window.h"
#include "diffview/diff_window.h"
#include "diffview/patch.h"
#include "exec/command_line.h"
#include "exec/tools.h"
#include "resources/resource.h"

#include <shlwapi.h>

#include <cwchar>
#include <string>
#include <vector>

namespace app {

namespace {

void Tell(HWND owner, UINT id, const std::string& detail, UINT icon = MB_ICONWARNING) {
    std::string text = ferrow::LoadResString(id);
    if (!detail.empty()) text += "\r\n" + detail;
    ::MessageBoxA(owner, text.c_str(), ferrow::LoadResString(IDS_DIFF_TITLE).c_str(), icon);
}

// The selection, or the positional arguments made full paths (those the ANSI code page cannot spell are
// left out, as the shell's selection reader does).
std::vector<std::string> Paths(const ProgramContext& context) {
    if (!context.paths.empty()) return context.paths;
    std::vector<std::string> paths;
    for (const std::wstring& arg : context.args.positional) {
        wchar_t full[MAX_PATH] = {};
        const DWORD n = ::GetFullPathNameW(arg.c_str(), MAX_PATH, full, nullptr);
        std::string path;
        if (n > 0 && n < MAX_PATH && ferrow::WideToAnsiPath(full, path)) paths.push_back(path);
    }
    return paths;
}

// An option's value in the ANSI code page; `present` tells whether it was given at all.
std::string Option(const ProgramContext& context, const wchar_t* name, bool& present) {
    const auto found = context.args.options.find(name);
    present = found != context.args.options.end() && !found->second.empty();
    return present ? ferrow::WideToAnsi(found->second) : std::string();
}

// "/close:<ms>": the window closes by itself (the demo's pictures); 0 when absent.
unsigned CloseAfter(const ProgramContext& context) {
    const auto found = context.args.options.find(L"close");
    if (found == context.args.options.end()) return 0;
    return static_cast<unsigned>(std::wcstoul(found->second.c_str(), nullptr, 10));
}

std::string RevisionCaption(const std::string& revision) {
    return revision.empty() ? ferrow::LoadResString(IDS_DIFF_WORKING_COPY)
                            : ferrow::LoadResString(IDS_DIFF_REVISION) + " " + revision;
}

// One file: fetched, then shown in Ferrow's viewer or handed to the configured diff program.
int DiffOne(HWND owner, const std::string& path, const char* oldRevision, const char* newRevision,
            unsigned closeAfterMs) {
    Comparison comparison;
    const HRESULT fetched = FetchComparison(path, oldRevision, newRevision, comparison);
    if (fetched == S_FALSE) {
        Tell(owner, IDS_DIFF_NO_ENTRY, path);
        return 1;
    }
    if (FAILED(fetched)) {
        const std::string revisions = comparison.oldRevision + (newRevision ? std::string(", ") + newRevision : "");
        Tell(owner, IDS_DIFF_FETCH_FAILED, path + " " + revisions, MB_ICONERROR);
        return 1;
    }
    if (!UseBuiltInDiff()) {
        std::string command;
        if (!MakeDiffCommand(comparison.oldFile, comparison.newFile, command)) return 1;
        const HRESULT started = StartTool(command);
        if (FAILED(started)) ReportToolFailure(owner, command, started);
        return SUCCEEDED(started) ? 0 : 1;
    }
    diffview::DiffRequest request;
    request.oldFile = comparison.oldFile;
    request.newFile = comparison.newFile;
    request.oldCaption = RevisionCaption(comparison.oldRevision);
    request.newCaption = RevisionCaption(comparison.newRevision);
    request.title = ::PathFindFileNameA(path.c_str());
    request.path = path;
    // A diff against the base revision needs no option: the client diffs against it by itself.
    request.oldRevision = oldRevision ? comparison.oldRevision : std::string();
    request.newRevision = comparison.newRevision;
    request.closeAfterMs = closeAfterMs;
    return SUCCEEDED(diffview::ShowDiffWindow(owner, request)) ? 0 : 1;
}

int DiffEach(const ProgramContext& context, const char* oldRevision, const char* newRevision) {
    const std::vector<std::string> paths = Paths(context);
    if (paths.empty()) {
        Tell(context.invoker, IDS_DIFF_NEEDS_FILE, std::string());
        return 1;
    }
    int result = 0;
    for (const std::string& path : paths) {
        result |= DiffOne(context.invoker, path, oldRevision, newRevision, CloseAfter(context));
    }
    return result;
}

}  // namespace

int RunDiff(const ProgramContext& context) {
    bool has1 = false, has2 = false;
    const std::string rev1 = Option(context, L"rev1", has1), rev2 = Option(context, L"rev2", has2);
    return DiffEach(context, has1 ? rev1.c_str() : nullptr, has2 ? rev2.c_str() : nullptr);
}

int RunCompare(const ProgramContext& context) {
    bool has1 = false, has2 = false;
    const std::string rev1 = Option(context, L"rev1", has1), rev2 = Option(context, L"rev2", has2);
    if (!has1) {
        Tell(context.invoker, IDS_DIFF_NEEDS_REVISION, std::string());
        return 1;
    }
    return DiffEach(context, rev1.c_str(), has2 ? rev2.c_str() : nullptr);
}

int RunView(const ProgramContext& context) {
    bool has = false;
    const std::string rev = Option(context, L"rev", has);
    const std::vector<std::string> paths = Paths(context);
    if (!has || paths.empty()) {
        Tell(context.invoker, has ? IDS_DIFF_NEEDS_FILE : IDS_DIFF_NEEDS_REVISION, std::string());
        return 1;
    }
    int result = 0;
    for (const std::string& path : paths) {
        const HRESULT hr = ViewRevision(path, rev, context.invoker);
        if (hr == S_FALSE) Tell(context.invoker, IDS_DIFF_FETCH_FAILED, path + " " + rev, MB_ICONERROR);
        result |= hr == S_OK ? 0 : 1;
    }
    return result;
}

int RunAnnotate(const ProgramContext& context) {
    bool has = false;
    const std::string rev = Option(context, L"rev", has);
    const std::vector<std::string> paths = Paths(context);
    if (paths.empty()) {
        Tell(context.invoker, IDS_DIFF_NEEDS_FILE, std::string());
        return 1;
    }
    int result = 0;
    for (const std::string& path : paths) {
        result |= diffview::ShowAnnotateWindow(context.invoker, path, rev, CloseAfter(context)) == S_OK ? 0 : 1;
    }
    return result;
}

int RunPatch(const ProgramContext& context) {
    bool has1 = false, has2 = false;
    const std::string rev1 = Option(context, L"rev1", has1), rev2 = Option(context, L"rev2", has2);
    const std::vector<std::string> paths = Paths(context);
    if (paths.empty()) {
        Tell(context.invoker, IDS_DIFF_NEEDS_FILE, std::string());
        return 1;
    }
    std::string revisions;
    if (has1) revisions += "-r " + QuoteArgument(rev1);
    if (has2) revisions += " -r " + QuoteArgument(rev2);
    return diffview::SaveAsPatch(context.invoker, paths, revisions) == S_OK ? 0 : 1;
}

}  // namespace app

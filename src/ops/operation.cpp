#include "ops/operation.h"

#include "ops/message_file.h"

#include "common/core/replace_all.h"
#include "common/dialog.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "exec/output_window.h"
#include "exec/process_runner.h"
#include "exec/progress_dialog.h"
#include "ops/operation_dialogs.h"
#include "settings/settings_store.h"
#include "resources/resource.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

namespace ops {
namespace {

// The runs of one operation: each goes to the runner; its folder is remembered once.
HRESULT Execute(CRunFrame* frame, const std::string& commandTemplate, const Selection& selection,
                const TemplateValues& values, RunResult& result) {
    const CommandRunner run = [frame, &result](const std::string& directory, const std::string& line) {
        if (std::find(result.folders.begin(), result.folders.end(), directory) == result.folders.end())
            result.folders.push_back(directory);
        return RunCommandLine(frame, directory, line);
    };
    return ExecuteTemplate(commandTemplate, selection, values, run, &result.refusedName);
}

HRESULT CarryOut(CRunFrame* frame, Operation operation, const OperationArguments& arguments,
                 const Selection& selection, RunResult& result) {
    switch (operation) {
    case Operation::kUpdate:
    case Operation::kAdd:
    case Operation::kUndo:
    case Operation::kResetTag:
        return Execute(frame, FixedTemplate(operation), selection, {}, result);
    case Operation::kCommit: {
        // Through a file the message reaches the client byte for byte (double quotes and percent signs
        // included); on the command line, quoted, only when no file can be written.
        MessageFile file(arguments.message);
        if (file.Path().empty())
            return Execute(frame, FixedTemplate(operation), selection, {{kMessageVariable, QuoteArgument(arguments.message)}},
                           result);
        return Execute(frame, CommitFileTemplate(), selection, {{kMessageFileVariable, QuoteArgument(file.Path())}}, result);
    }
    case Operation::kRemove: {
        // Nothing is deleted for a command that would not run.
        const HRESULT check = CheckTemplate(FixedTemplate(operation), selection, {}, &result.refusedName);
        if (FAILED(check)) return check;
        // The local copies go to the Recycle Bin first, without questions; cvs then schedules the removal.
        // A run again (after a login) finds them gone already: only what is still there goes.
        std::string from;
        for (const std::string& path : selection) {
            if (!::PathFileExistsA(path.c_str())) continue;
            from += path;
            from += '\0';
        }
        if (from.empty()) return Execute(frame, FixedTemplate(operation), selection, {}, result);
        from += '\0';
        SHFILEOPSTRUCTA op = {};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
        if (::SHFileOperationA(&op) != 0 || op.fAnyOperationsAborted) return E_FAIL;
        return Execute(frame, FixedTemplate(operation), selection, {}, result);
    }
    case Operation::kCustom: {
        // The user's own line: its %NAME% references are meant, the names put in for "$(Names)" are not.
        std::string command = arguments.customCommand;
        ExpandEnvironment(command);  // on failure the line runs unexpanded
        return Execute(frame, command, selection, {}, result);
    }
    case Operation::kTag:
        return Execute(frame, BuildTagTemplate(arguments.move, arguments.check, arguments.branch), selection,
                       {{kTagVariable, QuoteArgument(arguments.tagName)}}, result);
    }
    return E_INVALIDARG;
}

}  // namespace

bool AskArguments(Operation operation, const Selection& selection, HWND owner, HWND centreOn,
                  OperationArguments& arguments) {
    if (selection.empty()) return false;
    switch (operation) {
    case Operation::kCommit: {
        CCommitDlg dialog;
        dialog.centreOn = centreOn;
        dialog.message = arguments.message;
        dialog.itemCount = selection.size();
        dialog.path = selection.front();
        if (dialog.DoModal(owner) != IDOK) return false;
        arguments.message = dialog.message;
        return true;
    }
    case Operation::kCustom: {
        CCustomCmdDlg dialog;
        dialog.centreOn = centreOn;
        dialog.commandLine = arguments.customCommand;
        if (dialog.DoModal(owner) != IDOK) return false;
        arguments.customCommand = dialog.commandLine;
        return true;
    }
    case Operation::kTag: {
        CTagDlg dialog;
        dialog.centreOn = centreOn;
        dialog.tagName = arguments.tagName;
        dialog.branchFlag = arguments.branch;
        dialog.checkFlag = arguments.check;
        dialog.moveFlag = arguments.move;
        dialog.itemCount = selection.size();
        dialog.path = selection.front();
        if (dialog.DoModal(owner) != IDOK) return false;
        arguments.tagName = dialog.tagName;
        arguments.branch = dialog.branchFlag;
        arguments.check = dialog.checkFlag;
        arguments.move = dialog.moveFlag;
        return true;
    }
    default:
        return true;
    }
}

RunResult RunOperation(Operation operation, const OperationArguments& arguments, const Selection& selection,
                       const RunContext& context) {
    RunResult result;
    CProgressDialog progress;
    progress.SetOutputSink(context.sink);
    if (context.window) {
        progress.AttachWindow(context.window);
    } else if (context.progress) {
        progress.Start(context.progressOwner);
    }
    result.hr = CarryOut(progress.Frame(), operation, arguments, selection, result);
    progress.Stop();
    result.out = NormalizeLineEnds(progress.GetStdOutText());
    result.err = NormalizeLineEnds(progress.GetStdErrText());
    return result;
}

void NotifyChanged(const Selection& selection, const std::vector<std::string>& folders) {
    const auto notify = [](const std::string& path, bool folder) {
        const std::wstring wide = ferrow::AnsiToWide(path);
        ::SHChangeNotify(folder ? SHCNE_UPDATEDIR : SHCNE_UPDATEITEM, SHCNF_PATHW | SHCNF_FLUSHNOWAIT, wide.c_str(),
                         nullptr);
    };
    // A removed item is no longer a folder on disk; a folder of the selection is one that ran a command.
    for (const std::string& path : selection) {
        const bool folder = ::PathIsDirectoryA(path.c_str()) != FALSE ||
                            std::find(folders.begin(), folders.end(), path) != folders.end();
        notify(path, folder);
    }
    for (const std::string& folder : folders) {
        if (std::find(selection.begin(), selection.end(), folder) == selection.end()) notify(folder, true);
    }
}

std::string OutputTitle(Operation operation, const Selection& selection) {
    if (selection.empty()) return std::string();
    // A single selected folder is the folder the command runs in; otherwise the selection's common folder.
    std::string folder = selection.front();
    if (selection.size() > 1 || !::PathIsDirectoryA(folder.c_str())) {
        if (!GetCommonDirectory(selection, folder)) folder = selection.front();
    }
    const std::string name = OperationName(ferrow::LoadResString(OperationTextId(operation)));
    const std::string title = ferrow::ReplaceAll(ferrow::LoadResString(IDS_OUTPUT_TITLE), "%1", name);
    return ferrow::ReplaceAll(title, "%2", folder);
}

HRESULT RunInWindow(Operation operation, const Selection& selection, HWND invoker, const RetryOffer& offerRetry) {
    if (selection.empty()) return E_INVALIDARG;
    OperationArguments arguments;
    if (!AskArguments(operation, selection, nullptr, invoker, arguments)) return E_ABORT;

    // A window of this process, never owned by the invoking window of another one: it may come and go
    // without the other process's input state joined to this one's.
    exec::COutputWindow window;
    const bool inWindow = window.Open(nullptr, OutputTitle(operation, selection));
    if (inWindow) {
        ferrow::CenterWindow(window.Handle(), invoker);
        ::SetForegroundWindow(window.Handle());
    }
    RunContext context;
    context.window = inWindow ? &window : nullptr;
    context.progress = !inWindow;  // without the window: the shell's progress window and the error box
    RunResult result = RunOperation(operation, arguments, selection, context);
    if (FAILED(result.hr) && result.hr != kRunCancelled && result.hr != kNameTooLong && offerRetry &&
        offerRetry(inWindow ? window.Handle() : nullptr, result)) {
        result = RunOperation(operation, arguments, selection, context);
    }
    const HRESULT hr = result.hr;

    // Nothing ran: the refusal takes the place of the client's messages.
    if (hr == kNameTooLong) {
        result.err = ferrow::LoadResString(IDS_NAME_TOO_LONG) + "\r\n" + result.refusedName + "\r\n";
        window.OnOutput(exec::OutputKind::kErr, result.err);
    }
    // Whatever ran may have changed files, a failed or cancelled run too.
    if (hr != kNameTooLong) NotifyChanged(selection, result.folders);

    using Result = exec::COutputWindow::Result;
    if (hr == kRunCancelled) {
        window.Finish(Result::kCancelled, ferrow::LoadResString(IDS_RUN_CANCELLED) + "\r\nfailed\r\n");
    } else {
        window.Finish(FAILED(hr) ? Result::kFailed : Result::kSucceeded, FAILED(hr) ? "failed\r\n" : "ok\r\n");
    }
    if (inWindow) {
        // The failure and its output are in the window; it stays until the user closes it.
        if (SUCCEEDED(hr) && result.err.empty() && settings::GetCloseOutputOnSuccess()) {
            window.Close();
        } else {
            window.WaitUntilClosed();
        }
    } else if (FAILED(hr) && hr != kRunCancelled) {
        const std::string text = ChooseErrorText(result.err, result.out, ferrow::LoadResString(IDS_ERROR_TEXT));
        ::MessageBoxA(nullptr, text.c_str(), ferrow::LoadResString(IDS_ERROR_CAPTION).c_str(),
                      MB_ICONERROR | MB_SETFOREGROUND);
    }
    return hr;
}

}  // namespace ops

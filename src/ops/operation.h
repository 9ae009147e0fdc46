// One operation from its arguments to the refresh: the dialog that asks for its arguments, the command
// lines composed on the selection and run (exec/command_line.h), the output handed to the sink and window
// the caller passes in, and the notification of what changed. Ferrow.exe runs it in its own window
// (RunInWindow); the handler where a console bar shows the output calls AskArguments and RunOperation with
// the bar as the sink. Everything runs synchronously on the caller's thread, which dispatches its messages
// while a command runs.
#pragma once

#include "exec/command_line.h"
#include "exec/output_sink.h"
#include "ops/core/operation_rules.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace exec {
class COutputWindow;
}

namespace ops {

// What the dialogs gather. A caller that runs several operations keeps it, so that a dialog opens with
// the last answers.
struct OperationArguments {
    std::string message;
    std::string customCommand = "$(CVS) update $(Names)";
    std::string tagName;
    bool branch = false;
    bool check = false;
    bool move = false;
};

// Shows the dialog of an operation that asks (Commit, Tag, Custom command), modal to `owner` (null: a
// top-level window of this process) and centred on `centreOn` (the owner when null). False when the user
// cancelled; true at once for the other operations.
bool AskArguments(Operation operation, const Selection& selection, HWND owner, HWND centreOn,
                  OperationArguments& arguments);

// Where a run's output goes and where its Cancel comes from. Neither is owned; both outlive the run.
struct RunContext {
    exec::IOutputSink* sink = nullptr;      // told every echo and piece of output (the console bar's route)
    exec::COutputWindow* window = nullptr;  // the output window: fed, and its Cancel ends the running tree
    bool progress = false;                  // without a window: the shell's progress window (its Cancel)...
    HWND progressOwner = nullptr;           // ...owned by this window
};

struct RunResult {
    HRESULT hr = S_OK;                 // S_OK, kRunCancelled, kNameTooLong (nothing ran), or a failure
    std::string out;                   // the captured streams, CR LF line ends
    std::string err;
    std::string refusedName;           // with kNameTooLong: the name that does not fit a command line
    std::vector<std::string> folders;  // the folders the commands ran in, each once, in order
};

// Runs the operation's command lines on the selection: the templates, quoting, runs of at most 8191
// characters, the stop at the first failure and the refusal of a name that does not fit are
// ExecuteTemplate's; Remove first moves the local copies to the Recycle Bin (nothing when its command
// would be refused); Commit hands the message over in a temporary file. The output goes live to the
// context's window and sink.
RunResult RunOperation(Operation operation, const OperationArguments& arguments, const Selection& selection,
                       const RunContext& context);

// Tells the shell that the selected items and the folders the commands ran in may have changed
// (SHChangeNotify: SHCNE_UPDATEITEM for files, SHCNE_UPDATEDIR for folders; no wait for the listeners).
void NotifyChanged(const Selection& selection, const std::vector<std::string>& folders);

// The output window's title: the operation and the folder it works in.
std::string OutputTitle(Operation operation, const Selection& selection);

// Asked once when the client failed (not for a cancel or a refused name), before the window shows the
// result: true when the user did what the failure asked for (a login), so that the same command lines run
// again, their output after the first run's. `owner` is the output window (null without one).
using RetryOffer = std::function<bool(HWND owner, const RunResult& failed)>;

// The whole operation as Ferrow.exe runs it: the dialog, then the output window (a top-level window of
// this process centred on `invoker`, which may be another process's, brought to the front), the run (again
// once when `offerRetry` says so), its result line, the notification, and the wait until the user closes
// the window (closed at once after a clean success when the setting says so). S_OK; E_ABORT when the
// dialog was cancelled; kRunCancelled; otherwise the failure.
HRESULT RunInWindow(Operation operation, const Selection& selection, HWND invoker,
                    const RetryOffer& offerRetry = RetryOffer());

}  // namespace ops

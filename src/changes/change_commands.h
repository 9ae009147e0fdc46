// Running the client for the windows of this folder: steps of templates over full paths in the
// operation's own output window, or one command whose output is captured. Everything runs on the
// caller's thread, which answers its messages meanwhile (exec/process_runner.h).
#pragma once

#include "exec/command_line.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace changes {

struct CommandStep {
    std::string commandTemplate;      // "$(CVS) ... $(Names)"
    std::vector<std::string> paths;   // full paths; a step without paths is skipped
    TemplateValues values;            // already quoted
};

// Asked once when a run failed (not for a cancel or a refused name): `folder` is the folder it failed in,
// `err` the client's messages so far, `owner` the window to show a question over. True when the user did
// what the failure asked for (a login): the runs that had not succeeded then run again.
using RetryOffer = std::function<bool(HWND owner, const std::string& folder, const std::string& err)>;

// Runs the steps in order in an output window owned by `owner`, titled with the operation (string id)
// and `folder`; the first failure stops the rest (and, when `offerRetry` says so, the steps go on from the
// run that failed, their output after the first round's). `after`, when given, writes a line into the
// window after the runs (a state to show). The window stays until the user closes it unless everything
// went well and the setting closes it. S_OK, kRunCancelled, or E_FAIL (a box tells why when no window
// could be opened).
HRESULT RunSteps(HWND owner, unsigned operationId, const std::string& folder, const std::vector<CommandStep>& steps,
                 const RetryOffer& offerRetry, const std::function<std::string()>& after = {});

// Runs one template over the paths with both streams captured (no window; the wait cursor shows).
// `directory` receives the folder it ran in (the paths in the client's output are relative to it).
// `owner`'s offer as in RunSteps: the command runs once more, from the start, when it says so.
HRESULT CaptureCommand(HWND owner, const std::string& commandTemplate, const std::vector<std::string>& paths,
                       const RetryOffer& offerRetry, std::string& directory, std::string& out, std::string& err);

}  // namespace changes

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

// Runs the steps in order in an output window owned by `owner`, titled with the operation (string id)
// and `folder`; the first failure stops the rest. `after`, when given, writes a line into the window
// after the runs (a state to show). The window stays until the user closes it unless everything went
// well and the setting closes it. S_OK, kRunCancelled, or E_FAIL (a box tells why when no window could
// be opened).
HRESULT RunSteps(HWND owner, unsigned operationId, const std::string& folder, const std::vector<CommandStep>& steps,
                 const std::function<std::string()>& after = {});

// Runs one template over the paths with both streams captured (no window; the wait cursor shows).
// `directory` receives the folder it ran in (the paths in the client's output are relative to it).
HRESULT CaptureCommand(const std::string& commandTemplate, const std::vector<std::string>& paths,
                       std::string& directory, std::string& out, std::string& err);

}  // namespace changes

// Running the client for Checkout, Import and the check of a new login: the arguments quoted for the
// command interpreter after "$(CVS)", run in a folder on the calling thread, live in the output window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace repo {

struct ClientResult {
    HRESULT hr = E_FAIL;  // S_OK, E_FAIL (the client failed), kRunCancelled, or why it could not start
    std::string out;      // what it wrote, line ends CR LF
    std::string err;
};

// The command line that runs the client with these arguments (each quoted as the interpreter needs).
std::string ClientLine(const std::vector<std::string>& arguments);

// Runs the client in `directory` with its output live in a window of its own owned by `owner`, titled
// with `name` and the folder, and waits until the user closes it (or closes it at once after a success
// without errors when the setting says so). Without a window (it cannot be made), a failure's message
// goes to a message box.
ClientResult RunClientInWindow(HWND owner, const std::string& name, const std::string& directory,
                               const std::vector<std::string>& arguments);

// Runs the client in `directory` with no window; its output is captured.
ClientResult RunClientQuietly(const std::string& directory, const std::vector<std::string>& arguments);

// Tells Explorer that the folder's contents changed, so that new files show with their marks.
void RefreshFolder(const std::string& folder);

}  // namespace repo

#include "exec/process_runner.h"

#include "common/handles.h"
#include "console/console_output.h"
#include "exec/command_line.h"
#include "exec/run_lock.h"
#include "settings/settings_store.h"

#include <vector>

namespace {

constexpr char kCvsVariable[] = "$(CVS)";

// Puts the earlier cursor back when the run ends, on every path.
class WaitCursor {
public:
    WaitCursor() : previous_(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

bool GetComspec(std::string& value) {
    DWORD size = ::GetEnvironmentVariableA("COMSPEC", nullptr, 0);
    if (size == 0) return false;
    std::vector<char> buffer(size + 1);
    DWORD got = ::GetEnvironmentVariableA("COMSPEC", buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got == 0 || got >= buffer.size()) return false;
    value.assign(buffer.data(), got);
    return true;
}

}  // namespace

HRESULT LastErrorResult() {
    DWORD error = ::GetLastError();
    if (static_cast<LONG>(error) > 0) return static_cast<HRESULT>(0x80070000u | (error & 0xFFFFu));
    return static_cast<HRESULT>(error);
}

HRESULT ExpandEnvironment(std::string& text) {
    DWORD needed = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (needed == 0) return LastErrorResult();
    std::vector<char> buffer(needed + 1);
    DWORD got = ::ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got == 0) return LastErrorResult();
    if (got > buffer.size()) return E_FAIL;  // the environment changed between the two calls
    text.assign(buffer.data());
    return S_OK;
}

HRESULT RunInDirectory(const std::string& directory, const std::string& command) {
    // Only the client setting is expanded: the rest of the line holds names, messages and tag names, which
    // reach the client as they are (quoted so that the interpreter expands nothing either).
    std::string client = settings::GetCvsCommand();
    ExpandEnvironment(client);  // on failure the setting is used unexpanded
    const std::string line = ReplaceVariable(command, kCvsVariable, client);

    console::Append(">" + line + "\r\n");

    std::string comspec;
    if (!GetComspec(comspec)) return E_FAIL;

    const std::string commandLine = comspec + " /S /C " + line;
    WaitCursor cursor;
    return RunProcess(comspec, commandLine, directory);
}

HRESULT RunProcess(const std::string& application, const std::string& commandLine, const std::string& directory) {
    // The standard handles are taken and inherited under the process-wide lock, so a capture being set up
    // or torn down on another thread never leaks into this child.
    exec_lock::Scoped lock;

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = nullptr;
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);

    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');

    // Default security and a process handle that later children do not inherit: nobody else gets access
    // to the interpreter, and no child holds a handle to its sibling.
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(application.c_str(), buffer.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        return LastErrorResult();
    }
    ferrow::UniqueKernelHandle process(info.hProcess);
    ferrow::UniqueKernelHandle thread(info.hThread);
    thread.Reset();

    if (::WaitForSingleObject(process.Get(), INFINITE) != WAIT_OBJECT_0) return LastErrorResult();
    DWORD exitCode = 1;
    if (!::GetExitCodeProcess(process.Get(), &exitCode)) return LastErrorResult();
    return exitCode == 0 ? S_OK : E_FAIL;
}

// Running one command line through the command interpreter named by COMSPEC, hidden, in a given folder,
// and mapping its exit code to a result. A run blocks the calling thread until the command ends, but the
// thread keeps answering messages meanwhile (exec/message_wait.h).
//
// Each child gets, and inherits, only its own three standard handles: the write ends its run's frame names
// (captures, exec/capture_output.h) for standard output and error, the null device for standard input and
// for a stream without one. Every child runs in a job object of its own, so that a cancelled run ends
// the whole tree of processes the command started.
#pragma once

#include <windows.h>

#include <string>

// The result of a run that its frame cancelled: HRESULT_FROM_WIN32(ERROR_CANCELLED).
constexpr HRESULT kRunCancelled = static_cast<HRESULT>(0x800704C7);

// The failure code of the last error: HRESULT_FROM_WIN32 of a positive GetLastError(), otherwise the value
// as it is.
HRESULT LastErrorResult();

// What the runs of one operation belong to (CProgressDialog is one): it hears their command lines, is
// asked whether to cancel, and names where the children's output goes. Passed to every run in its
// signature; used only on the thread that runs, and outlives the runs.
class CRunFrame {
public:
    // The command line about to run, after the client was put in and environment references expanded;
    // also when it then cannot start.
    virtual void OnCommandLine(const std::string& line) = 0;
    // Asked before a start and repeatedly while a command runs; true ends the run's process tree and the
    // run gives kRunCancelled.
    virtual bool CancelRequested() = 0;
    // The write end that a child's STD_OUTPUT_HANDLE or STD_ERROR_HANDLE gets (not inheritable: the
    // runner makes the child's copy), or null for the null device.
    virtual HANDLE OutputEnd(DWORD stream) {
        (void)stream;
        return nullptr;
    }

protected:
    CRunFrame() = default;
    ~CRunFrame() = default;
};

// What "$(CVS)" stands for: the configured client command ("cvs" by default), its %NAME% references
// expanded (on failure as it is stored).
std::string ClientCommand();

// The command interpreter named by COMSPEC; false when the variable is not set.
bool GetInterpreter(std::string& path);

// Tells the frame (when there is one) the line, and runs it in `directory` under the wait cursor as the interpreter's
// command line (InterpreterCommandLine: "%COMSPEC% /S /C <line>", a line that begins with a double quote
// in one more pair). Nothing in the line is replaced or expanded. S_OK for exit code 0; E_FAIL for any
// other exit code or a missing COMSPEC (after the frame was told); the failure code of the last error
// when the interpreter cannot be started; kRunCancelled.
HRESULT RunCommandLine(CRunFrame* frame, const std::string& directory, const std::string& line);

// RunCommandLine of the command with ClientCommand() in place of every "$(CVS)" (nothing else is
// replaced or expanded).
HRESULT RunInDirectory(CRunFrame* frame, const std::string& directory, const std::string& command);

// Starts `application` with `commandLine` in `directory`, hidden, with the handles described above, and
// waits for it, answering messages: under a frame every message (its operation refuses re-entry), without
// a time limit; without a frame only sent ones, for at most two minutes, after which the tree is ended.
// S_OK for exit code 0, E_FAIL for any other, the failure code of the last error when it cannot be started,
// kRunCancelled when the frame cancelled it, a WM_QUIT arrived (posted again) or the time ran out.
//
// The child gets a console without a window (shared by every console program it starts, so none shows a
// window) and the process's environment with ssh's prompts routed to "Ferrow.exe" beside this module:
// SSH_ASKPASS names it, SSH_ASKPASS_REQUIRE=force, FERROW_ASKPASS=1 (the program's cue that its one
// argument is a prompt), DISPLAY when unset.
HRESULT RunProcess(CRunFrame* frame, const std::string& application, const std::string& commandLine,
                   const std::string& directory);

// Replaces %NAME% references of environment variables in place. On failure the text is unchanged and the
// failure code of the last error is returned.
HRESULT ExpandEnvironment(std::string& text);

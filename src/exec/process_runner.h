// Running one command line through the command interpreter named by COMSPEC, hidden, in a given folder,
// and mapping its exit code to a result. Runs block the calling thread until the command ends.
#pragma once

#include <windows.h>

#include <string>

// The failure code of the last error: HRESULT_FROM_WIN32 of a positive GetLastError(), otherwise the value
// as it is.
HRESULT LastErrorResult();

// Puts the configured client, its %NAME% references expanded, in place of "$(CVS)" (nothing else in the
// line is expanded), echoes ">" and the command to the console, and runs "%COMSPEC% /S /C <command>" in
// `directory` under the wait cursor.
// S_OK for exit code 0; E_FAIL for any other exit code or a missing COMSPEC (after the echo);
// the failure code of the last error when the interpreter cannot be started.
HRESULT RunInDirectory(const std::string& directory, const std::string& command);

// Starts `application` with `commandLine` in `directory`, hidden, with the process's current standard
// output and standard error and no standard input, and waits for it without a time limit. The child gets
// default security and a handle that later children do not inherit. S_OK for exit code 0, E_FAIL for any
// other, the failure code of the last error when it cannot be started.
HRESULT RunProcess(const std::string& application, const std::string& commandLine, const std::string& directory);

// Replaces %NAME% references of environment variables in place. On failure the text is unchanged and the
// failure code of the last error is returned.
HRESULT ExpandEnvironment(std::string& text);

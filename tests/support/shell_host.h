// The shell host (ferrowsh.exe beside the DLL under test) run as a user's script runs it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testing_support {

struct ShellHostRun {
    DWORD exitCode = 0xFFFFFFFF;  // also when it could not start
    std::string out;              // standard output (and standard error, unless kept apart)
    std::string err;              // standard error, where kept apart
};

// Runs "ferrowsh --dll <the DLL under test> <arguments>" with this process's environment, its output into a
// file (so it never blocks on a full pipe). `whileRunning` is called every 50 ms until it ends; after
// `timeoutMs` it is ended.
ShellHostRun RunShellHost(const std::string& arguments, const std::function<void()>& whileRunning = nullptr,
                          DWORD timeoutMs = 60000);

// Runs "ferrowsh <arguments>" as given (through COM unless they name --dll), standard error kept apart.
ShellHostRun RunShellHostApart(const std::string& arguments, DWORD timeoutMs = 60000);

}  // namespace testing_support

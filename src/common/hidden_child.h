// Starting a helper program without a window: standard input from the null device, standard output and
// error to one handle of the caller's, and nothing else of this process inherited where the platform takes
// a list of handles (Windows Vista and later). For the program's own short runs (the menu package's
// PowerShell, the installer action's Ferrow.exe); the client's runs have their own runner.
#pragma once

#include <windows.h>

#include <string>

namespace ferrow {

// Starts `program` with `commandLine` (its first word included). `output` is made inheritable and stays
// open, the caller's; without one (null or invalid) the output goes to the null device. On success `info` holds the process and thread handles, which the caller
// closes; false with the system's error otherwise.
bool StartHiddenChild(const std::wstring& program, std::wstring commandLine, HANDLE output, PROCESS_INFORMATION& info);

}  // namespace ferrow

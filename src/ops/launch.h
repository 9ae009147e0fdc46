// Starting Ferrow.exe, the program beside this module that runs every operation, from a shell handler:
// the handler writes the selection to a file, starts the program with the command's verb and the invoking
// window, and returns at once. Nothing here waits for the program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ops {

// The program's full path: "Ferrow.exe" in the folder of the module that holds this code (the DLL; in
// the Windows tests, the test program, built beside it). Empty when the module's path cannot be had.
std::wstring ProgramPath();

// Starts `program` (ProgramPath() when empty) as
//   "<program>" /command:<verb> /pathfile:"<file>" /deletepathfile /hwnd:<invoker> <extra>
// with `paths` in a path file (ops/path_file.h), and lets it take the foreground that the invoking window
// has. `extra` is appended as it stands (already quoted). The program removes the path file; when it cannot
// be started, the file is removed here. The process's handle goes to `process` when asked for (tests wait
// on it), otherwise it is closed.
HRESULT StartProgram(const std::string& verb, const std::vector<std::string>& paths, HWND invoker,
                     const std::wstring& extra = std::wstring(), HANDLE* process = nullptr,
                     const std::wstring& program = std::wstring());

}  // namespace ops

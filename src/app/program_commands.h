// The commands of Ferrow.exe: each "/command:" name runs one function with the program's context. A new
// command is a function in a file of this folder and one row in the table (program_commands.cpp).
#pragma once

#include "app/core/program_args.h"

#include <windows.h>

#include <string>
#include <vector>

namespace app {

// What a command is started with. Lives for the command's run, on the program's main thread.
struct ProgramContext {
    const ProgramArgs& args;
    std::vector<std::string> paths;  // the selection from /pathfile (ANSI full paths), possibly empty
    HWND invoker = nullptr;          // the window that invoked the command (another process's), or null
};

// Runs the command; the result is the program's exit code (0: success, 1: failure or cancel).
using ProgramCommand = int (*)(const ProgramContext& context);

struct ProgramCommandEntry {
    const wchar_t* name;  // the /command: value, lower case
    ProgramCommand run;
};

// The commands of the files of this folder.
int RunOperationCommand(const ProgramContext& context);  // update, commit, add, remove, custom, undo, tag, resettag

// The row for `name` (lower case), or null.
const ProgramCommandEntry* FindProgramCommand(const std::wstring& name);

}  // namespace app

// The program's commands of the diff viewer and annotate (rows in program_commands.cpp). Each takes the
// selection from /pathfile, or the paths given as positional arguments (a user's own command line).
#pragma once

#include "app/program_commands.h"

namespace app {

int RunDiff(const ProgramContext& context);      // each file against its base revision, or /rev1:R [/rev2:R]
int RunView(const ProgramContext& context);      // /rev:R in the configured viewer
int RunCompare(const ProgramContext& context);   // /rev1:R against /rev2:R (or the working file)
int RunAnnotate(const ProgramContext& context);  // [/rev:R]
int RunPatch(const ProgramContext& context);     // "Save as patch" of the selection [/rev1:R [/rev2:R]]

}  // namespace app

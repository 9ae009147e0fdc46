// Ferrow.exe's commands of the changes list: "checkmods" (Check for modifications), "updateto" (Update
// to...), and the commit dialog with the changes list (RunCommitChanges; the "commit" command's function
// once it is wired to it).
#pragma once

#include "app/program_commands.h"

namespace app {

int RunCheckMods(const ProgramContext& context);
int RunUpdateTo(const ProgramContext& context);
int RunCommitChanges(const ProgramContext& context);

}  // namespace app

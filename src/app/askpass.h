// ssh's prompts in a dialog: the program that SSH_ASKPASS names (exec/process_runner.h sets it for every
// command). ssh starts it with the prompt as its one argument and reads the answer from its standard
// output; a non-zero exit code is a refusal, which makes ssh fail.
#pragma once

#include "app/program_commands.h"

namespace app {

// "/command:askpass <prompt>", or, with FERROW_ASKPASS=1 in the environment, the prompt alone (how ssh
// starts it). Shows the prompt, a hidden answer, OK and Cancel; OK writes the answer (UTF-8) and a line
// feed to standard output and gives 0, Cancel or a closed window gives 1 and writes nothing.
int RunAskpass(const ProgramContext& context);

// True when the program was started as ssh starts SSH_ASKPASS (FERROW_ASKPASS=1) or with "/askpass", and
// no /command.
bool StartedAsAskpass(const ProgramArgs& args);

}  // namespace app

// The operations of the menu as commands of Ferrow.exe: "/command:<verb>" with the selection from the path
// file; the whole operation is ops::RunInWindow's.
#include "app/program_commands.h"

#include "common/text.h"
#include "ops/operation.h"

namespace app {

int RunOperationCommand(const ProgramContext& context) {
    ops::Operation operation = ops::Operation::kUpdate;
    if (!ops::FindOperation(ferrow::WideToAnsi(context.args.command), operation)) return 1;
    return SUCCEEDED(ops::RunInWindow(operation, context.paths, context.invoker)) ? 0 : 1;
}

}  // namespace app

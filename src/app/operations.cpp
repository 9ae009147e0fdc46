// The operations of the menu as commands of Ferrow.exe: "/command:<verb>" with the selection from the path
// file; the whole operation is ops::RunInWindow's. A run that fails because the server wants a login
// offers the login for the root of the folder it failed in, and runs again after it.
#include "app/program_commands.h"

#include "app/repo_commands.h"
#include "common/text.h"
#include "ops/operation.h"

namespace app {

int RunOperationCommand(const ProgramContext& context) {
    ops::Operation operation = ops::Operation::kUpdate;
    if (!ops::FindOperation(ferrow::WideToAnsi(context.args.command), operation)) return 1;
    const ops::RetryOffer offerLogin = [](HWND owner, const ops::RunResult& failed) {
        // The commands stop at the first failure: the last folder is the one that failed.
        return !failed.folders.empty() && OfferLoginAfterFailure(owner, failed.folders.back(), failed.err);
    };
    return SUCCEEDED(ops::RunInWindow(operation, context.paths, context.invoker, offerLogin)) ? 0 : 1;
}

}  // namespace app

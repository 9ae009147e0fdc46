#include "app/changes_commands.h"

#include "app/repo_commands.h"
#include "changes/check_window.h"
#include "changes/commit_dialog.h"
#include "changes/update_to_dialog.h"

namespace app {

namespace {

int ExitCode(HRESULT hr) { return SUCCEEDED(hr) ? 0 : 1; }

}  // namespace

int RunCheckMods(const ProgramContext& context) {
    if (context.paths.empty()) return 1;
    return ExitCode(changes::ShowCheckForModifications(context.paths, context.invoker, OfferLoginAfterFailure));
}

int RunUpdateTo(const ProgramContext& context) {
    if (context.paths.empty()) return 1;
    return ExitCode(changes::UpdateSelectionTo(context.paths, context.invoker, OfferLoginAfterFailure));
}

int RunCommitChanges(const ProgramContext& context) {
    if (context.paths.empty()) return 1;
    return ExitCode(changes::CommitSelection(context.paths, context.invoker, OfferLoginAfterFailure));
}

}  // namespace app

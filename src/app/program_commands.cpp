#include "app/program_commands.h"

#include "app/repo_commands.h"
#include "app/menu_package.h"
#include "app/askpass.h"
#include "app/diff_commands.h"
#include "app/changes_commands.h"

#include "common/module_instance.h"
#include "resources/resource.h"

namespace app {

namespace {

// Shows the program's name and version: what a user who starts Ferrow.exe without a command sees.
int RunAbout(const ProgramContext& context) {
    ::MessageBoxA(context.invoker, ferrow::LoadResString(IDS_PROGRAM_ABOUT).c_str(),
                  ferrow::LoadResString(IDS_PROJNAME).c_str(), MB_ICONINFORMATION);
    return 0;
}

const ProgramCommandEntry kCommands[] = {
    {L"about", &RunAbout},
    {L"checkout", &RunCheckout},
    {L"import", &RunImport},
    {L"login", &RunLogin},
    {L"logout", &RunLogout},
    {L"register-menu", &RunRegisterMenu},
    {L"unregister-menu", &RunUnregisterMenu},
    {L"update", &RunOperationCommand},
    {L"commit", &RunCommitChanges},
    {L"add", &RunOperationCommand},
    {L"remove", &RunOperationCommand},
    {L"custom", &RunOperationCommand},
    {L"undo", &RunOperationCommand},
    {L"tag", &RunOperationCommand},
    {L"resettag", &RunOperationCommand},
    {L"askpass", &RunAskpass},
    {L"diff", &RunDiff},
    {L"view", &RunView},
    {L"compare", &RunCompare},
    {L"annotate", &RunAnnotate},
    {L"patch", &RunPatch},
    {L"checkmods", &RunCheckMods},
    {L"updateto", &RunUpdateTo},
};

}  // namespace

const ProgramCommandEntry* FindProgramCommand(const std::wstring& name) {
    for (const ProgramCommandEntry& entry : kCommands) {
        if (name == entry.name) return &entry;
    }
    return nullptr;
}

}  // namespace app

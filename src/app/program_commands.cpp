#include "app/program_commands.h"

#include "app/repo_commands.h"
#include "app/menu_package.h"

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
};

}  // namespace

const ProgramCommandEntry* FindProgramCommand(const std::wstring& name) {
    for (const ProgramCommandEntry& entry : kCommands) {
        if (name == entry.name) return &entry;
    }
    return nullptr;
}

}  // namespace app

// Ferrow.exe's commands for the Windows 11 menu's package (installer/AppxManifest.xml), which Windows
// registers per user:
//   /register-menu    registers <program folder>\menu\Ferrow.msix for the user who runs it, with that
//                     folder as its external location, replacing this user's registration of any version
//                     (Active Setup runs it once per user at logon, the installer for the installing user;
//                     by hand when the entry is missing). Nothing on Windows 10 or while Windows' first-run
//                     setup is unfinished.
//   /unregister-menu  removes this user's registration; with /allusers (as administrator, the uninstaller)
//                     every user's, and resets the menu folder's permissions.
// Both go through Windows PowerShell (the package manager has no other interface a program of this build
// can call). /quiet shows no message on failure; either way the failure goes to standard error and the
// exit code is 1.
#pragma once

#include "app/program_commands.h"

namespace app {

int RunRegisterMenu(const ProgramContext& context);
int RunUnregisterMenu(const ProgramContext& context);

}  // namespace app

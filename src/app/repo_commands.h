// The program's repository commands: checkout, import (in the selected folder, outside a working copy),
// login and logout (of the working copy's :pserver: root, or of "/root:"; "/quiet" leaves out the box that
// says a logout was done).
#pragma once

#include "app/program_commands.h"

#include <string>

namespace app {

int RunCheckout(const ProgramContext& context);
int RunImport(const ProgramContext& context);
int RunLogin(const ProgramContext& context);
int RunLogout(const ProgramContext& context);

// For a command whose output asks to log in first: offers the login dialog for `root` at once; true when
// the user logged in (the caller then runs the command again).
bool OfferLogin(HWND owner, const std::string& root);

// For a command of a working copy that failed in `folder` with the client's messages `err`: when they ask
// to log in to the folder's root, offers the login (OfferLogin); true when the user logged in.
bool OfferLoginAfterFailure(HWND owner, const std::string& folder, const std::string& err);

}  // namespace app

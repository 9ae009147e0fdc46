// Whether a failed command asks for a login, and for which root. Platform-free: the callers hand over the
// client's error output and the CVS/Root of the folder the failing command ran in.
#pragma once

#include <string>

namespace repo {

// The client's output says that the :pserver: server wants a (valid) stored password: "use \"cvs login\" to
// log in first" (older clients), "used empty password; try \"cvs login\"" (no line for the root in the
// password file), or the server's "authorization failed: server ... rejected access" (a wrong one).
bool AsksForLogin(const std::string& output);

// The root to offer a login for after a command failed with `err` in a folder whose CVS/Root reads
// `folderRoot`: that root when the output asks for a login and the root is a valid :pserver: root (a login
// means nothing to other methods); empty otherwise.
std::string LoginRootFor(const std::string& err, const std::string& folderRoot);

}  // namespace repo

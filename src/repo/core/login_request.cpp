#include "repo/core/login_request.h"

#include "repo/core/cvs_root.h"

namespace repo {

bool AsksForLogin(const std::string& output) {
    const bool refused = output.find("authorization failed: server ") != std::string::npos &&
                         output.find(" rejected access") != std::string::npos;
    return refused || output.find("login\" to log in first") != std::string::npos ||
           output.find("used empty password") != std::string::npos;
}

std::string LoginRootFor(const std::string& err, const std::string& folderRoot) {
    if (!AsksForLogin(err)) return std::string();
    CvsRoot parsed;
    if (ParseRoot(folderRoot, parsed) != RootError::kNone || parsed.method != RootMethod::kPserver)
        return std::string();
    return folderRoot;
}

}  // namespace repo

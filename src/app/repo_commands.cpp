#include "app/repo_commands.h"

#include "common/core/replace_all.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "model/admin_files.h"
#include "repo/client_run.h"
#include "repo/core/cvs_root.h"
#include "repo/core/login_request.h"
#include "repo/password_store.h"
#include "repo/repo_dialogs.h"
#include "resources/resource.h"

#include <shlwapi.h>

namespace app {

namespace {

// The folder a command works in: the selected folder, or the selected file's folder.
bool SelectedFolder(const ProgramContext& context, std::string& folder) {
    if (context.paths.empty()) return false;
    folder = ferrow::CopyPath(context.paths.front());
    if (::PathIsDirectoryA(folder.c_str())) return true;
    char parent[MAX_PATH];
    ::lstrcpynA(parent, folder.c_str(), MAX_PATH);
    if (!::PathRemoveFileSpecA(parent)) return false;
    folder = parent;
    return ::PathIsDirectoryA(folder.c_str()) != FALSE;
}

std::string Caption() { return ferrow::LoadResString(IDS_REPO_CAPTION); }

// The root a login or logout is for: "/root:", else the working copy's CVS/Root.
bool RootOf(const ProgramContext& context, std::string& root) {
    const auto given = context.args.options.find(L"root");
    if (given != context.args.options.end() && !given->second.empty()) {
        root = ferrow::WideToAnsi(given->second);
        return true;
    }
    std::string folder;
    return SelectedFolder(context, folder) && ReadRoot(folder.c_str(), root) && !root.empty();
}

// The last part of a module path ("a/b" gives "b").
std::string LastPart(const std::string& module) {
    const size_t slash = module.find_last_of("/\\");
    return slash == std::string::npos ? module : module.substr(slash + 1);
}

// Runs the checkout the dialog confirmed; a refusal that asks for a login offers it and runs again.
int CarryOutCheckout(HWND owner, const std::string& folder, repo::CheckoutRequest request) {
    for (;;) {
        const repo::Checked checked = repo::CheckCheckout(request);
        if (checked.error != repo::RequestError::kNone) {
            ::MessageBoxA(owner, repo::RequestErrorText(checked).c_str(), Caption().c_str(), MB_ICONWARNING);
            return 1;
        }
        const repo::ClientResult result = repo::RunClientInWindow(
            owner, ferrow::LoadResString(IDS_CHECKOUT_NAME), folder, checked.arguments);
        repo::RefreshFolder(folder);
        if (SUCCEEDED(result.hr)) return 0;
        if (!repo::AsksForLogin(result.err) || !OfferLogin(owner, request.root)) return 1;
    }
}

}  // namespace

bool OfferLogin(HWND owner, const std::string& root) {
    if (::MessageBoxA(owner, ferrow::LoadResString(IDS_LOGIN_NEEDED).c_str(), Caption().c_str(),
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    std::string named = root;
    return repo::LogIn(owner, named);
}

bool OfferLoginAfterFailure(HWND owner, const std::string& folder, const std::string& err) {
    std::string root;
    if (folder.empty() || !ReadRoot(folder.c_str(), root)) return false;
    const std::string login = repo::LoginRootFor(err, root);
    return !login.empty() && OfferLogin(owner, login);
}

int RunCheckout(const ProgramContext& context) {
    std::string folder;
    if (!SelectedFolder(context, folder)) return 1;
    repo::CCheckoutDlg dialog;
    dialog.folder = folder;
    if (dialog.DoModal(context.invoker) != IDOK) return 1;
    return CarryOutCheckout(context.invoker, folder, dialog.request);
}

int RunImport(const ProgramContext& context) {
    std::string folder;
    if (!SelectedFolder(context, folder)) return 1;
    repo::CImportDlg dialog;
    dialog.request.module = ::PathFindFileNameA(folder.c_str());
    dialog.request.vendorTag = "vendor";
    dialog.request.releaseTag = "start";
    dialog.request.binaryPatterns = repo::DefaultBinaryPatterns();
    for (;;) {
        if (dialog.DoModal(context.invoker) != IDOK) return 1;
        const repo::ClientResult result = repo::RunClientInWindow(
            context.invoker, ferrow::LoadResString(IDS_IMPORT_NAME), folder, dialog.checked.arguments);
        if (SUCCEEDED(result.hr)) break;
        if (!repo::AsksForLogin(result.err) || !OfferLogin(context.invoker, dialog.request.root)) return 1;
        // Logged in: the import runs again with what the dialog holds (shown once more to confirm).
    }
    // The folder is not a working copy now: offer a checkout of the new module beside it.
    char parent[MAX_PATH];
    ::lstrcpynA(parent, folder.c_str(), MAX_PATH);
    if (!::PathRemoveFileSpecA(parent)) return 0;
    std::string name = LastPart(dialog.request.module);
    char target[MAX_PATH];
    for (int n = 2; ::PathCombineA(target, parent, name.c_str()) && ::PathFileExistsA(target) && n < 100; ++n) {
        name = LastPart(dialog.request.module) + "-" + std::to_string(n);
    }
    const std::string offer = ferrow::ReplaceAll(
        ferrow::ReplaceAll(ferrow::LoadResString(IDS_IMPORT_OFFER), "%1", dialog.request.module), "%2", target);
    if (::MessageBoxA(context.invoker, offer.c_str(), Caption().c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 0;
    repo::CheckoutRequest request;
    request.root = dialog.request.root;
    request.module = dialog.request.module;
    request.folder = name;
    return CarryOutCheckout(context.invoker, parent, request);
}

int RunLogin(const ProgramContext& context) {
    std::string root;
    if (!RootOf(context, root)) {
        ::MessageBoxA(context.invoker, ferrow::LoadResString(IDS_NO_PSERVER_ROOT).c_str(), Caption().c_str(),
                      MB_ICONWARNING);
        return 1;
    }
    return repo::LogIn(context.invoker, root) ? 0 : 1;
}

int RunLogout(const ProgramContext& context) {
    std::string text;
    repo::CvsRoot root;
    if (!RootOf(context, text) || repo::ParseRoot(text, root) != repo::RootError::kNone ||
        root.method != repo::RootMethod::kPserver || root.user.empty()) {
        ::MessageBoxA(context.invoker, ferrow::LoadResString(IDS_NO_PSERVER_ROOT).c_str(), Caption().c_str(),
                      MB_ICONWARNING);
        return 1;
    }
    bool removed = false;
    if (FAILED(repo::RemovePassword(root, removed))) {
        ::MessageBoxA(context.invoker, ferrow::LoadResString(IDS_LOGIN_WRITE_FAILED).c_str(), Caption().c_str(),
                      MB_ICONERROR);
        return 1;
    }
    const std::string done =
        ferrow::ReplaceAll(ferrow::LoadResString(removed ? IDS_LOGOUT_DONE : IDS_LOGOUT_NONE), "%1", text);
    if (!context.args.options.count(L"quiet"))
        ::MessageBoxA(context.invoker, done.c_str(), Caption().c_str(), MB_ICONINFORMATION);
    return 0;
}

}  // namespace app

// commands [--background] <paths...>: Windows 11's context menu for the selection, as the shell walks the
// command class it creates by CLSID: the root's title, flags, states (first without, then with leave to be
// slow) and icon, then each subcommand with its state, icon resource and tool tip. With --background the
// one path is a folder whose empty space was right-clicked: no items, the folder comes from the site's view.
#include "host.h"
#include "menu_host.h"

#include "com/guids.h"
#include "common/text.h"
#include "hostsupport/command_tree.h"
#include "menu/core/menu_rules.h"

#include <cstdio>

namespace ferrowsh {
namespace {

const char* StateName(HRESULT hr, EXPCMDSTATE state) {
    if (hr == E_PENDING) return "pending";
    if (FAILED(hr)) return "failed";
    if (state & ECS_HIDDEN) return "hidden";
    return (state & ECS_DISABLED) ? "disabled" : "enabled";
}

// The icon resource as ",-<id>" when the icon is one of the loaded DLL's, else the whole text.
std::string IconOf(const std::wstring& icon, const std::string& dll) {
    const std::string text = ferrow::WideToAnsi(icon);
    const size_t comma = text.rfind(',');
    if (comma != std::string::npos && ::lstrcmpiA(text.substr(0, comma).c_str(), dll.c_str()) == 0)
        return text.substr(comma);
    return text.empty() ? "-" : text;
}

}  // namespace

namespace menu_host {

ferrow::ComPtr<IExplorerCommand> MakeCommand(Host& host, const Args& paths, ferrow::ComPtr<IShellItemArray>& items) {
    std::vector<std::string> full;
    for (const std::string& argument : paths) {
        std::string path;
        if (!host.ResolvePath(argument, path)) return nullptr;
        full.push_back(path);
    }
    items = ferrow::MakeShellItemArray(full);
    if (!items) {
        PrintError("the shell makes no items of these paths");
        return nullptr;
    }
    ferrow::ComPtr<IExplorerCommand> command;
    if (FAILED(host.CreateObject(CLSID_CExplorerCommand, IID_IExplorerCommand, command.PutVoid()))) return nullptr;
    return command;
}

HRESULT InvokeSubCommand(Host& host, const Args& paths, unsigned offset, IUnknown* site) {
    ferrow::ComPtr<IShellItemArray> items;
    auto root = MakeCommand(host, paths, items);
    if (!root) return E_FAIL;
    ferrow::ComPtr<IObjectWithSite> siting;
    if (SUCCEEDED(root.As(siting))) siting->SetSite(site);
    // The subcommand is found by its title, the DLL's text of the classic item (in this thread's language):
    // the DLL whose code answers the object (COM may have loaded another copy than the host's path names,
    // a package's), else the host's.
    const menu::CommandResources* resources = menu::FindCommandResources(offset);
    HMODULE dll = nullptr;
    if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              *reinterpret_cast<LPCSTR*>(root.Get()), &dll))  // the object's first vtable
        dll = ::GetModuleHandleA(host.DllPath().c_str());
    wchar_t title[128] = {};
    if (!resources || !dll || ::LoadStringW(dll, resources->textId, title, 128) <= 0) {
        PrintError("no title for item " + std::string(ItemName(offset)));
        return E_FAIL;
    }
    auto command = ferrow::FindSubCommand(root.Get(), items.Get(), title);
    HRESULT hr = E_INVALIDARG;
    if (command) {
        hr = command->Invoke(items.Get(), nullptr);
    } else {
        PrintError(std::string("the menu of this selection has no ") + ItemName(offset));
    }
    if (siting) siting->SetSite(nullptr);
    return hr;
}

}  // namespace menu_host

int RunCommands(Host& host, const Args& args) {
    bool background = false;
    Args paths;
    for (const std::string& a : args) {
        if (a == "--background") {
            background = true;
        } else {
            paths.push_back(a);
        }
    }
    if (paths.empty() || (background && paths.size() != 1)) {
        PrintError("commands needs at least one path (--background: exactly one folder)");
        return kExitUsage;
    }
    ferrow::ComPtr<IShellItemArray> items;
    auto root = menu_host::MakeCommand(host, paths, items);
    if (!root) return kExitFailed;
    ferrow::ComPtr<IObjectWithSite> siting;
    if (background) {
        std::string folder;
        host.ResolvePath(paths[0], folder);
        if (FAILED(root.As(siting))) {
            PrintError("the command class takes no site");
            return kExitFailed;
        }
        siting->SetSite(ferrow::MakeFolderViewSite(folder, nullptr).Get());
        items.Reset();
    }
    ferrow::CommandNode node;
    const HRESULT hr = ferrow::WalkCommandTree(root.Get(), items.Get(), node);
    if (siting) siting->SetSite(nullptr);
    if (FAILED(hr)) {
        PrintError("walking the commands failed: " + HResultText(hr));
        return kExitFailed;
    }
    const std::string dll = host.DllPath();
    std::printf("%s  flags 0x%x%s  quick: %s  state: %s  icon %s\n", ferrow::WideToAnsi(node.title).c_str(),
                static_cast<unsigned>(node.flags), (node.flags & ECF_HASSUBCOMMANDS) ? " (subcommands)" : "",
                StateName(node.quickState, node.state), StateName(node.stateResult, node.state),
                IconOf(node.icon, dll).c_str());
    for (const ferrow::CommandNode& child : node.children) {
        if (child.state & ECS_HIDDEN) continue;  // a slot this selection does not show
        if (child.flags & ECF_ISSEPARATOR) {
            std::printf("     ----------\n");
            continue;
        }
        std::printf("  %-22s %-8s icon %-6s %s\n", ferrow::WideToAnsi(child.title).c_str(),
                    StateName(child.stateResult, child.state), IconOf(child.icon, dll).c_str(),
                    ferrow::WideToAnsi(child.tip).c_str());
    }
    return kExitOk;
}

}  // namespace ferrowsh

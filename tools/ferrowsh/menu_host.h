// What the menu commands of the shell host share: a context-menu handler made as Explorer makes it (the
// selection handed over as CF_HDROP), and a driver that operates the handler's dialogs for scripts.
#pragma once

#include "host.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

namespace ferrowsh {
namespace menu_host {

// Resolves the paths, creates CCVSContextMenu and initialises it; prints the error and returns null on
// failure. `initResult` receives Initialize's result (E_INVALIDARG: the shell would show no submenu).
// `background`: the one path is a folder whose empty area was clicked (handed over as Explorer does, the
// folder's item list and no data object).
ferrow::ComPtr<IContextMenu> MakeHandler(Host& host, const Args& paths, HRESULT& initResult, bool background = false);

// Offset of an item given by number (0-16) or by name ("update", "commit", ..., "checkout"); false when
// unknown.
bool ParseItem(const std::string& text, unsigned& offset);

// The English names of the offsets, as ParseItem accepts them.
const char* ItemName(unsigned offset);

// Windows 11's command class made by its CLSID, and the items for the resolved paths; prints the error and
// returns null on failure.
ferrow::ComPtr<IExplorerCommand> MakeCommand(Host& host, const Args& paths, ferrow::ComPtr<IShellItemArray>& items);

// Invokes the subcommand that stands for the classic item `offset`, with the command sited in `site`, as
// the shell invokes it (user interface allowed). E_INVALIDARG when the selection's menu has no such item.
HRESULT InvokeSubCommand(Host& host, const Args& paths, unsigned offset, IUnknown* site);

}  // namespace menu_host
}  // namespace ferrowsh

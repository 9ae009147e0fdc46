// Windows 11's context menu as the shell walks it: a selection as an IShellItemArray, a site whose folder
// view names the folder of a background menu, and the tree of an IExplorerCommand read back (titles,
// flags, states, icons, tool tips, subcommands). Used by the shell host and the tests; the DLL itself only
// receives such objects.
#pragma once

#include "common/handles.h"

#include <windows.h>
#include <shobjidl.h>

#include <string>
#include <vector>

namespace ferrow {

// The items for full paths, in order; null when one cannot be made (a missing path).
ComPtr<IShellItemArray> MakeShellItemArray(const std::vector<std::string>& paths);

// A site as Windows 11's menu in Explorer's window gives one: it has no window of its own (a site with a
// window is the classic menu's or the navigation pane's) and answers SID_SFolderView with a view of
// `folder` (none when empty) and SID_STopLevelBrowser with the window `hwnd` (none when null).
ComPtr<IUnknown> MakeFolderViewSite(const std::string& folder, HWND hwnd);

struct CommandNode {
    HRESULT quickState = E_FAIL;  // GetState with fOkToBeSlow FALSE
    HRESULT stateResult = E_FAIL; // GetState with fOkToBeSlow TRUE
    EXPCMDSTATE state = ECS_HIDDEN;
    EXPCMDFLAGS flags = ECF_DEFAULT;
    std::wstring title, icon, tip;  // empty when the command has none
    std::vector<CommandNode> children;
};

// Walks the command as the shell does: quick state, then state, then flags, title, icon, tool tip and, with
// ECF_HASSUBCOMMANDS and a visible state, the subcommands (each with the same items).
HRESULT WalkCommandTree(IExplorerCommand* command, IShellItemArray* items, CommandNode& node);

// The shown subcommands' titles in order, a separator as "-".
std::vector<std::wstring> ChildTitles(const CommandNode& node);

// The subcommand of the root (walked for `items` first, as the shell does) titled `title`; null when the
// root is hidden or has no such subcommand.
ComPtr<IExplorerCommand> FindSubCommand(IExplorerCommand* root, IShellItemArray* items, const std::wstring& title);

}  // namespace ferrow

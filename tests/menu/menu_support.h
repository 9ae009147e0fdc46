// Helpers of the context-menu tests: a CF_HDROP data object over a list of paths, a handler made and
// initialised from paths, the submenu rendered as one line, and a driver that finds a dialog or message box
// of this process from another thread and operates it.
#pragma once

#include "common/handles.h"
#include "support/window_driver.h"

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace menu_test {

using testing_support::WindowDriver;
using testing_support::MessageBoxText;
using testing_support::WindowText;

// An IDataObject offering only CF_HDROP (ANSI DROPFILES) for the given paths.
ferrow::ComPtr<IDataObject> MakeHDropDataObject(const std::vector<std::string>& paths);

// A new CCVSContextMenu, initialised with the paths; `initResult` receives Initialize's result.
ferrow::ComPtr<IContextMenu> MakeHandler(const std::vector<std::string>& paths, HRESULT* initResult = nullptr);

struct BuiltMenu {
    HRESULT result = E_FAIL;
    std::string items;         // "Update Commit - Diff ..." ("-" for a separator); empty without submenu
    std::string title;         // the submenu's text
    bool bitmapsSet = false;   // every item and the submenu carry an unchecked-state bitmap
    std::vector<std::string> texts;  // the items' menu texts, separators as "-"
};

// QueryContextMenu into a fresh popup at position 0 with idCmdFirst 100, read back.
BuiltMenu BuildMenu(IContextMenu* handler, UINT flags = 0);

// Invokes an offset with the given mask and window.
HRESULT Invoke(IContextMenu* handler, unsigned offset, DWORD mask = CMIC_MASK_FLAG_NO_UI, HWND hwnd = nullptr);

// Window helpers for the driver actions.
void SetControlText(HWND dialog, int id, const std::string& text);
void Click(HWND dialog, int id);  // a posted BN_CLICKED, processed by the dialog's thread
// Selects an entry of a drop-down list and tells the dialog, as a user's choice would.
void SelectListEntry(HWND dialog, int id, int index);
std::vector<std::string> ListEntries(HWND dialog, int id);

// A fresh CCVSContextMenu without a selection.
HRESULT CCVSContextMenuCreate(ferrow::ComPtr<IContextMenu>& out);

}  // namespace menu_test

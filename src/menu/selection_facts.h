// The facts the menu rules need about the first selected item, read afresh from the working copy.
#pragma once

#include "menu/core/menu_rules.h"

#include <windows.h>

#include <string>
#include <vector>

namespace menu {

SelectionFacts GatherSelectionFacts(const std::string& firstPath, size_t count, bool inWorkingCopy);

// A folder named "CVS" (the administrative folder of a working folder) never enters a selection.
bool IsAdminDirectory(const std::string& path);

// The submenu's entries for a selection (administrative folders already left out) and QueryContextMenu's
// flags, read afresh from the working copy; empty when no submenu is shown.
std::vector<MenuEntry> EntriesForSelection(const std::vector<std::string>& selection, unsigned flags);

}  // namespace menu

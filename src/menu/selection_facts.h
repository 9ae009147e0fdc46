// The facts the menu rules need about the first selected item, read afresh from the working copy.
#pragma once

#include "menu/core/menu_rules.h"

#include <windows.h>

#include <string>

namespace menu {

SelectionFacts GatherSelectionFacts(const std::string& firstPath, size_t count, bool inWorkingCopy);

}  // namespace menu

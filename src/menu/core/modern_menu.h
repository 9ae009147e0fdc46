// Windows 11's submenu as a fixed list of slots. Its subcommands are enumerated without the items (the
// shell passes them to each subcommand's own calls), so the list holds every entry the menu rules can
// give, in their order, and each slot decides from its call's items whether it shows: the entries of that
// selection laid over the slots. Platform-free.
#pragma once

#include "menu/core/menu_rules.h"

#include <vector>

namespace menu {

// Every entry BuildMenuEntries can give, in the order it gives them: the entries of any selection are a
// subsequence of this list.
const std::vector<MenuEntry>& ModernMenuSlots();

// For each slot, the index into `entries` of the entry it shows, or -1 when it is hidden. `entries` is laid
// over the slots in order, each on the first slot that matches; entries that do not fit (not a
// subsequence) leave every slot hidden rather than showing a menu other than the rules'.
std::vector<int> ShownSlots(const std::vector<MenuEntry>& entries);

}  // namespace menu

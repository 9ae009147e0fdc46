#include "menu/core/modern_menu.h"

namespace menu {

const std::vector<MenuEntry>& ModernMenuSlots() {
    // The steps of BuildMenuEntries, each with every entry it may add.
    static const std::vector<MenuEntry> slots = {
        {false, kCmdCheckout}, // outside a working copy
        {false, kCmdImport},   // outside a working copy
        {false, kCmdUpdate},   // a
        {false, kCmdUpdateTo}, // a
        {false, kCmdResetTag}, // b
        {false, kCmdCommit},   // c
        {false, kCmdCheckMods},  // c
        {true, 0},             // d
        {false, kCmdDiff},     // e
        {false, kCmdUndo},     // f
        {true, 0},             // g
        {false, kCmdAnnotate}, // g
        {false, kCmdRemove},   // g
        {false, kCmdAdd},      // h
        {true, 0},             // i
        {false, kCmdTag},      // j
        {false, kCmdCustom},   // k
        {true, 0},             // a :pserver: root
        {false, kCmdLogin},
        {false, kCmdLogout},
        {true, 0},             // l
        {false, kCmdOptions},  // m
    };
    return slots;
}

std::vector<int> ShownSlots(const std::vector<MenuEntry>& entries) {
    const std::vector<MenuEntry>& slots = ModernMenuSlots();
    std::vector<int> shown(slots.size(), -1);
    size_t next = 0;
    for (size_t slot = 0; slot < slots.size() && next < entries.size(); ++slot) {
        if (slots[slot] == entries[next]) shown[slot] = static_cast<int>(next++);
    }
    if (next < entries.size()) return std::vector<int>(slots.size(), -1);
    return shown;
}

}  // namespace menu

#include "menu/core/modern_menu.h"

#include <gtest/gtest.h>

namespace {

// Every combination of the facts the rules read: the slots shown for a selection, read in order, are that
// selection's entries. A rule that adds an entry or changes the order without its slot fails here.
TEST(ModernMenu, SlotsShowTheEntriesOfEverySelection) {
    const std::vector<menu::MenuEntry>& slots = menu::ModernMenuSlots();
    const char* const revisions[] = {"", "0", "1.1"};
    const char* const tagDates[] = {"", "T", "Trel", "D2026.12.01"};
    const char* const directoryTags[] = {"", "rel"};
    size_t cases = 0;
    for (unsigned bits = 0; bits < (1u << 8); ++bits) {
        for (const char* revision : revisions) {
            for (const char* tagDate : tagDates) {
                for (const char* directoryTag : directoryTags) {
                    menu::SelectionFacts f;
                    f.inWorkingCopy = bits & 1;
                    f.count = (bits & 2) ? 2 : 1;
                    f.isDirectory = bits & 4;
                    f.hasCVSDir = bits & 8;
                    f.parentHasCVSDir = bits & 16;
                    f.hasEntry = bits & 32;
                    f.controlled = bits & 64;
                    f.changed = bits & 128;
                    f.entryRevision = revision;
                    f.entryTagDate = tagDate;
                    f.directoryTag = directoryTag;
                    if (!menu::WantsSubmenu(f, 0)) continue;
                    const std::vector<menu::MenuEntry> entries = menu::BuildMenuEntries(f);
                    const std::vector<int> shown = menu::ShownSlots(entries);
                    ASSERT_EQ(slots.size(), shown.size());
                    std::vector<menu::MenuEntry> laidOut;
                    for (size_t slot = 0; slot < slots.size(); ++slot) {
                        if (shown[slot] < 0) continue;
                        EXPECT_EQ(slots[slot], entries[shown[slot]]) << "slot " << slot;
                        laidOut.push_back(entries[shown[slot]]);
                    }
                    ASSERT_EQ(entries, laidOut) << "facts " << bits << " " << revision << " " << tagDate;
                    ++cases;
                }
            }
        }
    }
    EXPECT_GT(cases, 1000u);
}

// Entries out of the rules' order show nothing rather than another menu.
TEST(ModernMenu, EntriesOutOfOrderHideEverySlot) {
    const std::vector<int> shown = menu::ShownSlots({{false, menu::kCmdOptions}, {false, menu::kCmdUpdate}});
    for (int index : shown) EXPECT_EQ(-1, index);
}

}  // namespace

#include "menu/core/menu_rules.h"

namespace menu {

namespace {

// Indexed by offset. String ids are those of the string table; bitmap ids those of the 13 x 13 images.
const CommandResources kCommands[kCommandCount] = {
    {118, 135, 204},  // &Update
    {119, 136, 205},  // &Commit...
    {120, 140, 206},  // &Diff...
    {123, 138, 202},  // &Add
    {122, 139, 203},  // &Remove
    {124, 142, 215},  // Custom C&ommand...
    {121, 137, 209},  // &Undo
    {160, 156, 213},  // &Tag...
    {159, 157, 214},  // R&eset sticky tag
    {143, 147, 212},  // &Options...
};

MenuEntry Item(unsigned offset) { return MenuEntry{false, offset}; }
MenuEntry Separator() { return MenuEntry{true, 0}; }

}  // namespace

const CommandResources* FindCommandResources(unsigned offset) {
    if (offset >= kCommandCount) return nullptr;
    return &kCommands[offset];
}

bool IsWorkingCopyDirectory(const SelectionFacts& f) { return f.isDirectory && f.hasCVSDir; }

bool IsNewlyAdded(const SelectionFacts& f) { return f.hasEntry && f.entryRevision == "0"; }

bool IsListed(const SelectionFacts& f) { return IsWorkingCopyDirectory(f) || f.hasEntry; }

bool IsSticky(const SelectionFacts& f) {
    if (!f.controlled) return false;
    if (f.isDirectory) return !f.directoryTag.empty();
    if (!f.hasEntry) return false;
    const std::string& tag = f.entryTagDate;
    // A lone "T" names no tag.
    return !(tag.empty() || (tag.size() == 1 && tag[0] == 'T'));
}

bool WantsSubmenu(const SelectionFacts& f, unsigned flags) {
    if (flags & kFlagDefaultOnly) return false;
    if (!f.inWorkingCopy && !(flags & kFlagExtendedVerbs)) return false;
    return true;
}

std::vector<MenuEntry> BuildMenuEntries(const SelectionFacts& f) {
    std::vector<MenuEntry> entries;
    const bool wcDir = IsWorkingCopyDirectory(f);
    const bool added = IsNewlyAdded(f);

    const bool stepA = wcDir || (f.hasEntry && !added);
    const bool stepE = stepA && f.count == 1 && !f.isDirectory && f.changed;
    const bool stepF = wcDir || (f.changed && !added);

    if (stepA) entries.push_back(Item(kCmdUpdate));                                   // a
    if (IsSticky(f)) entries.push_back(Item(kCmdResetTag));                           // b
    if (IsListed(f) && (f.isDirectory || f.changed)) entries.push_back(Item(kCmdCommit));  // c
    if (stepE || stepF) entries.push_back(Separator());                              // d
    if (stepE) entries.push_back(Item(kCmdDiff));                                     // e
    if (stepF) entries.push_back(Item(kCmdUndo));                                     // f
    if (!f.isDirectory && f.hasEntry) {                                               // g
        entries.push_back(Separator());
        entries.push_back(Item(kCmdRemove));
    }
    if (f.parentHasCVSDir && !IsListed(f)) entries.push_back(Item(kCmdAdd));         // h
    if (f.inWorkingCopy) entries.push_back(Separator());                             // i
    if (stepA) entries.push_back(Item(kCmdTag));                                      // j
    entries.push_back(Item(kCmdCustom));                                              // k
    entries.push_back(Separator());                                                   // l
    entries.push_back(Item(kCmdOptions));                                             // m
    return entries;
}

}  // namespace menu

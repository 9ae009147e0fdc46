#include "menu/core/menu_rules.h"

#include "resources/resource.h"

namespace menu {

namespace {

// Indexed by offset.
const CommandResources kCommands[kCommandCount] = {
    {IDS_MENU_UPDATE, IDS_HELP_UPDATE, IDB_UPDATE, IDI_MENU_UPDATE, "update"},
    {IDS_MENU_COMMIT, IDS_HELP_COMMIT, IDB_COMMIT, IDI_MENU_COMMIT, "commit"},
    {IDS_MENU_DIFF, IDS_HELP_DIFF, IDB_DIFF, IDI_MENU_DIFF, "diff"},
    {IDS_MENU_ADD, IDS_HELP_ADD, IDB_ADD, IDI_MENU_ADD, "add"},
    {IDS_MENU_REMOVE, IDS_HELP_REMOVE, IDB_REMOVE, IDI_MENU_REMOVE, "remove"},
    {IDS_MENU_CUSTOM, IDS_HELP_CUSTOM, IDB_CUSTOM, IDI_MENU_CUSTOM, "custom"},
    {IDS_MENU_UNDO, IDS_HELP_UNDO, IDB_UNDO, IDI_MENU_UNDO, "undo"},
    {IDS_MENU_TAG, IDS_HELP_TAG, IDB_TAG, IDI_MENU_TAG, "tag"},
    {IDS_MENU_RESET_TAG, IDS_HELP_RESET_TAG, IDB_RESET_TAG, IDI_MENU_RESET_TAG, "resettag"},
    {IDS_MENU_OPTIONS, IDS_HELP_OPTIONS, IDB_OPTIONS, IDI_MENU_OPTIONS, "options"},
    {IDS_MENU_CHECKOUT, IDS_HELP_CHECKOUT, IDB_CHECKOUT, IDI_MENU_CHECKOUT, "checkout"},
    {IDS_MENU_IMPORT, IDS_HELP_IMPORT, IDB_IMPORT, IDI_MENU_IMPORT, "import"},
    {IDS_MENU_LOGIN, IDS_HELP_LOGIN, IDB_LOGIN, IDI_MENU_LOGIN, "login"},
    {IDS_MENU_LOGOUT, IDS_HELP_LOGOUT, IDB_LOGOUT, IDI_MENU_LOGOUT, "logout"},
    {IDS_MENU_CHECKMODS, IDS_HELP_CHECKMODS, IDB_COMMIT, IDI_MENU_COMMIT, "checkmods"},
    {IDS_MENU_ANNOTATE, IDS_HELP_ANNOTATE, IDB_ANNOTATE, IDI_MENU_ANNOTATE, "annotate"},
    {IDS_MENU_UPDATETO, IDS_HELP_UPDATETO, IDB_UPDATE, IDI_MENU_UPDATE, "updateto"},
};

// A folder outside any working copy, where the setting offers Checkout and Import.
bool OffersCheckout(const SelectionFacts& f) { return !f.inWorkingCopy && f.isDirectory && f.outsideEntries; }

MenuEntry Item(unsigned offset) { return MenuEntry{false, offset, true}; }
MenuEntry Separator() { return MenuEntry{true, 0, true}; }

}  // namespace

const CommandResources* FindCommandResources(unsigned offset) {
    if (offset >= kCommandCount || !kCommands[offset].verb) return nullptr;
    return &kCommands[offset];
}

bool FindCommandByVerb(const std::string& verb, unsigned& offset) {
    for (unsigned i = 0; i < kCommandCount; ++i) {
        if (!kCommands[i].verb) continue;
        const std::string name = kCommands[i].verb;
        if (name.size() != verb.size()) continue;
        bool same = true;
        for (size_t c = 0; c < name.size() && same; ++c) {
            const char lower = (verb[c] >= 'A' && verb[c] <= 'Z') ? static_cast<char>(verb[c] - 'A' + 'a') : verb[c];
            same = lower == name[c];
        }
        if (same) {
            offset = i;
            return true;
        }
    }
    return false;
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
    if (!f.inWorkingCopy && !(flags & kFlagExtendedVerbs) && !OffersCheckout(f)) return false;
    return true;
}

std::vector<MenuEntry> BuildMenuEntries(const SelectionFacts& f, unsigned flags) {
    std::vector<MenuEntry> entries;
    if (OffersCheckout(f)) {
        entries.push_back(Item(kCmdCheckout));
        entries.push_back(Item(kCmdImport));
        if (flags & kFlagExtendedVerbs) entries.push_back(Item(kCmdCustom));
        entries.push_back(Separator());
        entries.push_back(Item(kCmdOptions));
        return entries;
    }
    const bool wcDir = IsWorkingCopyDirectory(f);
    const bool added = IsNewlyAdded(f);

    const bool stepA = wcDir || (f.hasEntry && !added);
    const bool stepE = stepA && f.count == 1 && !f.isDirectory && f.changed;
    const bool stepF = wcDir || (f.changed && !added);

    if (stepA) entries.push_back(Item(kCmdUpdate));                                   // a
    if (stepA) entries.push_back(Item(kCmdUpdateTo));
    if (IsSticky(f)) entries.push_back(Item(kCmdResetTag));                           // b
    if (IsListed(f) && (f.isDirectory || f.changed)) entries.push_back(Item(kCmdCommit));  // c
    if (IsListed(f)) entries.push_back(Item(kCmdCheckMods));
    if (stepE || stepF) entries.push_back(Separator());                              // d
    if (stepE) entries.push_back(Item(kCmdDiff));                                     // e
    if (stepF) entries.push_back(Item(kCmdUndo));                                     // f
    if (!f.isDirectory && f.hasEntry) {                                               // g
        entries.push_back(Separator());
        // A committed file's history line by line (a new file has none yet).
        if (f.count == 1 && !added) entries.push_back(Item(kCmdAnnotate));
        entries.push_back(Item(kCmdRemove));
    }
    if (f.parentHasCVSDir && !IsListed(f)) entries.push_back(Item(kCmdAdd));         // h
    if (f.inWorkingCopy) entries.push_back(Separator());                             // i
    if (stepA) entries.push_back(Item(kCmdTag));                                      // j
    entries.push_back(Item(kCmdCustom));                                              // k
    if (f.inWorkingCopy && f.pserverRoot) {
        entries.push_back(Separator());
        entries.push_back(Item(kCmdLogin));
        entries.push_back(Item(kCmdLogout));
    }
    entries.push_back(Separator());                                                   // l
    entries.push_back(Item(kCmdOptions));                                             // m
    return entries;
}

}  // namespace menu

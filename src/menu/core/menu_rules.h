// Which items the "CVS" submenu holds, in which order, with which texts, help texts and images, decided
// from facts about the first selected item. Platform-free: the Win32 side gathers the facts from the
// working-copy model and builds the menu from the result.
#pragma once

#include "resources/resource.h"

#include <cstddef>
#include <string>
#include <vector>

namespace menu {

// Command offsets: idCmdFirst + offset is a menu item's identifier; InvokeCommand and GetCommandString
// receive the offset.
enum CommandOffset : unsigned {
    kCmdUpdate = 0,
    kCmdCommit = 1,
    kCmdDiff = 2,
    kCmdAdd = 3,
    kCmdRemove = 4,
    kCmdCustom = 5,
    kCmdUndo = 6,
    kCmdTag = 7,
    kCmdResetTag = 8,
    kCmdOptions = 9,
    // Offsets after the first ten keep callers that invoke those by number working. From here on every
    // command runs in Ferrow.exe.
    kCmdCheckout = 10,
    kCmdImport = 11,
    kCmdLogin = 12,
    kCmdLogout = 13,
    kCmdCheckMods = 14,
    kCmdAnnotate = 15,
    kCmdUpdateTo = 16,
};
constexpr unsigned kCommandCount = 17;

// Resources of one command: string ids of its menu text and help text, the id of its 13 x 13 bitmap (the
// classic menu) and of its icon (Windows 11's menu), and its canonical verb (GetCommandString's GCS_VERB,
// Ferrow.exe's /command:), lower case ASCII.
struct CommandResources {
    unsigned textId;
    unsigned helpId;
    unsigned bitmapId;
    unsigned iconId;
    const char* verb;
};
// Null for an offset outside 0..kCommandCount-1 and for a reserved offset without a command.
const CommandResources* FindCommandResources(unsigned offset);
// The offset whose verb is `verb` (compared without case); false when there is none.
bool FindCommandByVerb(const std::string& verb, unsigned& offset);

// The submenu's own text, bitmap and icon.
constexpr unsigned kSubmenuTextId = IDS_MENU_CVS;
constexpr unsigned kSubmenuBitmapId = IDB_CVS;
constexpr unsigned kSubmenuIconId = IDI_MENU_CVS;

// QueryContextMenu flags that the rules read.
constexpr unsigned kFlagDefaultOnly = 0x1;     // CMF_DEFAULTONLY
constexpr unsigned kFlagExtendedVerbs = 0x100; // CMF_EXTENDEDVERBS: the user held Shift

// What the handler knows about the selection. Everything except the count and the in-working-copy flag
// describes the first selected path P only.
struct SelectionFacts {
    bool inWorkingCopy = false;    // Initialize: P is under version control or its folder has a CVS folder
    size_t count = 0;              // number of selected items
    bool isDirectory = false;      // P is a directory
    bool hasCVSDir = false;        // P\CVS is a directory
    bool parentHasCVSDir = false;  // the folder holding P has a CVS folder
    bool hasEntry = false;         // CVS/Entries of P's folder lists P as a file
    std::string entryRevision;     // the entry's Revision field ("0": newly added)
    std::string entryTagDate;      // the entry's TagDate field ("T<tag>", "D<date>" or empty)
    std::string directoryTag;      // for a directory: ReadTag of P (CVS/Tag, leading "T" dropped)
    bool controlled = false;       // IsControlled(P)
    bool changed = false;          // IsModified(P): an entry whose status is not OK
    bool outsideEntries = false;   // the setting: Checkout and Import on folders outside working copies
    bool pserverRoot = false;      // P's working copy names a :pserver: root (CVS/Root)
};

// The derived terms of the rules.
bool IsWorkingCopyDirectory(const SelectionFacts& f);
bool IsNewlyAdded(const SelectionFacts& f);
bool IsListed(const SelectionFacts& f);
bool IsSticky(const SelectionFacts& f);

// One entry of the submenu: a command (by offset) or a separator. Both menus show every item they are
// given as enabled or greyed by `enabled`.
struct MenuEntry {
    bool separator;
    unsigned offset;  // meaningful when !separator
    bool enabled = true;

    bool operator==(const MenuEntry& o) const {
        return separator == o.separator && (separator || offset == o.offset);
    }
};

// False when no submenu is added at all (default-only menus; outside a working copy without Shift,
// except on a folder while the setting offers Checkout and Import there).
bool WantsSubmenu(const SelectionFacts& f, unsigned flags);

// The submenu's entries in order (steps a to m; outside a working copy, a folder's Checkout and Import
// first; inside one whose root is :pserver:, Log in and Log out before Options). `flags` as for
// WantsSubmenu: outside a working copy, Custom needs Shift once Checkout and Import are there. Call only
// when WantsSubmenu holds.
std::vector<MenuEntry> BuildMenuEntries(const SelectionFacts& f, unsigned flags = kFlagExtendedVerbs);

}  // namespace menu

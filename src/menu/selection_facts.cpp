#include "menu/selection_facts.h"

#include "model/admin_files.h"
#include "model/file_status.h"
#include "settings/settings_store.h"

#include <shlwapi.h>

namespace menu {

SelectionFacts GatherSelectionFacts(const std::string& firstPath, size_t count, bool inWorkingCopy) {
    SelectionFacts f;
    const char* p = firstPath.c_str();
    f.inWorkingCopy = inWorkingCopy;
    f.count = count;
    f.isDirectory = ::PathIsDirectoryA(p) != FALSE;
    f.hasCVSDir = f.isDirectory && HasCVSDir(p);
    f.parentHasCVSDir = ParentHasCVSDir(p);
    CCVSEntry entry;
    f.hasEntry = FindEntry(p, entry);
    if (f.hasEntry) {
        f.entryRevision = entry.Revision;
        f.entryTagDate = entry.TagDate;
    }
    f.controlled = IsControlled(p);
    if (f.isDirectory && f.controlled) {
        std::string tag;
        if (ReadTag(p, tag)) f.directoryTag = tag;
    }
    f.changed = IsModified(p);
    if (!inWorkingCopy) {
        f.outsideEntries = settings::GetOutsideEntries();
    } else {
        std::string root;
        f.pserverRoot = ReadRoot(p, root) && root.size() > 9 && ::StrCmpNIA(root.c_str(), ":pserver:", 9) == 0;
    }
    return f;
}

bool IsAdminDirectory(const std::string& path) {
    if (!::PathIsDirectoryA(path.c_str())) return false;
    return ::lstrcmpiA(::PathFindFileNameA(path.c_str()), "CVS") == 0;
}

std::vector<MenuEntry> EntriesForSelection(const std::vector<std::string>& selection, unsigned flags) {
    if (selection.empty()) return {};
    const char* first = selection.front().c_str();
    const bool inWorkingCopy = IsControlled(first) || ParentHasCVSDir(first);
    const SelectionFacts facts = GatherSelectionFacts(selection.front(), selection.size(), inWorkingCopy);
    if (!WantsSubmenu(facts, flags)) return {};
    return BuildMenuEntries(facts, flags);
}

}  // namespace menu

// A recent-entries list (log messages, tag names, custom command lines) kept in one REG_MULTI_SZ value,
// most recent first. Each dialog owns one, loads it once and saves it once; it is used on one thread.
#pragma once

#include <windows.h>

#include <list>
#include <string>

namespace settings {

class CMRUList {
public:
    using const_iterator = std::list<std::string>::const_iterator;

    // Copies its arguments; the list starts empty.
    CMRUList(HKEY root, const char* keyPath, const char* valueName, size_t capacity);
    virtual ~CMRUList() = default;

    // Appends the stored entries (at most 8192 bytes, REG_MULTI_SZ, well formed) to the list; true when the
    // value was read. Duplicates and entries past the capacity are kept as stored until the next Add.
    bool Load();
    // Writes the whole list; true when the write succeeded. Entries that would take the value past 8192
    // bytes are left out of the stored value, so that it still loads.
    bool Save() const;
    // Makes the text the most recent entry (an empty text changes nothing).
    void Add(const std::string& text);

    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

private:
    std::list<std::string> entries_;
    HKEY root_;
    std::string keyPath_;
    std::string valueName_;
    size_t capacity_;
};

// A dialog's drop-down list of previous entries, on the dialog's thread.
// Adds the entries to the combo box `list`, most recent first.
void FillRecentList(HWND list, const CMRUList& entries);
// A previous entry chosen in the drop-down list `list` of `dialog` replaces the text of `edit`; true when the
// command (`id`, `code` of WM_COMMAND) was that choice.
bool TakePreviousEntry(HWND dialog, WORD id, WORD code, int list, int edit);
// A confirmed entry goes first into its recent list, which is saved; an empty one is not kept.
void RememberEntry(CMRUList& recent, const std::string& entry);

}  // namespace settings

// A folder's CVS/Entries, and its CVS/Entries.Log when the client left one, as a table with constant-time
// lookup by name. Platform-free: how two names compare is given by a key function (equal keys, same name),
// so the Win32 side can compare them as the file system does. Built from lines as the line splitter
// delivers them. Of CVS/Entries, the first file line of a name wins, other lines (folder lines, the lone
// "D", garbage) are skipped, as a scan from the top would. The log then changes the table as the client
// changes its list when it reads the folder (see ApplyLog). An index is immutable once built; Find is safe
// from several threads at once.
#pragma once

#include "model/core/entry.h"
#include "model/core/line_splitter.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CEntryIndex {
public:
    using KeyFn = std::function<std::string(std::string_view name)>;

    explicit CEntryIndex(KeyFn key);

    // Adds one line of CVS/Entries (during building only).
    void AddLine(std::string_view line);
    // Reads every line of CVS/Entries; false, and the index incomplete, when the source fails.
    bool AddLines(LineSplitter& lines);

    // Applies one line of CVS/Entries.Log (during building only, after AddLines), as the client does:
    // "A <line>" adds the entry or replaces the one of that name, "R <line>" removes the entry of that name;
    // a line whose second character is not a space is an "A" of the whole line; another command letter, or
    // an entry text that is not a well-formed line, is skipped. A folder line ("A D/sub////") takes its
    // name away from the files, as the client keeps files and folders in one list of names.
    void ApplyLogLine(std::string_view line);
    // Applies every line of CVS/Entries.Log except the last one when it has no line end (the client stops
    // at a line it has not finished writing); false, and the index incomplete, when the source fails.
    bool ApplyLog(LineSplitter& lines);

    // The entry of the name's line, if the table holds one.
    bool Find(std::string_view name, CCVSEntry& entry) const;

    size_t Count() const noexcept { return live_; }
    // Every entry the table holds, in the order of their lines (a caller that lists a whole folder).
    std::vector<CCVSEntry> Entries() const;
    // Bytes held by the table, its own object included (for the memory bound of a cache).
    size_t MemoryBytes() const noexcept;

private:
    struct Line {
        uint32_t offset;  // into text_
        uint32_t length;
        uint32_t hash;    // of the name's key
        bool removed;     // taken away by the log; its text still names the slot
    };
    static uint32_t Hash(std::string_view key) noexcept;
    // Slot of the line with that key, or of the empty slot where it would go.
    size_t Probe(uint32_t hash, std::string_view key, CCVSEntry& scratch) const;
    void Grow();
    bool Fits(std::string_view line) const noexcept;
    // Adds or replaces the line of the entry's name; `replace` false keeps a line already there.
    void Put(std::string_view line, const CCVSEntry& entry, bool replace);
    void Remove(std::string_view name);

    KeyFn key_;
    std::string text_;            // the kept lines, one after the other, without line ends
    std::vector<Line> lines_;
    std::vector<uint32_t> slots_;  // open addressing: index into lines_ + 1, 0 for empty; never half full
    size_t live_ = 0;              // lines not removed
};

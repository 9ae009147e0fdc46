// A folder's CVS/Entries as a table with constant-time lookup by name. Platform-free: how two names
// compare is given by a key function (equal keys, same name), so the Win32 side can compare them as the
// file system does. Built from lines as the line splitter delivers them; the first file line of a name
// wins, other lines (folder lines, the lone "D", garbage) are skipped, as a scan from the top would.
// An index is immutable once built; Find is safe from several threads at once.
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

    // Adds one line of the file (during building only).
    void AddLine(std::string_view line);
    // Reads every line of the source; false, and the index incomplete, when the source fails.
    bool AddLines(LineSplitter& lines);

    // The entry of the first file line whose name has the same key as `name`.
    bool Find(std::string_view name, CCVSEntry& entry) const;

    size_t Count() const noexcept { return lines_.size(); }
    // Bytes held by the table, its own object included (for the memory bound of a cache).
    size_t MemoryBytes() const noexcept;

private:
    struct Line {
        uint32_t offset;  // into text_
        uint32_t length;
        uint32_t hash;    // of the name's key
    };
    static uint32_t Hash(std::string_view key) noexcept;
    // Slot of the line with that key, or of the empty slot where it would go.
    size_t Probe(uint32_t hash, std::string_view key, CCVSEntry& scratch) const;
    void Grow();

    KeyFn key_;
    std::string text_;            // the kept lines, one after the other, without line ends
    std::vector<Line> lines_;
    std::vector<uint32_t> slots_;  // open addressing: index into lines_ + 1, 0 for empty; never half full
};

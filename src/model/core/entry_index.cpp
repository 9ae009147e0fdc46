#include "model/core/entry_index.h"

#include <limits>
#include <utility>

CEntryIndex::CEntryIndex(KeyFn key) : key_(std::move(key)), slots_(16, 0) {}

uint32_t CEntryIndex::Hash(std::string_view key) noexcept {
    uint32_t h = 2166136261u;  // FNV-1a
    for (char c : key) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    return h;
}

size_t CEntryIndex::Probe(uint32_t hash, std::string_view key, CCVSEntry& scratch) const {
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const uint32_t slot = slots_[i];
        if (slot == 0) return i;
        const Line& line = lines_[slot - 1];
        if (line.hash != hash) continue;
        // Only lines that parsed are kept, so this parse succeeds.
        ParseEntryLine(std::string_view(text_).substr(line.offset, line.length), scratch);
        if (key_(scratch.Name) == key) return i;
    }
}

void CEntryIndex::Grow() {
    std::vector<uint32_t> grown(slots_.size() * 2, 0);
    const size_t mask = grown.size() - 1;
    for (size_t n = 0; n < lines_.size(); ++n) {
        size_t i = lines_[n].hash & mask;
        while (grown[i] != 0) i = (i + 1) & mask;
        grown[i] = static_cast<uint32_t>(n + 1);
    }
    slots_.swap(grown);
}

// Offsets are 32 bits: a table past 4 GB keeps its first lines (no such file fits a 32-bit process).
bool CEntryIndex::Fits(std::string_view line) const noexcept {
    return text_.size() + line.size() <= std::numeric_limits<uint32_t>::max() &&
           lines_.size() < std::numeric_limits<uint32_t>::max() / 4;
}

void CEntryIndex::Put(std::string_view line, const CCVSEntry& entry, bool replace) {
    if (!Fits(line)) return;
    const std::string key = key_(entry.Name);
    const uint32_t hash = Hash(key);
    CCVSEntry scratch;
    const size_t at = Probe(hash, key, scratch);
    const uint32_t offset = static_cast<uint32_t>(text_.size());
    if (slots_[at] != 0) {
        Line& old = lines_[slots_[at] - 1];
        if (!replace && !old.removed) return;  // the name was listed before: the first line wins
        live_ += old.removed ? 1 : 0;
        old = {offset, static_cast<uint32_t>(line.size()), hash, false};
        text_.append(line.data(), line.size());
        return;
    }
    lines_.push_back({offset, static_cast<uint32_t>(line.size()), hash, false});
    text_.append(line.data(), line.size());
    slots_[at] = static_cast<uint32_t>(lines_.size());
    ++live_;
    if (lines_.size() * 2 > slots_.size()) Grow();
}

void CEntryIndex::Remove(std::string_view name) {
    const std::string key = key_(name);
    CCVSEntry scratch;
    const size_t at = Probe(Hash(key), key, scratch);
    if (slots_[at] == 0) return;
    Line& line = lines_[slots_[at] - 1];
    if (!line.removed) --live_;
    line.removed = true;
}

void CEntryIndex::AddLine(std::string_view line) {
    CCVSEntry entry;
    if (ParseEntryLine(line, entry)) Put(line, entry, false);
}

bool CEntryIndex::AddLines(LineSplitter& lines) {
    std::string line;
    int32_t rc;
    while ((rc = lines.ReadLine(line)) == 0) AddLine(line);
    text_.shrink_to_fit();
    lines_.shrink_to_fit();
    return rc == 1;
}

void CEntryIndex::ApplyLogLine(std::string_view line) {
    char command = 'A';
    if (line.size() >= 2 && line[1] == ' ') {
        command = line[0];
        line.remove_prefix(2);
    }
    if (command != 'A' && command != 'R') return;
    CCVSEntry entry;
    const bool folder = !line.empty() && line[0] == 'D';
    if (!ParseEntryLine(folder ? line.substr(1) : line, entry)) return;
    if (command == 'A' && !folder) Put(line, entry, true);
    else Remove(entry.Name);
}

bool CEntryIndex::ApplyLog(LineSplitter& lines) {
    std::string line, next;
    int32_t rc = lines.ReadLine(line);
    while (rc == 0 && (rc = lines.ReadLine(next)) == 0) {
        ApplyLogLine(line);
        line.swap(next);
    }
    // What is left in `line` is the last one, which has no line end: unfinished, or empty after the last end.
    text_.shrink_to_fit();
    lines_.shrink_to_fit();
    return rc == 1;
}

bool CEntryIndex::Find(std::string_view name, CCVSEntry& entry) const {
    const std::string key = key_(name);
    CCVSEntry found;
    const size_t at = Probe(Hash(key), key, found);
    if (slots_[at] == 0 || lines_[slots_[at] - 1].removed) return false;
    entry = std::move(found);
    return true;
}

std::vector<CCVSEntry> CEntryIndex::Entries() const {
    std::vector<CCVSEntry> entries;
    entries.reserve(live_);
    for (const Line& line : lines_) {
        CCVSEntry entry;
        if (!line.removed && ParseEntryLine(std::string_view(text_).substr(line.offset, line.length), entry))
            entries.push_back(std::move(entry));
    }
    return entries;
}

size_t CEntryIndex::MemoryBytes() const noexcept {
    return sizeof *this + text_.capacity() + lines_.capacity() * sizeof(Line) + slots_.capacity() * sizeof(uint32_t);
}

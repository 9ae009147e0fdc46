#include "settings/core/multi_sz.h"

#include <cstring>

namespace mru {

bool DecodeMultiSz(const char* data, size_t size, std::list<std::string>& entries) {
    if (!data || size == 0 || data[size - 1] != '\0') return false;
    if (size > 1 && data[size - 2] != '\0') return false;
    std::list<std::string> found;
    size_t pos = 0;
    // The last byte is a NUL, so every string found here ends inside the data.
    while (pos < size && data[pos] != '\0') {
        const char* start = data + pos;
        size_t len = ::strnlen(start, size - pos);
        found.emplace_back(start, len);
        pos += len + 1;
    }
    entries.splice(entries.end(), found);
    return true;
}

std::string EncodeMultiSz(const std::list<std::string>& entries, size_t maxBytes) {
    std::string out;
    for (const std::string& entry : entries) {
        if (entry.empty() || entry.find('\0') != std::string::npos) continue;
        // Room for this entry, its NUL and the final NUL.
        if (out.size() + entry.size() + 2 > maxBytes) continue;
        out += entry;
        out += '\0';
    }
    out += '\0';
    return out;
}

void AddEntry(std::list<std::string>& entries, const std::string& text, size_t capacity) {
    if (text.empty()) return;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (*it == text) {
            entries.erase(it);
            break;
        }
    }
    entries.push_front(text);
    while (entries.size() > capacity) entries.pop_back();
}

}  // namespace mru

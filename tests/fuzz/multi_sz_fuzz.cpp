// Arbitrary bytes as a stored recent-entries list: the decoder never reads outside the value, and what
// the encoder writes is loaded back as exactly the entries it kept.
#include "settings/core/multi_sz.h"

#include <cstdint>
#include <list>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    std::list<std::string> entries{"kept"};
    const bool loaded = mru::DecodeMultiSz(bytes, size, entries);
    if (entries.empty() || entries.front() != "kept") __builtin_trap();
    if (!loaded && entries.size() != 1) __builtin_trap();
    entries.pop_front();
    size_t total = 0;
    for (const std::string& e : entries) {
        if (e.empty() || e.find('\0') != std::string::npos) __builtin_trap();
        total += e.size() + 1;
    }
    if (total > size) __builtin_trap();

    // Entries of any kind, from the raw bytes split at '\n' (empty ones and NULs included).
    std::list<std::string> anyEntries;
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] == '\n') {
            anyEntries.push_back(current);
            current.clear();
        } else {
            current += bytes[i];
        }
    }
    anyEntries.push_back(current);

    for (const std::list<std::string>* list : {&entries, &anyEntries}) {
        const size_t limit = size % 2 ? mru::kMaxValueBytes : 64;
        const std::string stored = mru::EncodeMultiSz(*list, limit);
        if (stored.empty() || stored.size() > limit) __builtin_trap();
        std::list<std::string> back;
        if (!mru::DecodeMultiSz(stored.data(), stored.size(), back)) __builtin_trap();
        // Exactly the storable entries that fitted, in their order.
        auto it = back.begin();
        size_t used = 1;
        for (const std::string& e : *list) {
            if (e.empty() || e.find('\0') != std::string::npos || used + e.size() + 1 > limit) continue;
            if (it == back.end() || *it != e) __builtin_trap();
            used += e.size() + 1;
            ++it;
        }
        if (it != back.end()) __builtin_trap();
        if (list == &entries && total + 1 <= limit && back != entries) __builtin_trap();
    }

    // The list keeps its capacity, the new text leads and appears once.
    std::list<std::string> recent = anyEntries;
    const std::string text = anyEntries.front();
    mru::AddEntry(recent, text, 4);
    if (!text.empty()) {
        if (recent.empty() || recent.front() != text || recent.size() > 4) __builtin_trap();
        size_t seen = 0, before = 0;
        for (const std::string& e : recent) seen += e == text;
        for (const std::string& e : anyEntries) before += e == text;
        if (seen < 1 || seen > (before > 1 ? before : 1)) __builtin_trap();
    }
    return 0;
}

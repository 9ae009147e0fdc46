// The stored form of a recent-entries list: one REG_MULTI_SZ value holding the entries from the most
// recent to the oldest, each as its bytes and one NUL, then one more NUL; an empty list is a single NUL.
// Platform-free, and safe on any input bytes (the decoder is fuzzed).
#pragma once

#include <cstddef>
#include <list>
#include <string>

namespace mru {

// The most bytes a stored list may have; a longer value is not loaded.
constexpr size_t kMaxValueBytes = 8192;

// Appends the entries of `data` to `entries`. False, with `entries` unchanged, when the data are empty,
// do not end with a NUL or, being longer than one byte, do not end with two NULs. The walk stops at the
// first empty string.
bool DecodeMultiSz(const char* data, size_t size, std::list<std::string>& entries);

// The stored form of `entries`. An entry that cannot be stored (empty, or holding a NUL) is left out, and
// so is every entry that would take the value past `maxBytes`: a list that is saved can always be loaded.
std::string EncodeMultiSz(const std::list<std::string>& entries, size_t maxBytes = kMaxValueBytes);

// Makes `text` the most recent entry: removes the first equal entry (exact, case-sensitive comparison),
// inserts the text at the head, then drops entries from the tail down to `capacity`. An empty text
// changes nothing.
void AddEntry(std::list<std::string>& entries, const std::string& text, size_t capacity);

}  // namespace mru

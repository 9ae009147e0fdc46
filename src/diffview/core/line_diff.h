// The difference of two sequences (lines of two files, characters of two lines): which elements of each
// side are outside a longest common subsequence. Platform-free.
//
// Myers' O((N+M)D) algorithm in its linear-space form (middle snakes, divide and conquer), after the common
// prefix and suffix are cut and the elements found on one side only are set aside (they can never be
// common). A search that grows past a cost bound takes the furthest-reaching path instead of the shortest,
// so two unrelated inputs end in near-linear time with a diff that is correct but perhaps not minimal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace diffview {

// removed[i]: element i of the old side is not common; added[j]: likewise for the new side.
struct DiffMarks {
    std::vector<bool> removed;
    std::vector<bool> added;
};

// Elements are compared as numbers (see NumberElements; any numbers work, dense ones fastest).
DiffMarks DiffSequences(const std::vector<std::uint32_t>& oldSide, const std::vector<std::uint32_t>& newSide);

// Gives equal elements of both sides equal numbers, so the diff compares numbers instead of texts.
template <class Element>
void NumberElements(const std::vector<Element>& oldSide, const std::vector<Element>& newSide,
                    std::vector<std::uint32_t>& oldNumbers, std::vector<std::uint32_t>& newNumbers) {
    // Keyed by reference: no element is copied.
    struct Hash {
        std::size_t operator()(const Element* e) const { return std::hash<Element>()(*e); }
    };
    struct Same {
        bool operator()(const Element* a, const Element* b) const { return *a == *b; }
    };
    std::unordered_map<const Element*, std::uint32_t, Hash, Same> numbers;
    numbers.reserve(oldSide.size() + newSide.size());
    auto number = [&](const Element& e) {
        const std::uint32_t next = static_cast<std::uint32_t>(numbers.size());
        return numbers.emplace(&e, next).first->second;
    };
    oldNumbers.clear();
    newNumbers.clear();
    oldNumbers.reserve(oldSide.size());
    newNumbers.reserve(newSide.size());
    for (const Element& e : oldSide) oldNumbers.push_back(number(e));
    for (const Element& e : newSide) newNumbers.push_back(number(e));
}

// A half-open range [begin, end) of character positions.
struct Span {
    std::size_t begin;
    std::size_t end;
    bool operator==(const Span& o) const { return begin == o.begin && end == o.end; }
};

// The changed parts of two versions of one line, in code units of each side. Short runs of common
// characters between changes are absorbed and a mark inside a word covers the word, so the marks read as
// words rather than confetti; lines with little in common (or very long ones) get one span from the first
// to the last difference.
struct InlineMarks {
    std::vector<Span> left;
    std::vector<Span> right;
};
InlineMarks InlineChangesOf(const std::vector<std::uint32_t>& left, const std::vector<std::uint32_t>& right);

template <class Char>
InlineMarks InlineChanges(const std::basic_string<Char>& left, const std::basic_string<Char>& right) {
    using Unsigned = typename std::make_unsigned<Char>::type;
    std::vector<std::uint32_t> l, r;
    for (Char c : left) l.push_back(static_cast<Unsigned>(c));
    for (Char c : right) r.push_back(static_cast<Unsigned>(c));
    return InlineChangesOf(l, r);
}

}  // namespace diffview

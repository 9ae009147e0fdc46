#include "settings/core/multi_sz.h"

#include <gtest/gtest.h>

#include <list>
#include <random>
#include <string>
#include <vector>

namespace {

using List = std::list<std::string>;

TEST(MultiSz, DecodesWellFormedAndRejectsMalformedData) {
    const struct {
        const char* what;
        std::string bytes;
        bool ok;
        List entries;
    } cases[] = {
        {"empty list", std::string("\0", 1), true, {}},
        {"empty list, two NULs", std::string("\0\0", 2), true, {}},
        {"one entry", std::string("abc\0\0", 5), true, {"abc"}},
        {"three entries", std::string("a\0Bb\0c c\0\0", 10), true, {"a", "Bb", "c c"}},
        {"line breaks kept", std::string("x\r\ny\0\0", 6), true, {"x\r\ny"}},
        {"walk stops at the first empty string", std::string("a\0\0b\0\0", 6), true, {"a"}},
        {"duplicates kept as stored", std::string("a\0a\0\0", 5), true, {"a", "a"}},
        {"no data", std::string(), false, {}},
        {"no final NUL", std::string("abc", 3), false, {}},
        {"one NUL after an entry", std::string("abc\0", 4), false, {}},
        {"single byte that is not NUL", std::string("a", 1), false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        List entries = {"before"};
        EXPECT_EQ(c.ok, mru::DecodeMultiSz(c.bytes.data(), c.bytes.size(), entries));
        List expected = {"before"};
        if (c.ok) expected.insert(expected.end(), c.entries.begin(), c.entries.end());
        EXPECT_EQ(expected, entries);
    }
}

TEST(MultiSz, EncodesInStoredFormat) {
    EXPECT_EQ(std::string("\0", 1), mru::EncodeMultiSz({}));
    EXPECT_EQ(std::string("a\0bc\0\0", 6), mru::EncodeMultiSz({"a", "bc"}));
    // Entries that cannot be stored are left out instead of cutting the list short.
    EXPECT_EQ(std::string("a\0c\0\0", 5), mru::EncodeMultiSz({"a", "", "c"}));
    EXPECT_EQ(std::string("a\0c\0\0", 5), mru::EncodeMultiSz({"a", std::string("b\0b", 3), "c"}));
}

TEST(MultiSz, EncodedListsAlwaysFitTheLoadLimit) {
    // Twenty long log messages would make a value that the next load rejects: the oldest are left out.
    List entries;
    for (int i = 0; i < 20; ++i) entries.push_back(std::string(1000, static_cast<char>('a' + i)));
    std::string data = mru::EncodeMultiSz(entries);
    EXPECT_LE(data.size(), mru::kMaxValueBytes);
    List loaded;
    ASSERT_TRUE(mru::DecodeMultiSz(data.data(), data.size(), loaded));
    ASSERT_EQ(8u, loaded.size());
    EXPECT_EQ(entries.front(), loaded.front());
    // Exactly at the limit: 8190 bytes of text, its NUL, the final NUL.
    data = mru::EncodeMultiSz({std::string(8190, 'x')});
    EXPECT_EQ(8192u, data.size());
    // One entry too long to be stored at all does not take the others with it.
    data = mru::EncodeMultiSz({std::string(9000, 'x'), "older"});
    EXPECT_EQ(std::string("older\0\0", 7), data);
}

TEST(MultiSz, AddMovesRemovesAndCaps) {
    const struct {
        const char* what;
        List before;
        const char* text;
        size_t capacity;
        List after;
    } cases[] = {
        {"into empty", {}, "a", 20, {"a"}},
        {"third moves to head", {"a", "b", "c", "d"}, "c", 20, {"c", "a", "b", "d"}},
        {"head stays", {"a", "b"}, "a", 20, {"a", "b"}},
        {"case differs: a second entry", {"Fix"}, "fix", 20, {"fix", "Fix"}},
        {"full list drops the oldest", {"1", "2", "3"}, "new", 3, {"new", "1", "2"}},
        {"over-full loaded list is cut", {"1", "2", "3", "4"}, "2", 2, {"2", "1"}},
        {"only the first duplicate removed", {"a", "x", "a"}, "a", 20, {"a", "x", "a"}},
        {"empty text ignored", {"a"}, "", 20, {"a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        List entries = c.before;
        mru::AddEntry(entries, c.text, c.capacity);
        EXPECT_EQ(c.after, entries);
    }
}

TEST(MultiSz, RandomBytesNeverBreakTheDecoderAndRoundTripsHold) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 4000; ++round) {
        std::vector<char> bytes(rng() % 40);
        for (char& b : bytes) b = static_cast<char>("a\0\0b\xff"[rng() % 5]);
        List entries;
        if (!mru::DecodeMultiSz(bytes.data(), bytes.size(), entries)) continue;
        for (const std::string& e : entries) ASSERT_FALSE(e.empty());
        std::string again = mru::EncodeMultiSz(entries);
        List back;
        ASSERT_TRUE(mru::DecodeMultiSz(again.data(), again.size(), back));
        ASSERT_EQ(entries, back);
    }
}

}  // namespace

#include "model/core/tag_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(const CTagTable& table) {
    std::vector<std::string> names;
    table.ForEach([&](const std::string& name, const std::string&) { names.push_back(name); });
    return names;
}

TEST(TagTable, HashTakesBytesAsSigned) {
    EXPECT_EQ(0u, CTagTable::Hash(""));
    EXPECT_EQ(97u * 33u + 98u, CTagTable::Hash("ab"));
    // "\xE9t\xE9": the bytes 0xE9 count as -23, so the sum wraps below zero.
    EXPECT_EQ(4294946054u, CTagTable::Hash("\xE9t\xE9"));
}

TEST(TagTable, SetReplacesAndKeepsPlace) {
    CTagTable table;
    for (const char* name : {"REL_1", "branch_x", "BP_x", "REL_0"}) table.Set(name, "1.1");
    const std::vector<std::string> order{"branch_x", "BP_x", "REL_0", "REL_1"};
    EXPECT_EQ(order, Names(table));
    table.Set("BP_x", "1.2");
    EXPECT_EQ(order, Names(table));
    ASSERT_NE(nullptr, table.Find("BP_x"));
    EXPECT_EQ("1.2", *table.Find("BP_x"));
    EXPECT_EQ(nullptr, table.Find("bp_x"));  // case-sensitive
    EXPECT_EQ(4u, table.Count());
}

TEST(TagTable, NewNameGoesToTheFrontOfItsBucket) {
    // "a" and "r" share bucket 97 % 17 = 12 = 114 % 17; the later one is enumerated first.
    CTagTable table;
    table.Set("a", "1");
    table.Set("r", "2");
    EXPECT_EQ((std::vector<std::string>{"r", "a"}), Names(table));
}

struct GrowthCase {
    int names;  // T<names> down to T1, in the order the client lists them
    size_t buckets;
    std::vector<std::string> order;
};

TEST(TagTable, GrowsPastThirtyEightNamesAndReordersByMoving) {
    const GrowthCase cases[] = {
        {38, 17, {"T12", "T23", "T34", "T45", "T13", "T24", "T35", "T14", "T25", "T36", "T15", "T26", "T37",
                  "T16", "T27", "T38", "T17", "T28", "T39", "T8",  "T18", "T29", "T9",  "T19", "T40", "T30",
                  "T41", "T20", "T31", "T42", "T10", "T21", "T32", "T43", "T11", "T22", "T33", "T44"}},
        {45, 53, {"T20", "T21", "T22", "T23", "T24", "T25", "T26", "T27", "T28", "T29", "T1",  "T2",
                  "T40", "T3",  "T41", "T4",  "T42", "T5",  "T43", "T6",  "T44", "T7",  "T45", "T8",
                  "T10", "T9",  "T11", "T12", "T13", "T14", "T15", "T16", "T17", "T18", "T19", "T30",
                  "T31", "T32", "T33", "T34", "T35", "T36", "T37", "T38", "T39"}},
    };
    for (const GrowthCase& c : cases) {
        SCOPED_TRACE(c.names);
        CTagTable table;
        for (int i = 45; i > 45 - c.names; --i) table.Set("T" + std::to_string(i), "1.1");
        EXPECT_EQ(c.buckets, table.BucketCount());
        EXPECT_EQ(c.order, Names(table));
        for (int i = 45; i > 45 - c.names; --i) EXPECT_NE(nullptr, table.Find("T" + std::to_string(i)));
    }
}

TEST(TagTable, BucketCountFollowsTheSizeList) {
    // Thresholds: more than 38 names in 17 buckets -> 53 (39 / 0.75 = 52); more than 119 -> 163 (160).
    CTagTable table;
    size_t seen53 = 0, seen163 = 0;
    for (int i = 0; i < 200; ++i) {
        table.Set("name" + std::to_string(i), "1.1");
        if (table.BucketCount() == 53 && !seen53) seen53 = table.Count();
        if (table.BucketCount() == 163 && !seen163) seen163 = table.Count();
    }
    EXPECT_EQ(39u, seen53);
    EXPECT_EQ(120u, seen163);
    EXPECT_EQ(200u, table.Count());
    EXPECT_EQ(200u, table.Entries().size());
}

}  // namespace

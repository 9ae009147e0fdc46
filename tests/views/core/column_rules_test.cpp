#include "views/core/column_rules.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The columns offered for a set of flags: index, shown by default.
std::vector<std::pair<uint32_t, bool>> Offered(const ColumnFlags& flags) {
    std::vector<std::pair<uint32_t, bool>> out;
    ColumnDefinition d;
    for (uint32_t i = 0; i < 8; ++i) {
        if (GetColumnDefinition(flags, i, d)) out.emplace_back(i, d.ShownByDefault);
    }
    return out;
}

ColumnFlags With(uint32_t ColumnFlags::*field, uint32_t value) {
    ColumnFlags flags;
    flags.*field = value;
    return flags;
}

struct FlagCase {
    const char* name;
    ColumnFlags flags;
    std::vector<std::pair<uint32_t, bool>> offered;
};

TEST(ColumnRules, FlagsDecideOfferedAndShownColumns) {
    const FlagCase cases[] = {
        {"defaults", ColumnFlags{}, {{0, true}, {1, true}, {2, false}, {3, true}}},
        {"author available", With(&ColumnFlags::Author, 1), {{0, true}, {1, true}, {2, false}, {3, true}, {4, false}}},
        {"author shown", With(&ColumnFlags::Author, 3), {{0, true}, {1, true}, {2, false}, {3, true}, {4, true}}},
        {"author bit 1 alone offers nothing", With(&ColumnFlags::Author, 2), {{0, true}, {1, true}, {2, false}, {3, true}}},
        {"status hidden", With(&ColumnFlags::Status, 1), {{0, false}, {1, true}, {2, false}, {3, true}}},
        {"status 0 is still offered", With(&ColumnFlags::Status, 0), {{0, false}, {1, true}, {2, false}, {3, true}}},
        {"options shown", With(&ColumnFlags::Options, 2), {{0, true}, {1, true}, {2, true}, {3, true}}},
        {"tag 0 still shown", With(&ColumnFlags::Tag, 0), {{0, true}, {1, true}, {2, false}, {3, true}}},
        {"revision 0 still shown", With(&ColumnFlags::Revision, 0), {{0, true}, {1, true}, {2, false}, {3, true}}},
        {"other bits ignored", With(&ColumnFlags::Author, 0xFFFFFFFC), {{0, true}, {1, true}, {2, false}, {3, true}}},
    };
    for (const FlagCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.offered, Offered(c.flags));
    }
}

TEST(ColumnRules, Definitions) {
    ColumnFlags flags;
    flags.Author = 1;
    struct Expect {
        ColumnSet set;
        uint32_t pid, title, desc;
        bool slow;
    } const expected[] = {{ColumnSet::Own, 0, IDS_COL_STATUS, IDS_COL_STATUS_DESC, false},
                          {ColumnSet::Own, 1, IDS_COL_TAG, IDS_COL_TAG_DESC, false},
                          {ColumnSet::Own, 2, IDS_COL_OPTIONS, IDS_COL_OPTIONS_DESC, false},
                          {ColumnSet::SummaryInformation, 9, IDS_COL_REVISION, IDS_COL_REVISION_DESC, false},
                          {ColumnSet::SummaryInformation, 4, IDS_COL_AUTHOR, IDS_COL_AUTHOR_DESC, true}};
    for (uint32_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        ColumnDefinition d;
        ASSERT_TRUE(GetColumnDefinition(flags, i, d));
        EXPECT_EQ(expected[i].set, d.Set);
        EXPECT_EQ(expected[i].pid, d.PropertyId);
        EXPECT_EQ(expected[i].title, d.TitleId);
        EXPECT_EQ(expected[i].desc, d.DescriptionId);
        EXPECT_EQ(expected[i].slow, d.Slow);
    }
}

TEST(ColumnRules, Texts) {
    const std::pair<const char*, const char*> tags[] = {
        {"Trelease_2", "release_2"}, {"D2008.01.01.00.00.00", "D2008.01.01.00.00.00"}, {"", ""}, {"T", ""},
        {"Nbranch", "Nbranch"}, {"tlower", "tlower"}};
    for (const auto& t : tags) EXPECT_EQ(t.second, TagColumnText(t.first)) << t.first;
    const std::pair<const char*, const char*> revisions[] = {
        {"-1.7", "1.7"}, {"1.7", "1.7"}, {"0", "0"}, {"", ""}, {"--1", "-1"}};
    for (const auto& r : revisions) EXPECT_EQ(r.second, RevisionColumnText(r.first)) << r.first;
}

}  // namespace

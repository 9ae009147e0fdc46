#include "model/core/status.h"
#include "model/core/timestamp.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatTimestamp, Layout) {
    struct Case {
        int64_t seconds;
        const char* text;
    } const cases[] = {
        {0, "Thu Jan 01 00:00:00 1970"},
        {1199239435, "Wed Jan 02 02:03:55 2008"},
        {951782400, "Tue Feb 29 00:00:00 2000"},
        {1784116800, "Wed Jul 15 12:00:00 2026"},
        {4107542399, "Sun Feb 28 23:59:59 2100"},
        {4107542400, "Mon Mar 01 00:00:00 2100"},   // 2100 is no leap year
        {32535215999, "Wed Dec 31 23:59:59 3000"},
        {-1, ""},                                    // before 1970: the runtime cannot break it down
        {32535216000, ""},
        {INT64_MIN, ""},
        {INT64_MAX, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(c.text, FormatTimestamp(c.seconds));
    }
}

TEST(FileTimeToUnixSeconds, TruncatesTowardsZero) {
    EXPECT_EQ(0, FileTimeToUnixSeconds(116444736000000000ULL));
    EXPECT_EQ(1, FileTimeToUnixSeconds(116444736019999999ULL));
    EXPECT_EQ(0, FileTimeToUnixSeconds(116444735990000001ULL));
    EXPECT_EQ(-11644473600, FileTimeToUnixSeconds(0));
}

TEST(TimestampMatches, OnlyTheSpacePaddedDayIsTolerated) {
    struct Case {
        const char* recorded;
        const char* computed;
        bool match;
    } const cases[] = {
        {"Tue Dec 08 16:24:01 2026", "Tue Dec 08 16:24:01 2026", true},
        {"Tue Dec  8 16:24:01 2026", "Tue Dec 08 16:24:01 2026", true},
        {"Tue Dec 18 16:24:01 2026", "Tue Dec 08 16:24:01 2026", false},
        {"Tue Dec  8 16:24:01 2026", "Tue Dec 18 16:24:01 2026", false},
        {"Tue Dec  8 16:24:02 2026", "Tue Dec 08 16:24:01 2026", false},
        {"Tue Dec 8 16:24:01 2026", "Tue Dec 08 16:24:01 2026", false},
        {"Tue Dec 08 16:24:01 2026", "Tue Dec  8 16:24:01 2026", false},
        {"", "", true},
        {"Tue Dec  8 16:24:01 2026", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.recorded) + " vs " + c.computed);
        EXPECT_EQ(c.match, TimestampMatches(c.recorded, c.computed));
    }
}

TEST(DecideStatus, RulesInOrder) {
    const std::string t = "Tue Mar 03 10:00:00 2026";
    struct Case {
        const char* revision;
        std::string timestamp;
        StatusId status;
    } const cases[] = {
        {"0", "Initial a.c", kStatusAdded},
        {"0", t, kStatusAdded},
        {"-1.3", t, kStatusRemoved},
        {"-", "Result of merge", kStatusRemoved},
        {"1.1", t, kStatusOK},
        {"1.1", "Tue Mar  3 10:00:00 2026", kStatusOK},
        {"1.1", "Result of merge", kStatusMerged},
        {"1.1", "Result of merge+" + t, kStatusConflict},
        {"1.1", "Result of merge+Tue Mar  3 10:00:00 2026", kStatusConflict},
        {"1.1", "Result of merge+Tue Mar 03 10:00:01 2026", kStatusConflictResolved},
        {"1.1", "Result of merge+", kStatusConflictResolved},
        {"1.1", "Result of merg", kStatusModified},
        {"1.1", "dummy timestamp", kStatusModified},
        {"", t, kStatusOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.revision) + " " + c.timestamp);
        CCVSEntry entry;
        entry.Revision = c.revision;
        entry.Timestamp = c.timestamp;
        int calls = 0;
        EXPECT_EQ(c.status, DecideStatus(entry, [&] {
                      ++calls;
                      return t;
                  }));
        bool scheduled = c.status == kStatusAdded || c.status == kStatusRemoved;
        EXPECT_EQ(scheduled ? 0 : 1, calls) << "the file's time is read exactly when the decision needs it";
    }
}

}  // namespace

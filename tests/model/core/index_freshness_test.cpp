// The rules of a folder index's freshness: when a read is final, when the client counts as replacing Entries,
// and what a call does then.
#include "model/core/index_freshness.h"

#include <gtest/gtest.h>

namespace {

constexpr int64_t kMs = 1000;
constexpr uint64_t kSecondTicks = 10000000;

TEST(IndexFreshness, StampTickFollowsTheClockThatMadeTheStamp) {
    EXPECT_EQ(kStampTickMicros, StampTickMicros(13 * kSecondTicks + 1234567, 13 * kSecondTicks));
    EXPECT_EQ(kCoarseStampTickMicros, StampTickMicros(14 * kSecondTicks, 14 * kSecondTicks + 5));
    EXPECT_EQ(kCoarseStampTickMicros, StampTickMicros(0, 14 * kSecondTicks));  // no change time: the write time
    EXPECT_EQ(kStampTickMicros, StampTickMicros(0, 14 * kSecondTicks + 5));
}

TEST(IndexFreshness, StepsOfACallThatCannotUseItsSnapshot) {
    const int64_t now = 100000 * kMs;
    const int64_t deadline = now + kClientWaitMicros;
    struct Case {
        const char* what;
        int64_t seenAgo;        // since the stamps were first seen
        bool coarse;            // stamps in whole seconds
        int64_t replacementAgo; // since a replacement was seen; -1 never
        bool backup;
        bool haveSnapshot;
        bool mayWait;
        IndexStep step;
    } cases[] = {
        {"changed in place, a window's thread: read at once", 0, false, -1, false, true, false, IndexStep::kRead},
        {"changed in place, a thread that may wait: until the stamp is final", 0, false, -1, false, true, true,
         IndexStep::kWait},
        {"stood a tick: read, final", 20 * kMs, false, -1, false, true, true, IndexStep::kRead},
        {"whole-second stamp: no wait of two seconds, read now", 0, true, -1, false, true, true, IndexStep::kRead},
        {"backup there, a window's thread: the last snapshot", 500 * kMs, false, -1, true, true, false,
         IndexStep::kAnswerUntrusted},
        {"backup there, may wait", 500 * kMs, false, -1, true, true, true, IndexStep::kWait},
        {"backup there, no snapshot: read (a refused delete leaves Entries whole)", 0, false, -1, true, false, false,
         IndexStep::kRead},
        {"just renamed into place after a replacement: the last snapshot", 1 * kMs, false, 2 * kMs, false, true, false,
         IndexStep::kAnswerUntrusted},
        {"just renamed into place, may wait", 1 * kMs, false, 2 * kMs, false, true, true, IndexStep::kWait},
        {"renamed into place and stood a tick", 25 * kMs, false, 30 * kMs, false, true, false, IndexStep::kRead},
        {"a replacement long ago does not count", 1 * kMs, false, 2000 * kMs, false, true, false, IndexStep::kRead},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FolderObservation o;
        o.now = now;
        o.stampSeenSince = now - c.seenAgo;
        o.stampTick = c.coarse ? kCoarseStampTickMicros : kStampTickMicros;
        o.replacementSeenAt = c.replacementAgo < 0 ? kNeverMicros : now - c.replacementAgo;
        o.backupPresent = c.backup;
        EXPECT_EQ(c.step, NextIndexStep(o, c.haveSnapshot, c.mayWait, deadline));
        // Past its deadline a call never waits.
        EXPECT_NE(IndexStep::kWait, NextIndexStep(o, c.haveSnapshot, c.mayWait, now));
        // A read is final once the stamps have stood one tick of their clock.
        EXPECT_EQ(c.seenAgo >= o.stampTick, ReadIsFinal(o, now));
    }
}

}  // namespace

#include "model/core/index_freshness.h"

int64_t StampTickMicros(uint64_t changeTime, uint64_t lastWriteTime) {
    const uint64_t stamp = changeTime != 0 ? changeTime : lastWriteTime;
    const uint64_t kTicksPerSecond = 10000000;  // 100 ns ticks
    return stamp % kTicksPerSecond == 0 ? kCoarseStampTickMicros : kStampTickMicros;
}

bool ClientIsReplacing(const FolderObservation& o) {
    if (o.backupPresent) return true;
    return o.now - o.replacementSeenAt < kReplacementMemoryMicros && o.now - o.stampSeenSince < o.stampTick;
}

bool ReadIsFinal(const FolderObservation& o, int64_t readStart) {
    return readStart - o.stampSeenSince >= o.stampTick;
}

IndexStep NextIndexStep(const FolderObservation& o, bool haveSnapshot, bool mayWait, int64_t deadline) {
    const bool canWait = mayWait && o.now < deadline;
    if (ClientIsReplacing(o)) {
        if (canWait) return IndexStep::kWait;
        return haveSnapshot ? IndexStep::kAnswerUntrusted : IndexStep::kRead;
    }
    // Not replaced: a read now is right. Waiting until the stamps have stood for a tick makes it final,
    // so that later calls answer from it instead of reading again.
    if (canWait && !ReadIsFinal(o, o.now) && o.stampSeenSince + o.stampTick <= deadline) return IndexStep::kWait;
    return IndexStep::kRead;
}

#include "model/core/status.h"

#include "model/core/timestamp.h"

StatusId DecideStatusFromText(const CCVSEntry& entry, const std::string& timeText) {
    if (entry.Revision == "0") return kStatusAdded;
    if (!entry.Revision.empty() && entry.Revision[0] == '-') return kStatusRemoved;
    const std::string& ts = entry.Timestamp;
    if (TimestampMatches(ts, timeText)) return kStatusOK;
    static const char kConflictPrefix[] = "Result of merge+";
    if (ts.compare(0, sizeof kConflictPrefix - 1, kConflictPrefix) == 0) {
        return TimestampMatches(ts.substr(sizeof kConflictPrefix - 1), timeText) ? kStatusConflict
                                                                                  : kStatusConflictResolved;
    }
    if (ts.compare(0, 15, "Result of merge") == 0) return kStatusMerged;
    return kStatusModified;
}

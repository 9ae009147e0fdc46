// The status decision over an entry and the file's computed time text. Platform-free.
#pragma once

#include "model/core/entry.h"
#include "resources/resource.h"

#include <string>

// Status ids are the string-table ids of their display names.
enum StatusId : unsigned {
    kStatusAdded = IDS_STATUS_ADDED,
    kStatusRemoved = IDS_STATUS_REMOVED,
    kStatusModified = IDS_STATUS_MODIFIED,
    kStatusConflict = IDS_STATUS_CONFLICT,
    kStatusMerged = IDS_STATUS_MERGED,
    kStatusOK = IDS_STATUS_OK,
    kStatusConflictResolved = IDS_STATUS_CONFLICT_RESOLVED,
};

// The first rule that applies decides: revision "0" added; revision "-..." removed; otherwise the time text
// is computed (fileTimeText(), called exactly once) and compared with the recorded timestamp: equal is OK;
// "Result of merge+<time>" is a conflict while the file still has that time and resolved after; another
// "Result of merge..." is merged; anything else modified.
template <typename TimeTextFn>
StatusId DecideStatus(const CCVSEntry& entry, TimeTextFn&& fileTimeText);

StatusId DecideStatusFromText(const CCVSEntry& entry, const std::string& timeText);

template <typename TimeTextFn>
StatusId DecideStatus(const CCVSEntry& entry, TimeTextFn&& fileTimeText) {
    if (entry.Revision == "0") return kStatusAdded;
    if (!entry.Revision.empty() && entry.Revision[0] == '-') return kStatusRemoved;
    return DecideStatusFromText(entry, fileTimeText());
}

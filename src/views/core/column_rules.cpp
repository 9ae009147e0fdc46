#include "views/core/column_rules.h"

namespace {

constexpr uint32_t kAvailable = 1;
constexpr uint32_t kShownByDefault = 2;

// String ids of the titles and descriptions (resource.h is not reachable from platform-free code).
constexpr uint32_t kStatusTitle = 102, kStatusDesc = 103;
constexpr uint32_t kTagTitle = 104, kTagDesc = 105;
constexpr uint32_t kRevisionTitle = 106, kRevisionDesc = 107;
constexpr uint32_t kOptionsTitle = 108, kOptionsDesc = 109;
constexpr uint32_t kAuthorTitle = 110, kAuthorDesc = 111;

}  // namespace

bool GetColumnDefinition(const ColumnFlags& flags, uint32_t index, ColumnDefinition& definition) {
    switch (index) {
    case 0:
        definition = {ColumnSet::Own, kPidStatus, kStatusTitle, kStatusDesc, (flags.Status & kShownByDefault) != 0,
                      false};
        return true;
    case 1:
        // Shown by default whatever its flags say.
        definition = {ColumnSet::Own, kPidTag, kTagTitle, kTagDesc, true, false};
        return true;
    case 2:
        definition = {ColumnSet::Own, kPidOptions, kOptionsTitle, kOptionsDesc,
                      (flags.Options & kShownByDefault) != 0, false};
        return true;
    case 3:
        definition = {ColumnSet::SummaryInformation, kPidRevisionNumber, kRevisionTitle, kRevisionDesc, true, false};
        return true;
    case 4:
        if (!(flags.Author & kAvailable)) return false;
        // Each value runs the client: always slow.
        definition = {ColumnSet::SummaryInformation, kPidAuthor, kAuthorTitle, kAuthorDesc,
                      (flags.Author & kShownByDefault) != 0, true};
        return true;
    default:
        return false;
    }
}

std::string TagColumnText(const std::string& tagDate) {
    if (!tagDate.empty() && tagDate[0] == 'T') return tagDate.substr(1);
    return tagDate;
}

std::string RevisionColumnText(const std::string& revision) {
    if (!revision.empty() && revision[0] == '-') return revision.substr(1);
    return revision;
}

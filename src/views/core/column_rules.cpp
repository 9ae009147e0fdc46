#include "views/core/column_rules.h"

#include "resources/resource.h"

bool GetColumnDefinition(const ColumnFlags& flags, uint32_t index, ColumnDefinition& definition) {
    switch (index) {
    case 0:
        definition = {ColumnSet::Own, kPidStatus, IDS_COL_STATUS, IDS_COL_STATUS_DESC,
                      (flags.Status & kColumnShownByDefault) != 0, false};
        return true;
    case 1:
        // Shown by default whatever its flags say.
        definition = {ColumnSet::Own, kPidTag, IDS_COL_TAG, IDS_COL_TAG_DESC, true, false};
        return true;
    case 2:
        definition = {ColumnSet::Own, kPidOptions, IDS_COL_OPTIONS, IDS_COL_OPTIONS_DESC,
                      (flags.Options & kColumnShownByDefault) != 0, false};
        return true;
    case 3:
        definition = {ColumnSet::SummaryInformation, kPidRevisionNumber, IDS_COL_REVISION, IDS_COL_REVISION_DESC,
                      true, false};
        return true;
    case 4:
        if (!(flags.Author & kColumnAvailable)) return false;
        // Each value runs the client: always slow.
        definition = {ColumnSet::SummaryInformation, kPidAuthor, IDS_COL_AUTHOR, IDS_COL_AUTHOR_DESC,
                      (flags.Author & kColumnShownByDefault) != 0, true};
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

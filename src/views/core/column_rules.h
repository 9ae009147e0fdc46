// The rules of the "CVS ..." detail-view columns: which columns exist, which are shown by default, and
// the text each shows for a file's entry. Platform-free; the COM side is views/column_provider.h.
#pragma once

#include <cstdint>
#include <string>

// The bits of a column's flag word.
constexpr uint32_t kColumnAvailable = 1;       // "Author" only: the column exists at all
constexpr uint32_t kColumnShownByDefault = 2;  // Status, Options, Author: shown without being chosen

// One flag word per column, as stored under the Columns settings key; the defaults stand for a missing
// value (the only place they are written down).
struct ColumnFlags {
    uint32_t Status = kColumnAvailable | kColumnShownByDefault;
    uint32_t Tag = kColumnAvailable | kColumnShownByDefault;
    uint32_t Options = kColumnAvailable;
    uint32_t Revision = kColumnAvailable;
    uint32_t Author = 0;
};

enum class ColumnSet { Own, SummaryInformation };

struct ColumnDefinition {
    ColumnSet Set;
    uint32_t PropertyId;
    uint32_t TitleId;        // string-table ids
    uint32_t DescriptionId;
    bool ShownByDefault;
    bool Slow;
};

// Property ids of the columns.
constexpr uint32_t kPidStatus = 0;
constexpr uint32_t kPidTag = 1;
constexpr uint32_t kPidOptions = 2;
constexpr uint32_t kPidRevisionNumber = 9;  // PIDSI_REVNUMBER of the summary information
constexpr uint32_t kPidAuthor = 4;          // PIDSI_AUTHOR

// The definition of the column at `index`; false when there is none (the end of the list): index 4 exists
// only when bit 0 of the Author flags is set, no index above 4 exists.
bool GetColumnDefinition(const ColumnFlags& flags, uint32_t index, ColumnDefinition& definition);

// "CVS Tag": the entry's TagDate without a leading "T" (a sticky date keeps its "D").
std::string TagColumnText(const std::string& tagDate);
// "CVS Revision": the entry's revision without a leading "-" (a file scheduled for removal).
std::string RevisionColumnText(const std::string& revision);

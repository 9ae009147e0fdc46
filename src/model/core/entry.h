// One file line of CVS/Entries and its parser. Platform-free.
#pragma once

#include <string>
#include <string_view>

// The fields of '/Name/Revision/Timestamp/Options/TagDate', verbatim.
struct CCVSEntry {
    std::string Name;
    std::string Revision;   // "0": scheduled for addition; "-1.3": scheduled for removal
    std::string Timestamp;  // the file's time as the client recorded it, or "Result of merge..."
    std::string Options;    // keyword expansion such as "-kb"
    std::string TagDate;    // "T<tag>" or "D<date>", or empty
};

// True when the line is a file line: a leading "/" and closing "/" after Name, Revision, Timestamp and
// Options. Folder lines ("D/sub////") and the lone "D" are not. On false the entry holds no meaning.
bool ParseEntryLine(std::string_view line, CCVSEntry& entry);

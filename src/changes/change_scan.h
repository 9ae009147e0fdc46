// The rows of the changes list for a selection, from the working copy alone (never the server): each
// folder is enumerated once and its CVS/Entries read once through the model's index; a file's state comes
// from the time its enumeration reported. Runs on the caller's thread and helper threads it ends before it
// returns (a thread per processor, at most four in all); nothing is kept between calls.
#pragma once

#include "changes/core/change_rules.h"

#include <string>
#include <vector>

namespace changes {

struct ScanResult {
    std::string base;             // the folder the rows' paths are relative to (no trailing '\')
    std::vector<ChangeItem> rows;  // sorted (SortRows)
};

// Selected folders are listed recursively (every working folder below), selected files by themselves.
// False when the selection has no common folder.
bool ScanChanges(const std::vector<std::string>& selection, ScanResult& result);

// base + "\" + path.
std::string FullPath(const std::string& base, const std::string& path);

}  // namespace changes

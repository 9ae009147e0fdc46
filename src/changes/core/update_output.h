// Reads what "cvs -n -q update" prints: one line per file with a status letter on standard output
// ("U name", "P", "A", "R", "M", "C", "?"), a "Merging differences ... into name" block before the
// letter of a file that changed on both sides, and messages on standard error for a file that was lost or
// that the repository no longer has. Platform-free; the input is outside data (any bytes).
#pragma once

#include "changes/core/change_rules.h"

#include <string_view>
#include <vector>

namespace changes {

// The files the output names, in order of appearance, paths with '\' between names as in the rows:
//   U, P       needs update (lost: missing here, needs update)
//   M          modified here; after a merge block: needs merge
//   C          after a merge block: would conflict; otherwise in conflict here
//   A, R       added, removed here
//   ?          unversioned
//   "`name' is no longer in the repository": removed there
// Lines it does not know are skipped.
std::vector<RemoteState> ParseUpdateOutput(std::string_view stdOut, std::string_view stdErr);

}  // namespace changes

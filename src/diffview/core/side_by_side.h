// The rows of a side-by-side view: each row shows a line of the old file, of the new file, or of both.
// Platform-free.
#pragma once

#include "diffview/core/line_diff.h"

#include <cstddef>
#include <vector>

namespace diffview {

enum class RowKind {
    kSame,     // the line is on both sides, unchanged
    kChanged,  // a removed line paired with an added line: the same place in both versions
    kRemoved,  // only in the old file
    kAdded,    // only in the new file
};

struct Row {
    RowKind kind;
    std::ptrdiff_t left;   // line index in the old file, -1 when the row has none
    std::ptrdiff_t right;  // line index in the new file, -1 when the row has none

    bool operator==(const Row& o) const { return kind == o.kind && left == o.left && right == o.right; }
};

// Between two common lines, the removed and the added lines are paired in order as changed rows; the
// surplus of one side follows as removed or added rows. Every line of each side appears once, in order.
std::vector<Row> AlignRows(const DiffMarks& marks);

// The first row of each change (a run of rows that are not kSame), ascending.
std::vector<std::size_t> ChangeStarts(const std::vector<Row>& rows);

// The start of the next change after row `current`, or of the previous change before it (the change that
// contains `current` counts as previous only when `current` is past its first row); false when there is
// none.
bool NextChange(const std::vector<std::size_t>& starts, std::size_t current, std::size_t& row);
bool PreviousChange(const std::vector<std::size_t>& starts, std::size_t current, std::size_t& row);

}  // namespace diffview

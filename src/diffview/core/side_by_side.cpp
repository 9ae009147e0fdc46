#include "diffview/core/side_by_side.h"

#include <algorithm>

namespace diffview {

std::vector<Row> AlignRows(const DiffMarks& marks) {
    const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(marks.removed.size());
    const std::ptrdiff_t m = static_cast<std::ptrdiff_t>(marks.added.size());
    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(std::max(n, m)));
    std::ptrdiff_t i = 0, j = 0;
    while (i < n || j < m) {
        std::ptrdiff_t removedEnd = i, addedEnd = j;
        while (removedEnd < n && marks.removed[removedEnd]) ++removedEnd;
        while (addedEnd < m && marks.added[addedEnd]) ++addedEnd;
        if (removedEnd == i && addedEnd == j) {
            // Both at a common line (or one side is exhausted and the other's rest is unmarked, which a
            // diff never yields; show it as one-sided then).
            if (i < n && j < m) {
                rows.push_back({RowKind::kSame, i++, j++});
            } else if (i < n) {
                rows.push_back({RowKind::kRemoved, i++, -1});
            } else {
                rows.push_back({RowKind::kAdded, -1, j++});
            }
            continue;
        }
        while (i < removedEnd && j < addedEnd) rows.push_back({RowKind::kChanged, i++, j++});
        while (i < removedEnd) rows.push_back({RowKind::kRemoved, i++, -1});
        while (j < addedEnd) rows.push_back({RowKind::kAdded, -1, j++});
    }
    return rows;
}

std::vector<std::size_t> ChangeStarts(const std::vector<Row>& rows) {
    std::vector<std::size_t> starts;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].kind != RowKind::kSame && (r == 0 || rows[r - 1].kind == RowKind::kSame)) starts.push_back(r);
    }
    return starts;
}

bool NextChange(const std::vector<std::size_t>& starts, std::size_t current, std::size_t& row) {
    const auto it = std::upper_bound(starts.begin(), starts.end(), current);
    if (it == starts.end()) return false;
    row = *it;
    return true;
}

bool PreviousChange(const std::vector<std::size_t>& starts, std::size_t current, std::size_t& row) {
    const auto it = std::lower_bound(starts.begin(), starts.end(), current);
    if (it == starts.begin()) return false;
    row = *(it - 1);
    return true;
}

}  // namespace diffview

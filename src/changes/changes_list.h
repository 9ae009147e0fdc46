// The changes list: a report-style list view with a check box per row, the path, the local state and
// what "Check repository" found; versioned rows first, the unversioned ones in a group of their own
// (unchecked). Multi-select; Space checks or unchecks every selected row, Ctrl+A selects all, Enter and a
// double click open the focused row. The object subclasses nothing: its dialog hands it the WM_NOTIFY
// messages of the control. Lives on the dialog's thread, as long as the dialog.
#pragma once

#include "changes/core/change_rules.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace changes {

class CChangesList {
public:
    // Takes the list view: columns, check boxes, full-row selection, groups where the control has them.
    void Attach(HWND list);
    // Shows the rows. With `keepChecks`, a row whose path was listed before keeps its check; every other
    // row starts as CheckedByDefault says. Unversioned rows start unchecked always.
    void SetRows(std::vector<ChangeItem> rows, bool keepChecks);
    const std::vector<ChangeItem>& Rows() const { return rows_; }
    std::vector<ChangeItem> CheckedRows() const;
    size_t CheckedCount() const;
    void SetChecked(size_t row, bool checked);
    // The rows' paths whose check boxes are set (for tests and the windows' buttons).
    std::vector<std::string> CheckedPaths() const;
    // The WM_NOTIFY of the control; true when handled.
    bool OnNotify(const NMHDR& header, LRESULT& result);
    // The columns fill the control's width (after the dialog resized it).
    void FitColumns();

    std::function<void(const ChangeItem&)> onOpen;  // a double click or Enter on a row
    std::function<void()> onChecksChanged;          // a check box changed

private:
    bool IsChecked(size_t row) const;
    HWND list_ = nullptr;
    std::vector<ChangeItem> rows_;
    bool filling_ = false;  // SetRows is setting the checks: no notifications
};

}  // namespace changes

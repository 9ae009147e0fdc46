// The commit dialog: the message with its recent list, and the changes list of the selection with the
// changed files checked. Only the checked files are committed: a checked unversioned file is added first
// (with -kb when it is binary by content or by name), a checked missing file is removed first. OK stays
// disabled while nothing is checked.
#pragma once

#include "changes/change_commands.h"
#include "changes/list_dialog.h"
#include "settings/mru_list.h"

#include <windows.h>

#include <string>
#include <vector>

namespace changes {

class CCommitChangesDlg : public CListDialog {
public:
    // `checked`, when not empty, are the full paths that start checked (every other row unchecked).
    CCommitChangesDlg(std::vector<std::string> selection, std::vector<std::string> checked = {});

    std::string message;        // in and out
    std::string base;           // out: the folder the rows are relative to
    std::vector<ChangeItem> rows;  // out, after IDOK: the checked rows

    CChangesList& List() { return list_; }  // the dialog's list (tests drive it)

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;

private:
    void UpdateSummary();
    std::vector<std::string> selection_;
    std::vector<std::string> initiallyChecked_;
    settings::CMRUList recentMessages_;
};

// The plan's commands for the checked rows of `base` (full paths), in order; the message goes through
// `messageFile` (its path) or, when that is empty, on the command line.
std::vector<CommandStep> CommitSteps(const std::string& base, const std::vector<ChangeItem>& checked,
                                            const std::string& message, const std::string& messageFile);

// Shows the dialog for the selection and commits what was checked. S_OK, E_ABORT (cancelled), or the
// run's failure. `checked` as in the dialog.
HRESULT CommitSelection(const std::vector<std::string>& selection, HWND owner, const RetryOffer& offerRetry,
                        const std::vector<std::string>& checked = {});

// The Diff of a row: Ferrow.exe's diff of the working file against its base revision, started beside
// this program. Nothing for an unversioned or missing file.
void ShowDiff(const std::string& base, const ChangeItem& row, HWND owner);

}  // namespace changes

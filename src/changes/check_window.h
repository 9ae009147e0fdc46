// Check for modifications: the changes list of the selection in a window of its own, with "Check
// repository" (what "cvs -n -q update" reports: needs update, needs merge, would conflict, removed there)
// and, on the checked rows, Diff, Commit..., Undo, Add, Remove and Update; the list is read again after
// each. Runs modally on the caller's thread.
#pragma once

#include "changes/change_commands.h"
#include "changes/list_dialog.h"

#include <windows.h>

#include <string>
#include <vector>

namespace changes {

class CCheckDlg : public CListDialog {
public:
    // `offerRetry`: asked when a command of the window fails (RunSteps).
    CCheckDlg(std::vector<std::string> selection, RetryOffer offerRetry);
    CChangesList& List() { return list_; }
    const std::string& Base() const { return base_; }
    // Reads the working copy again (checks kept); with `repository`, asks the server too.
    void Refresh(bool repository);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;

private:
    void UpdateButtons();
    std::vector<std::string> CheckedFullPaths(bool versioned, bool unversioned) const;
    void RunOnChecked(WORD id);
    std::vector<std::string> selection_;
    RetryOffer offerRetry_;
    std::string base_;
};

HRESULT ShowCheckForModifications(const std::vector<std::string>& selection, HWND owner,
                                  const RetryOffer& offerRetry);

}  // namespace changes

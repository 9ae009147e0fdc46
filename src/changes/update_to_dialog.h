// Update to...: the selection updated to a tag or branch (the names of the first file's log), to a date,
// or back to the head, with the sticky state of the first item shown in the output window after.
#pragma once

#include "changes/change_commands.h"
#include "changes/core/update_to_rules.h"
#include "common/dialog.h"

#include <windows.h>

#include <string>
#include <vector>

namespace changes {

class CUpdateToDlg : public ferrow::CDialog {
public:
    explicit CUpdateToDlg(std::vector<std::string> selection);
    UpdateTarget target = UpdateTarget::kHead;  // out
    std::string value;                          // out: the tag or the date

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;

private:
    void EnableFields();
    std::vector<std::string> selection_;
};

// The sticky state of a file (its entry's TagDate) or folder (CVS/Tag) as a sentence of the string table.
std::string StickyStateText(const std::string& path);

HRESULT UpdateSelectionTo(const std::vector<std::string>& selection, HWND owner, const RetryOffer& offerRetry);

}  // namespace changes

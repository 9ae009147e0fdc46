// The base of the resizable dialogs around the changes list: the list, which answers its own
// notifications, and the layout that moves the controls with the dialog's size.
#pragma once

#include "changes/anchor_layout.h"
#include "changes/changes_list.h"
#include "common/dialog.h"

#include <windows.h>

namespace changes {

class CListDialog : public ferrow::CDialog {
public:
    using CDialog::CDialog;

protected:
    bool OnNotify(const NMHDR& header, LRESULT& result) override { return list_.OnNotify(header, result); }
    // The size (WM_SIZE) and its least (WM_GETMINMAXINFO); a derived dialog that answers more calls this last.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    CChangesList list_;
    CAnchorLayout layout_;
};

}  // namespace changes

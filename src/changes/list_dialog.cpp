#include "changes/list_dialog.h"

namespace changes {

bool CListDialog::OnMessage(UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_SIZE) {
        layout_.Apply(Window());
        list_.FitColumns();
        return true;
    }
    if (message == WM_GETMINMAXINFO) {
        layout_.Limit(*reinterpret_cast<MINMAXINFO*>(lParam));
        return true;
    }
    return false;
}

}  // namespace changes

// The frame both viewers share: a resizable dialog around a virtual list view of text in a fixed-pitch
// font, at least half its template's size, that can close itself after a time (the demo's pictures). A
// derived window answers the cells (CellText) and places its controls (Layout). Modal, on the caller's
// thread.
#pragma once

#include "common/dialog.h"
#include "common/handles.h"

#include <windows.h>

#include <string>

namespace diffview {

class CTextListWindow : public ferrow::CDialog {
protected:
    CTextListWindow(UINT templateId, unsigned closeAfterMs) : CDialog(templateId), closeAfterMs_(closeAfterMs) {}

    // From OnInitDialog, first: the list, its font and styles.
    void AttachList(HWND list);
    // From OnInitDialog, once the list is filled: the sizes from dialog units, the minimum size, the layout,
    // the close timer and the focus.
    void FinishInit();
    // Answers the list's text requests (both character sets) from CellText; false for other notifications.
    bool AnswerDisplayInfo(const NMHDR& header) const;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    virtual std::wstring CellText(int index, int column) const = 0;
    virtual void Layout() = 0;

    HWND list_ = nullptr;
    ferrow::UniqueGdiObject font_;
    int margin_ = 10;
    int buttonHeight_ = 24;

private:
    POINT minSize_ = {300, 200};
    unsigned closeAfterMs_ = 0;
};

}  // namespace diffview

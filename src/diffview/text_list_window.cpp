#include "diffview/text_list_window.h"

#include "common/text.h"

#include <commctrl.h>

namespace diffview {

void CTextListWindow::AttachList(HWND list) {
    list_ = list;
    HDC dc = ::GetDC(Window());
    const int height = -::MulDiv(9, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
    ::ReleaseDC(Window(), dc);
    font_.Reset(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Consolas"));
    if (font_) ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
}

void CTextListWindow::FinishInit() {
    RECT dlu = {7, 14, 0, 0};  // margin; button height
    ::MapDialogRect(Window(), &dlu);
    margin_ = dlu.left;
    buttonHeight_ = dlu.top;
    RECT window = {};
    ::GetWindowRect(Window(), &window);
    minSize_ = {(window.right - window.left) / 2, (window.bottom - window.top) / 2};
    Layout();
    if (closeAfterMs_) ::SetTimer(Window(), 1, closeAfterMs_, nullptr);
    ::SetFocus(list_);
}

bool CTextListWindow::AnswerDisplayInfo(const NMHDR& header) const {
    if (header.hwndFrom != list_) return false;
    if (header.code == LVN_GETDISPINFOW) {
        const LVITEMW& item = reinterpret_cast<const NMLVDISPINFOW&>(header).item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
            lstrcpynW(item.pszText, CellText(item.iItem, item.iSubItem).c_str(), item.cchTextMax);
        return true;
    }
    if (header.code == LVN_GETDISPINFOA) {
        const LVITEMA& item = reinterpret_cast<const NMLVDISPINFOA&>(header).item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
            lstrcpynA(item.pszText, ferrow::WideToAnsi(CellText(item.iItem, item.iSubItem)).c_str(), item.cchTextMax);
        return true;
    }
    return false;
}

bool CTextListWindow::OnMessage(UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        Layout();
        return true;
    case WM_TIMER:
        End(IDCANCEL);
        return true;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = minSize_;
        return true;
    default:
        return false;
    }
}

}  // namespace diffview

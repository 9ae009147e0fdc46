#include "changes/anchor_layout.h"

namespace changes {

void CAnchorLayout::Add(HWND dialog, int id, unsigned how) {
    if (anchors_.empty()) {
        RECT client = {}, window = {};
        ::GetClientRect(dialog, &client);
        ::GetWindowRect(dialog, &window);
        client_ = {client.right, client.bottom};
        minimum_ = {window.right - window.left, window.bottom - window.top};
    }
    HWND control = ::GetDlgItem(dialog, id);
    if (!control) return;
    RECT rect = {};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    anchors_.push_back(Anchor{id, how, rect});
}

void CAnchorLayout::Apply(HWND dialog) const {
    if (anchors_.empty()) return;
    RECT client = {};
    ::GetClientRect(dialog, &client);
    const int dx = client.right - client_.cx;
    const int dy = client.bottom - client_.cy;
    HDWP batch = ::BeginDeferWindowPos(static_cast<int>(anchors_.size()));
    for (const Anchor& anchor : anchors_) {
        RECT r = anchor.rect;
        if (anchor.how & kMoveX) ::OffsetRect(&r, dx, 0);
        if (anchor.how & kMoveY) ::OffsetRect(&r, 0, dy);
        if (anchor.how & kGrowX) r.right += dx;
        if (anchor.how & kGrowY) r.bottom += dy;
        HWND control = ::GetDlgItem(dialog, anchor.id);
        if (batch && control) {
            batch = ::DeferWindowPos(batch, control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                     SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (batch) ::EndDeferWindowPos(batch);
    ::InvalidateRect(dialog, nullptr, TRUE);
}

void CAnchorLayout::Limit(MINMAXINFO& info) const {
    if (minimum_.cx == 0) return;
    info.ptMinTrackSize.x = minimum_.cx;
    info.ptMinTrackSize.y = minimum_.cy;
}

}  // namespace changes

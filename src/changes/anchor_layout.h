// Keeps a resizable dialog's controls in place: each control remembers its rectangle and how it follows
// the dialog's size (moves right or down with the edge, or grows). Used on the dialog's thread only.
#pragma once

#include <windows.h>

#include <vector>

namespace changes {

class CAnchorLayout {
public:
    enum : unsigned { kMoveX = 1, kMoveY = 2, kGrowX = 4, kGrowY = 8 };
    // Records the dialog's client size and window size (the smallest allowed) at the first call.
    void Add(HWND dialog, int id, unsigned how);
    // On WM_SIZE.
    void Apply(HWND dialog) const;
    // On WM_GETMINMAXINFO.
    void Limit(MINMAXINFO& info) const;

private:
    struct Anchor {
        int id;
        unsigned how;
        RECT rect;
    };
    std::vector<Anchor> anchors_;
    SIZE client_ = {};
    SIZE minimum_ = {};
};

}  // namespace changes

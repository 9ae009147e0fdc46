// Whether the classic "CVS" submenu is being shown in this session: from a classic handler's Initialize
// until it is released, it holds a named kernel object. Windows 11 shows packaged commands in the classic
// menu ("Show more options") too, where the classic handler already adds the submenu; the command class
// (which the shell may run in a surrogate process) then hides itself. Kernel objects are shared by the
// processes of one session, so the mark reaches across processes.
#pragma once

#include "common/handles.h"

namespace menu {

// Held by a classic handler that added, or may add, its submenu. Move-only; releasing it ends the mark
// when no other holder is left.
ferrow::UniqueKernelHandle MarkClassicMenu() noexcept;

// True while any classic handler of the session holds a mark.
bool ClassicMenuShown() noexcept;

}  // namespace menu

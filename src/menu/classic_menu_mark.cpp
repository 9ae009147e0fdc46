#include "menu/classic_menu_mark.h"

#include <windows.h>

namespace menu {
namespace {

// One name per session ("Local\"); the object lives while any process holds a handle to it.
const wchar_t kMarkName[] = L"Local\\Ferrow.ClassicMenuShown";

}  // namespace

ferrow::UniqueKernelHandle MarkClassicMenu() noexcept {
    return ferrow::UniqueKernelHandle(::CreateEventW(nullptr, TRUE, FALSE, kMarkName));
}

bool ClassicMenuShown() noexcept {
    ferrow::UniqueKernelHandle mark(::OpenEventW(SYNCHRONIZE, FALSE, kMarkName));
    return static_cast<bool>(mark);
}

}  // namespace menu

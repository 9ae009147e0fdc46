// The overlay identifiers registered on this system, as the shell of each bitness finds them: the key
// names under HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\ShellIconOverlayIdentifiers of one
// registry view, and their load order (com/core/overlay_order.h).
#pragma once

#include "com/core/overlay_order.h"

#include <windows.h>

#include <string>
#include <vector>

namespace ferrow {

constexpr wchar_t kOverlayIdentifiersKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellIconOverlayIdentifiers";

// The registry view of the other bitness (KEY_WOW64_32KEY or KEY_WOW64_64KEY) when this system has one
// (64-bit Windows), false on 32-bit Windows.
bool OtherRegistryView(REGSAM& view);

// The load order of one view (0: this process's own, or a KEY_WOW64_ flag). False when the key cannot be
// read; `order` is then empty.
bool ReadOverlayLoadOrder(REGSAM view, OverlayLoadOrder& order);

}  // namespace ferrow

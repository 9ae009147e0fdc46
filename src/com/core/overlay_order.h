// The order in which the shell loads overlay identifiers, and where the module's two stand in it.
// Platform-free.
//
// The shell enumerates the subkeys of ShellIconOverlayIdentifiers (RegEnumKeyEx), and the registry hands
// them out sorted by name as it keeps them: ordinal, case ignored (each UTF-16 unit upper-cased, then
// compared by value, no language rules), so a leading space (U+0020) sorts before every digit and letter
// and more leading spaces sort first. The system image list has 15 overlay slots and Windows keeps 4 of
// them for itself (shortcut, share and the like), so the first 11 identifiers in that order are loaded and
// the rest never asked.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ferrow {

// Key names of the module's identifiers: the controlled mark (blue, CCVSModifiedIconOverlay) and the
// modified mark (red, CCVSIconOverlay). Six leading spaces put them before those of the common sync clients
// and version-control tools (which use up to five). The registration script names them through the
// replacements %OVERLAY_CONTROLLED% and %OVERLAY_MODIFIED%; older versions used "CVSModified" and
// "CVSControlled", which registration and removal delete.
constexpr wchar_t kOverlayKeyControlled[] = L"      FerrowControlled";
constexpr wchar_t kOverlayKeyModified[] = L"      FerrowModified";

constexpr size_t kOverlaySlots = 11;  // identifiers the shell loads: 15 slots, 4 kept by Windows

// True when the shell enumerates `a` before `b`.
bool OverlayKeyBefore(const std::wstring& a, const std::wstring& b);

struct OverlayLoadOrder {
    static constexpr size_t npos = static_cast<size_t>(-1);

    std::vector<std::wstring> names;  // every identifier, in the order the shell loads them
    size_t controlled = npos;         // 0-based places of the module's two; npos: not registered
    size_t modified = npos;

    bool Registered() const { return controlled != npos && modified != npos; }
    // Both of the module's identifiers are among those the shell loads.
    bool Loaded() const { return Registered() && controlled < kOverlaySlots && modified < kOverlaySlots; }
    // Identifiers of other programs that sort before the later of the module's two.
    size_t OthersBefore() const;
};

// The load order of the given key names (as the registry lists them, in any order).
OverlayLoadOrder MakeOverlayLoadOrder(std::vector<std::wstring> names);

}  // namespace ferrow

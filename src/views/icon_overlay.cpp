#include "views/icon_overlay.h"

#include "common/exception_guard.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "model/admin_files.h"
#include "model/file_status.h"

#include <shlwapi.h>

#include <string>

namespace ferrow {
namespace {

// The shell's wide path as the extension's narrow path (thread ANSI code page); empty when unusable: a
// path the code page cannot spell, or too long for the extension, would name another item.
std::string NarrowPath(LPCWSTR path) {
    std::string narrow;
    if (!WideToAnsiPath(path, narrow)) return std::string();
    return narrow;
}

}  // namespace

HRESULT FillOverlayInfo(LPWSTR iconFile, int capacity, int* index, DWORD* flags, int iconIndex) noexcept {
    if (!iconFile || !index || !flags) return E_POINTER;
    if (capacity < 1) return E_INVALIDARG;
    std::wstring module;
    const HRESULT hr = ModuleFileName(ModuleInstance(), module);  // a cut name would name no file
    if (FAILED(hr)) return hr;
    ::lstrcpynW(iconFile, module.c_str(), capacity);
    *index = iconIndex;
    *flags |= ISIOI_ICONFILE | ISIOI_ICONINDEX;
    return S_OK;
}

}  // namespace ferrow

// Any failure to read the working copy makes the item a non-member: the shell only wants yes or no.
HRESULT CCVSIconOverlay::IsMemberOf(LPCWSTR path, DWORD) {
    return ferrow::GuardedAnswer(S_FALSE, [path]() -> HRESULT {
        const std::string narrow = ferrow::NarrowPath(path);
        if (narrow.empty()) return S_FALSE;
        // A listed file's entry and one look at the file; folders and unlisted items are never members.
        return IsModifiedFile(narrow.c_str()) ? S_OK : S_FALSE;
    });
}

HRESULT CCVSIconOverlay::GetOverlayInfo(LPWSTR iconFile, int capacity, int* index, DWORD* flags) {
    return ferrow::FillOverlayInfo(iconFile, capacity, index, flags, ferrow::kModifiedIconIndex);
}

HRESULT CCVSIconOverlay::GetPriority(int* priority) {
    if (!priority) return E_POINTER;
    *priority = 0;
    return S_OK;
}

HRESULT CCVSModifiedIconOverlay::IsMemberOf(LPCWSTR path, DWORD) {
    return ferrow::GuardedAnswer(S_FALSE, [path]() -> HRESULT {
        const std::string narrow = ferrow::NarrowPath(path);
        if (narrow.empty()) return S_FALSE;
        return IsControlled(narrow.c_str()) ? S_OK : S_FALSE;
    });
}

HRESULT CCVSModifiedIconOverlay::GetOverlayInfo(LPWSTR iconFile, int capacity, int* index, DWORD* flags) {
    return ferrow::FillOverlayInfo(iconFile, capacity, index, flags, ferrow::kControlledIconIndex);
}

HRESULT CCVSModifiedIconOverlay::GetPriority(int* priority) {
    if (!priority) return E_POINTER;
    *priority = 5;
    return S_OK;
}

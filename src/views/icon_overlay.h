// The two icon-overlay identifiers. Note how the names cross: CCVSIconOverlay (registered under
// "CVSControlled") marks files with local changes (red, icon index 2, priority 0), while
// CCVSModifiedIconOverlay (registered under "CVSModified") marks every item under version control (blue,
// icon index 1, priority 5). A modified file is a member of both; the red mark wins on priority.
// Both are stateless: every answer is read from the working copy at the moment it is asked.
#pragma once

#include "com/com_object.h"
#include "com/guids.h"

#include <shlobj.h>

// Files with local changes: controlled, not a folder, and a status other than OK.
class CCVSIconOverlay : public ferrow::ComObject<CCVSIconOverlay, IShellIconOverlayIdentifier> {
public:
    static const CLSID& ClassId() { return CLSID_CCVSIconOverlay; }

    STDMETHODIMP IsMemberOf(LPCWSTR path, DWORD attributes) override;
    STDMETHODIMP GetOverlayInfo(LPWSTR iconFile, int capacity, int* index, DWORD* flags) override;
    STDMETHODIMP GetPriority(int* priority) override;
};

// Every item under version control.
class CCVSModifiedIconOverlay : public ferrow::ComObject<CCVSModifiedIconOverlay, IShellIconOverlayIdentifier> {
public:
    static const CLSID& ClassId() { return CLSID_CCVSModifiedIconOverlay; }

    STDMETHODIMP IsMemberOf(LPCWSTR path, DWORD attributes) override;
    STDMETHODIMP GetOverlayInfo(LPWSTR iconFile, int capacity, int* index, DWORD* flags) override;
    STDMETHODIMP GetPriority(int* priority) override;
};

namespace ferrow {

// Positions of the marks among the module's icon groups (the shell's ExtractIcon numbering).
constexpr int kControlledIconIndex = 1;  // icon group 204, blue
constexpr int kModifiedIconIndex = 2;    // icon group 205, red

// The module's file name cut to capacity - 1 characters and terminated, the index, and the icon-file and
// icon-index flags added to *flags. E_POINTER for a missing pointer, E_INVALIDARG for a capacity below 1,
// the system error when the module's name cannot be read.
HRESULT FillOverlayInfo(LPWSTR iconFile, int capacity, int* index, DWORD* flags, int iconIndex) noexcept;

}  // namespace ferrow

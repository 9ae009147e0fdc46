// Reads raw resources of a module and decodes extended dialog templates, so the tests can check what
// the resource compiler produced rather than what the source says.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace restest {

// The bytes of one resource in one language; empty when it does not exist.
std::vector<std::uint8_t> ResourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language);
inline std::vector<std::uint8_t> ResourceBytes(HMODULE module, LPCWSTR type, UINT id, WORD language) {
    return ResourceBytes(module, type, MAKEINTRESOURCEW(id), language);
}
// For the predefined types (RT_DIALOG, RT_BITMAP, ...), which are integer resources.
inline std::vector<std::uint8_t> ResourceBytes(HMODULE module, LPCSTR predefinedType, UINT id, WORD language) {
    return ResourceBytes(module, MAKEINTRESOURCEW(reinterpret_cast<ULONG_PTR>(predefinedType)), id, language);
}

struct DialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;  // predefined classes by name ("Button", "Edit", "Static", "ComboBox")
    std::wstring text;
    int textOrdinal = -1;  // an icon control's resource id
};

struct DialogTemplate {
    bool extended = false;  // DLGTEMPLATEEX (dlgVer 1, signature 0xFFFF)
    DWORD style = 0;
    DWORD exStyle = 0;
    short cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring font;
    std::vector<DialogItem> items;

    const DialogItem* Find(int id) const {
        for (const auto& item : items)
            if (item.id == id) return &item;
        return nullptr;
    }
};

// Decodes an extended template; returns false on a malformed or non-extended one.
bool ParseDialog(const std::vector<std::uint8_t>& bytes, DialogTemplate& out);

constexpr WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);  // 1033
constexpr WORD kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);        // 1031

}  // namespace restest

// Reading the registry in tests: small helpers that answer "absent" rather than failing.
#pragma once

#include "common/handles.h"

#include <windows.h>

#include <string>

namespace ferrow_test {

inline bool KeyExists(HKEY root, const std::wstring& path) {
    ferrow::UniqueKey key;
    return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

// The REG_SZ value (name empty: the default value); false when the key or value is missing or not a string.
inline bool ReadString(HKEY root, const std::wstring& path, const std::wstring& name, std::wstring& value) {
    value.clear();
    ferrow::UniqueKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return false;
    wchar_t buffer[1024] = {};
    DWORD type = 0, size = sizeof(buffer) - sizeof(wchar_t);
    if (::RegQueryValueExW(key.Get(), name.empty() ? nullptr : name.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_SZ) return false;
    value.assign(buffer, size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    return true;
}

// Number of subkeys and values of a key; -1 when it does not exist.
inline int CountEntries(HKEY root, const std::wstring& path) {
    ferrow::UniqueKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return -1;
    DWORD subkeys = 0, values = 0;
    ::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
    return static_cast<int>(subkeys + values);
}

inline std::wstring GuidText(REFGUID guid) {
    wchar_t text[64] = {};
    ::StringFromGUID2(guid, text, 64);
    return text;
}

}  // namespace ferrow_test

// Test helpers for the registry settings under HKEY_CURRENT_USER\Software\Pembrake\Ferrow: a guard that
// removes the whole tree before and after a test, and raw writers for values of any type.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

constexpr const char kFerrowKey[] = "Software\\Pembrake\\Ferrow";

// Removes the extension's settings tree when created and when destroyed, so each test starts from a
// fresh user and leaves nothing behind.
class SettingsGuard {
public:
    SettingsGuard() { Clear(); }
    ~SettingsGuard() { Clear(); }
    SettingsGuard(const SettingsGuard&) = delete;
    SettingsGuard& operator=(const SettingsGuard&) = delete;

    static void Clear() { ::RegDeleteTreeA(HKEY_CURRENT_USER, kFerrowKey); }
};

// Writes a value of any type with raw bytes; true on success.
inline bool SetRawValue(const char* subkey, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG rc = ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

// Reads a value's type and raw bytes; false when it does not exist.
inline bool GetRawValue(const char* subkey, const char* name, DWORD& type, std::string& data) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    LONG rc = ::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        data.assign(size, '\0');
        rc = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
        data.resize(size);
    }
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

}  // namespace testing_support

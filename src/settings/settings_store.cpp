#include "settings/settings_store.h"

#include "common/handles.h"

#include <cstring>

namespace settings {
namespace {

ferrow::UniqueKey OpenForRead(const char* subkey) {
    ferrow::UniqueKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) key.Release();
    return key;
}

ferrow::UniqueKey OpenForWrite(const char* subkey) {
    ferrow::UniqueKey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                          nullptr, key.Put(), nullptr) != ERROR_SUCCESS) {
        key.Release();
    }
    return key;
}

}  // namespace

bool ReadString(const char* subkey, const char* name, std::string& value) {
    ferrow::UniqueKey key = OpenForRead(subkey);
    if (!key) return false;
    char buffer[260] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer;
    if (::RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    if (size == 0) {
        value.clear();
        return true;
    }
    if (size > sizeof buffer || buffer[size - 1] != '\0') return false;
    value.assign(buffer, strnlen(buffer, size));
    return true;
}

void ReadDword(const char* subkey, const char* name, DWORD& value) {
    ferrow::UniqueKey key = OpenForRead(subkey);
    if (!key) return;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (::RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) ==
            ERROR_SUCCESS &&
        size == sizeof data) {
        value = data;
    }
}

bool WriteString(const char* subkey, const char* name, const std::string& value) {
    ferrow::UniqueKey key = OpenForWrite(subkey);
    if (!key) return false;
    return ::RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool WriteDword(const char* subkey, const char* name, DWORD value) {
    ferrow::UniqueKey key = OpenForWrite(subkey);
    if (!key) return false;
    return ::RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

bool UseCVSNTTimestamps() {
    std::string rule;
    return ReadString(kOptionsKey, "TimestampCompatibility", rule) && rule == "CVSNT";
}

}  // namespace settings

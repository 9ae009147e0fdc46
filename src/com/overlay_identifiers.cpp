#include "com/overlay_identifiers.h"

#include "common/handles.h"

namespace ferrow {

bool OtherRegistryView(REGSAM& view) {
#ifdef _WIN64
    view = KEY_WOW64_32KEY;
    return true;
#else
    view = KEY_WOW64_64KEY;
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
#endif
}

bool ReadOverlayLoadOrder(REGSAM view, OverlayLoadOrder& order) {
    order = OverlayLoadOrder();
    UniqueKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kOverlayIdentifiersKey, 0, KEY_READ | view, key.Put()) != ERROR_SUCCESS)
        return false;
    std::vector<std::wstring> names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256] = {};  // the longest key name the registry allows, and its end
        DWORD length = 256;
        const LONG error = ::RegEnumKeyExW(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (error == ERROR_NO_MORE_ITEMS) break;
        if (error != ERROR_SUCCESS) return false;
        names.emplace_back(name, length);
    }
    order = MakeOverlayLoadOrder(std::move(names));
    return true;
}

}  // namespace ferrow

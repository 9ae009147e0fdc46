#include "module/registration.h"

#include "common/exception_guard.h"
#include "common/handles.h"
#include "common/module_instance.h"
#include "com/com_object.h"
#include "com/guids.h"
#include "module/module_scripts.h"
#include "com/object_map.h"
#include "com/overlay_identifiers.h"
#include "com/registrar.h"

#include <comcat.h>
#include <oleauto.h>

#include <string>

namespace ferrow {
namespace {

HRESULT ModulePathW(std::wstring& path) { return ModuleFileName(ModuleInstance(), path); }

// Switches the calling thread to the system default locale (and user-interface language, which selects
// resources on current systems) so that texts loaded while registering are in the system's language;
// restores both on every path.
class SystemLocaleScope {
public:
    SystemLocaleScope() noexcept : savedLocale_(::GetThreadLocale()), savedUiLanguage_(::GetThreadUILanguage()) {
        const LCID system = ::GetSystemDefaultLCID();
        ::SetThreadLocale(system);
        ::SetThreadUILanguage(LANGIDFROMLCID(system));
    }
    ~SystemLocaleScope() {
        ::SetThreadUILanguage(savedUiLanguage_);
        ::SetThreadLocale(savedLocale_);
    }
    SystemLocaleScope(const SystemLocaleScope&) = delete;
    SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

private:
    LCID savedLocale_;
    LANGID savedUiLanguage_;
};

// COM for the component-categories manager, when the caller has not initialised it on this thread.
class ComScope {
public:
    ComScope() noexcept : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

HRESULT CommonReplacements(RegistryReplacements& replacements) {
    std::wstring path;
    HRESULT hr = ModulePathW(path);
    if (FAILED(hr)) return hr;
    return AddModuleReplacements(path, replacements);
}

// On 64-bit Windows the 64-bit and the 32-bit DLL are registered side by side, one in each registry view.
// The views split HKCR\CLSID, HKCR\Interface and HKLM\Software, but share the rest of HKCR that the
// scripts write (file-type handler keys, the column handler, ProgIDs, AppIDs, the type library's key): the
// view of the other bitness comes from OtherRegistryView.
bool ClassRegisteredIn(REGSAM view, const std::wstring& clsid) {
    UniqueKey key;
    const std::wstring path = L"CLSID\\" + clsid;
    return ::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | view, key.Put()) == ERROR_SUCCESS;
}

std::wstring DefaultText(const std::wstring& path) {
    wchar_t text[64] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return {};
    return text;
}

bool IsClassOfTheModule(const std::wstring& text) {
    CLSID clsid;
    return text.size() == 38 && text[0] == L'{' && SUCCEEDED(::CLSIDFromString(text.c_str(), &clsid)) &&
           FindObjectEntry(clsid) != nullptr;
}

// Unregistration keeps a shared key while the other view's registration still uses it: while the class the
// key names is registered there (the class is the key's default value for handler keys, its CLSID subkey
// for ProgIDs, its name for the column handler); a key that names no class (the AppIDs) while any class of
// the module is. Without another view nothing is kept.
bool UsedByOtherView(HKEY root, const std::wstring& path) {
    REGSAM view = 0;
    if (root != HKEY_CLASSES_ROOT || !OtherRegistryView(view)) return false;
    if (::CompareStringOrdinal(path.c_str(), 6, L"CLSID\\", 6, TRUE) == CSTR_EQUAL ||
        ::CompareStringOrdinal(path.c_str(), 10, L"Interface\\", 10, TRUE) == CSTR_EQUAL)
        return false;
    std::wstring named = DefaultText(path);
    if (!IsClassOfTheModule(named)) named = DefaultText(path + L"\\CLSID");
    if (!IsClassOfTheModule(named)) named = path.substr(path.find_last_of(L'\\') + 1);
    if (IsClassOfTheModule(named)) return ClassRegisteredIn(view, named);
    const ObjectEntry* entries = ObjectMapBegin();
    for (size_t i = 0; i < ObjectMapSize(); ++i) {
        if (ClassRegisteredIn(view, GuidString(*entries[i].clsid))) return true;
    }
    return false;
}

HRESULT RunModuleScript(const RegistryReplacements& replacements, bool registering) {
    std::wstring script;
    HRESULT hr = LoadModuleRegistryScript(script);
    if (FAILED(hr)) return hr;
    return RunRegistryScript(script, replacements, registering, &UsedByOtherView);
}

HRESULT RunClassScript(const ObjectEntry& entry, RegistryReplacements replacements, bool registering) {
    HRESULT hr = AddClassReplacements(entry, registering, replacements);
    if (FAILED(hr)) return hr;
    return RunRegistryScript(ClassRegistryScript(), replacements, registering, &UsedByOtherView);
}

size_t CategoryCount(const ObjectEntry& entry) {
    size_t n = 0;
    while (n < kMaxCategories && entry.categories[n]) ++n;
    return n;
}

}  // namespace

HRESULT UpdateClassCategories(const ObjectEntry& entry, bool registering) noexcept {
    const size_t count = CategoryCount(entry);
    if (count == 0) return S_OK;
    if (!registering) {
        // Nothing to remove once the class key is gone (unregistering twice).
        bool present = false;
        const HRESULT hr = GuardedCall([&]() -> HRESULT {
            const std::wstring path = L"CLSID\\" + GuidString(*entry.clsid);
            UniqueKey key;
            present = ::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
            return S_OK;
        });
        if (FAILED(hr)) return hr;
        if (!present) return S_OK;
    }
    ComPtr<ICatRegister> manager;
    HRESULT hr = ::CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                                    manager.PutVoid());
    if (FAILED(hr)) return hr;
    CATID ids[kMaxCategories];
    for (size_t i = 0; i < count; ++i) ids[i] = *entry.categories[i];
    CLSID clsid = *entry.clsid;
    return registering ? manager->RegisterClassImplCategories(clsid, static_cast<ULONG>(count), ids)
                       : manager->UnRegisterClassImplCategories(clsid, static_cast<ULONG>(count), ids);
}

namespace {

HRESULT UpdateTypeLibrary(bool registering) {
    std::wstring module;
    HRESULT hr = ModulePathW(module);
    if (FAILED(hr)) return hr;
    ComPtr<ITypeLib> library;
    hr = ::LoadTypeLibEx(module.c_str(), REGKIND_NONE, library.Put());
    if (FAILED(hr)) return hr;
    if (registering) return ::RegisterTypeLib(library.Get(), &module[0], nullptr);
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (FAILED(hr)) return hr;
    // Already unregistered is what was asked for (systems differ in how they report it, so look first). The
    // key is shared by both registry views: only this bitness's entry counts (the other DLL's stays).
    wchar_t version[64] = {};
    ::wsprintfW(version, L"\\%x.%x\\%lx\\%ls", attributes->wMajorVerNum, attributes->wMinorVerNum,
                static_cast<unsigned long>(attributes->lcid), attributes->syskind == SYS_WIN64 ? L"win64" : L"win32");
    const std::wstring path = L"TypeLib\\" + GuidString(attributes->guid) + version;
    UniqueKey key;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
        library->ReleaseTLibAttr(attributes);
        return S_OK;
    }
    key.Reset();
    hr = ::UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                             attributes->syskind);
    library->ReleaseTLibAttr(attributes);
    return hr;
}

}  // namespace

HRESULT RegisterServer() noexcept {
    return GuardedCall([]() -> HRESULT {
        SystemLocaleScope locale;
        ComScope com;
        RegistryReplacements replacements;
        HRESULT hr = CommonReplacements(replacements);
        if (FAILED(hr)) return hr;
        hr = RunModuleScript(replacements, true);
        if (FAILED(hr)) return hr;
        const ObjectEntry* entries = ObjectMapBegin();
        for (size_t i = 0; i < ObjectMapSize(); ++i) {
            hr = RunClassScript(entries[i], replacements, true);
            if (FAILED(hr)) return hr;
            hr = UpdateClassCategories(entries[i], true);
            if (FAILED(hr)) return hr;
        }
        return UpdateTypeLibrary(true);
    });
}

// Unregistration goes on past a failing step, so that one stale entry does not leave the rest behind;
// it returns the first failure.
HRESULT UnregisterServer() noexcept {
    return GuardedCall([]() -> HRESULT {
        SystemLocaleScope locale;
        ComScope com;
        RegistryReplacements replacements;
        HRESULT hr = CommonReplacements(replacements);
        if (FAILED(hr)) return hr;
        HRESULT first = S_OK;
        auto note = [&first](HRESULT step) {
            if (FAILED(step) && SUCCEEDED(first)) first = step;
        };
        const ObjectEntry* entries = ObjectMapBegin();
        for (size_t i = 0; i < ObjectMapSize(); ++i) {
            note(UpdateClassCategories(entries[i], false));
            note(RunClassScript(entries[i], replacements, false));
        }
        note(UpdateTypeLibrary(false));
        note(RunModuleScript(replacements, false));
        return first;
    });
}

}  // namespace ferrow

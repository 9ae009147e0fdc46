#include "server/registration.h"

#include "common/exception_guard.h"
#include "common/handles.h"
#include "common/module_instance.h"
#include "server/com_object.h"
#include "server/guids.h"
#include "server/module_scripts.h"
#include "server/registrar.h"

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

HRESULT RunModuleScript(const RegistryReplacements& replacements, bool registering) {
    std::wstring script;
    HRESULT hr = LoadModuleRegistryScript(script);
    if (FAILED(hr)) return hr;
    return RunRegistryScript(script, replacements, registering);
}

HRESULT RunClassScript(const ObjectEntry& entry, RegistryReplacements replacements, bool registering) {
    HRESULT hr = AddClassReplacements(entry, registering, replacements);
    if (FAILED(hr)) return hr;
    return RunRegistryScript(ClassRegistryScript(), replacements, registering);
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
    // Already unregistered is what was asked for (systems differ in how they report it, so look first).
    wchar_t version[32] = {};
    ::wsprintfW(version, L"\\%x.%x", attributes->wMajorVerNum, attributes->wMinorVerNum);
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

#include "com/com_object.h"
#include "common/exception_guard.h"

#include "common/handles.h"
#include "common/module_instance.h"
#include "com/guids.h"

#include <string>

namespace ferrow {

class CFerrowModule::GuardLock {
public:
    explicit GuardLock(CRITICAL_SECTION& cs) noexcept : cs_(cs) { ::EnterCriticalSection(&cs_); }
    ~GuardLock() { ::LeaveCriticalSection(&cs_); }
    GuardLock(const GuardLock&) = delete;
    GuardLock& operator=(const GuardLock&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

CFerrowModule::CFerrowModule() noexcept : identity_(kModuleId) {
    if (!::InitializeCriticalSectionAndSpinCount(&guard_, 0)) {
        initFailed_ = true;
        return;
    }
    guardInitialised_ = true;
    const size_t count = ObjectMapSize();
    factories_.reset(new (std::nothrow) std::atomic<IUnknown*>[count + 1]);
    if (!factories_) {
        initFailed_ = true;
        return;
    }
    for (size_t i = 0; i <= count; ++i) factories_[i].store(nullptr);
    const ObjectEntry* entries = ObjectMapBegin();
    for (size_t i = 0; i < count; ++i) {
        if (entries[i].moduleEvent) entries[i].moduleEvent(true);
    }
}

CFerrowModule::~CFerrowModule() {
    if (!initFailed_) {
        const ObjectEntry* entries = ObjectMapBegin();
        const size_t count = ObjectMapSize();
        for (size_t i = 0; i < count; ++i) {
            if (entries[i].moduleEvent) entries[i].moduleEvent(false);
        }
        for (size_t i = 0; i < count; ++i) {
            if (IUnknown* factory = factories_[i].exchange(nullptr)) factory->Release();
        }
    }
    if (IGlobalInterfaceTable* git = git_.exchange(nullptr)) git->Release();
    if (guardInitialised_) ::DeleteCriticalSection(&guard_);
}

LONG CFerrowModule::Lock() noexcept { return ++lockCount_; }
LONG CFerrowModule::Unlock() noexcept { return --lockCount_; }
LONG CFerrowModule::GetLockCount() noexcept { return lockCount_.load(); }

HRESULT CFerrowModule::GetGITPtr(IGlobalInterfaceTable** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (initFailed_) return E_UNEXPECTED;
    IGlobalInterfaceTable* git = git_.load();
    if (!git) {
        GuardLock lock(guard_);
        git = git_.load();
        if (!git) {
            HRESULT hr = ::CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&git));
            if (FAILED(hr)) return hr;
            git_.store(git);
        }
    }
    git->AddRef();
    *out = git;
    return S_OK;
}

HRESULT CFerrowModule::AddCommonRGSReplacements(RegistryReplacements& replacements) noexcept {
    wchar_t text[64] = {};
    if (!::StringFromGUID2(identity_, text, 64)) return E_FAIL;
    return GuardedCall([&] {
        replacements.Add(L"APPID", text);
        return S_OK;
    });
}

HRESULT CFerrowModule::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (initFailed_) return E_UNEXPECTED;
    const ObjectEntry* entries = ObjectMapBegin();
    const size_t count = ObjectMapSize();
    for (size_t i = 0; i < count; ++i) {
        if (!IsEqualCLSID(*entries[i].clsid, clsid) &&
            !(entries[i].packagedClsid && IsEqualCLSID(*entries[i].packagedClsid, clsid)))
            continue;
        IUnknown* factory = factories_[i].load();
        if (!factory) {
            GuardLock lock(guard_);
            factory = factories_[i].load();
            if (!factory) {
                factory = new (std::nothrow) CClassFactory(entries[i].create);
                if (!factory) return E_OUTOFMEMORY;
                factories_[i].store(factory);
            }
        }
        return factory->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

CFerrowModule& Module() noexcept {
    // Constructed when the module is loaded (before DllMain runs), destroyed when it is unloaded.
    static CFerrowModule module;
    return module;
}

namespace {
// Forces construction at load time rather than at first use, so DllMain can report a failed set-up.
struct ModuleAtLoad {
    ModuleAtLoad() noexcept { Module(); }
} g_moduleAtLoad;
}  // namespace

HRESULT CClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
    AddRef();
    *ppv = static_cast<IClassFactory*>(this);
    return S_OK;
}

ULONG CClassFactory::AddRef() {
    LONG n = ::InterlockedIncrement(&refs_);
    if (n == 2) Module().Lock();  // someone besides the module's cache holds the factory
    return static_cast<ULONG>(n);
}

ULONG CClassFactory::Release() {
    LONG n = ::InterlockedDecrement(&refs_);
    if (n == 1) Module().Unlock();
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

HRESULT CClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!create_) return E_UNEXPECTED;
    return create_(outer, riid, ppv);
}

HRESULT CClassFactory::LockServer(BOOL lock) {
    if (lock) {
        Module().Lock();
    } else {
        Module().Unlock();
    }
    return S_OK;
}

HRESULT LoadClassTypeInfo(REFCLSID clsid, ITypeInfo** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    std::wstring path;
    HRESULT hr = ModuleFileName(ModuleInstance(), path);
    if (FAILED(hr)) return hr;
    ComPtr<ITypeLib> library;
    hr = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put());
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(clsid, out);
}

}  // namespace ferrow

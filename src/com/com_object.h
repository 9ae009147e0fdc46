// The COM machinery every class of the module is built on (there is no ATL here):
//   CFerrowModule      - the one module object: lock count, identity, class-object cache, registration;
//   ComObject<D, I...> - reference count, QueryInterface table, module lock and aggregation for class D;
//   CClassFactory      - the standard single-class factory, with LockServer;
//   ProvideClassInfoImpl<D> - IProvideClassInfo answered from the module's type library.
//
// A class is written as
//   class CMyThing : public ferrow::ComObject<CMyThing, IShellExtInit, IContextMenu> { ... };
// and created with ferrow::CreateInstance<CMyThing>(outer, riid, ppv); see HACKING.md for adding it to
// the object map.
#pragma once

#include "com/core/replacements.h"
#include "common/exception_guard.h"
#include "com/interface_ids.h"
#include "com/object_map.h"

#include <windows.h>
#include <objbase.h>
#include <oaidl.h>
#include <ocidl.h>

#include <atomic>
#include <memory>
#include <new>
#include <type_traits>

namespace ferrow {

class CFerrowModule {
public:
    CFerrowModule() noexcept;
    CFerrowModule(const CFerrowModule&) = delete;
    CFerrowModule& operator=(const CFerrowModule&) = delete;

    // The virtual operations, in this order.
    virtual ~CFerrowModule();
    virtual LONG Lock() noexcept;          // returns the new count
    virtual LONG Unlock() noexcept;        // returns the new count
    virtual LONG GetLockCount() noexcept;
    // The process's global interface table, created on first use and kept; *out gets a new reference.
    virtual HRESULT GetGITPtr(IGlobalInterfaceTable** out) noexcept;
    // Adds "APPID" (the module identity in braces) to the replacements of a registration script.
    virtual HRESULT AddCommonRGSReplacements(RegistryReplacements& replacements) noexcept;

    bool InitFailed() const noexcept { return initFailed_; }
    const GUID& Identity() const noexcept { return identity_; }

    // DllGetClassObject: the cached class factory of a class of the object map, created on first request.
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) noexcept;
    HRESULT CanUnloadNow() noexcept { return GetLockCount() == 0 ? S_OK : S_FALSE; }

private:
    class GuardLock;

    std::atomic<LONG> lockCount_{0};
    GUID identity_;
    CRITICAL_SECTION guard_;
    bool guardInitialised_ = false;
    bool initFailed_ = false;
    // One slot per object-map entry; a slot holds one reference to its factory once created.
    std::unique_ptr<std::atomic<IUnknown*>[]> factories_;
    std::atomic<IGlobalInterfaceTable*> git_{nullptr};
};

// The module object of this process (of the DLL, or of a test program linking the code directly).
CFerrowModule& Module() noexcept;

// The interface a base class of a ComObject stands for: the class itself, or T::ComInterface when an
// implementation class (such as ProvideClassInfoImpl) names the interface it implements.
template <typename T, typename = void>
struct ComInterfaceOf {
    using type = T;
};
template <typename T>
struct ComInterfaceOf<T, std::void_t<typename T::ComInterface>> {
    using type = typename T::ComInterface;
};

// Base of every COM class of the module. Derived lists the interfaces it implements; QueryInterface
// answers IUnknown and each of them. For further interfaces (base interfaces such as IOleWindow of
// IDeskBand, or tear-offs), Derived may hide
//     void* QueryOtherInterface(REFIID riid);   // the pointer without a reference, or null
// and for set-up that may fail, after the controlling unknown is known,
//     HRESULT FinalConstruct();
// Every object holds one module lock from construction to destruction.
template <typename Derived, typename... Interfaces>
class ComObject : public Interfaces... {
public:
    // The IUnknown of every implemented interface goes to the controlling unknown: the outer object when
    // aggregated, otherwise this object's own (non-delegating) unknown.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return outer_->QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return outer_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return outer_->Release(); }

    // Creates an object. Aggregation is allowed for every class: outer not null with riid IID_IUnknown
    // hands out the inner (non-delegating) unknown; outer with any other IID is CLASS_E_NOAGGREGATION.
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        Derived* object = nullptr;
        const HRESULT made = GuardedCall([&] {
            object = new Derived();
            return S_OK;
        });
        if (FAILED(made)) return made;
        ComObject* base = object;
        base->inner_.AddRef();  // the creator's reference, released below on every path
        if (outer) base->outer_ = outer;
        HRESULT hr = GuardedCall([object] { return object->FinalConstruct(); });
        if (SUCCEEDED(hr)) hr = base->InnerQueryInterface(riid, ppv);
        base->inner_.Release();
        return hr;
    }

protected:
    ComObject() noexcept : inner_(this), outer_(&inner_) { Module().Lock(); }
    virtual ~ComObject() { Module().Unlock(); }

    HRESULT FinalConstruct() { return S_OK; }
    void* QueryOtherInterface(REFIID) { return nullptr; }

    // The object's identity: the outer object when aggregated.
    IUnknown* ControllingUnknown() const noexcept { return outer_; }

private:
    // The non-delegating IUnknown: owns the reference count and answers the interface table.
    class Inner final : public IUnknown {
    public:
        explicit Inner(ComObject* owner) noexcept : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return owner_->InnerQueryInterface(riid, ppv); }
        STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
        STDMETHODIMP_(ULONG) Release() override {
            LONG n = ::InterlockedDecrement(&refs_);
            if (n == 0) delete static_cast<Derived*>(owner_);
            return static_cast<ULONG>(n);
        }

    private:
        ComObject* owner_;
        LONG refs_ = 0;
    };

    template <typename T>
    void* Match(REFIID riid) noexcept {
        using I = typename ComInterfaceOf<T>::type;
        if (!IsEqualIID(riid, __uuidof(I))) return nullptr;
        return static_cast<I*>(static_cast<T*>(this));
    }

    HRESULT InnerQueryInterface(REFIID riid, void** ppv) noexcept {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown)) {
            inner_.AddRef();
            *ppv = static_cast<IUnknown*>(&inner_);
            return S_OK;
        }
        void* found = nullptr;
        (void)((found = Match<Interfaces>(riid)) || ...);
        if (!found) found = static_cast<Derived*>(this)->QueryOtherInterface(riid);
        if (!found) return E_NOINTERFACE;
        // Every interface but the inner unknown delegates, so this reference goes to the controlling unknown.
        static_cast<IUnknown*>(found)->AddRef();
        *ppv = found;
        return S_OK;
    }

    Inner inner_;
    IUnknown* outer_;
};

template <typename T>
HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    return T::CreateInstance(outer, riid, ppv);
}

// The standard class factory of one class. The module's cache keeps one reference for the module's
// lifetime; while anyone else holds the factory, it holds a module lock, so the DLL stays loaded.
class CClassFactory final : public IClassFactory {
public:
    explicit CClassFactory(CreatorFn create) noexcept : create_(create) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    CreatorFn create_;
    LONG refs_ = 1;  // the module cache's reference
};

// The type information of a class from the module's type library (TYPELIB 1 of the module file).
HRESULT LoadClassTypeInfo(REFCLSID clsid, ITypeInfo** out) noexcept;

// IProvideClassInfo for a class that lists ProvideClassInfoImpl<Derived> among its interfaces.
// Derived has a static ClassId() returning its CLSID.
template <typename Derived>
class ProvideClassInfoImpl : public IProvideClassInfo {
public:
    using ComInterface = IProvideClassInfo;
    STDMETHODIMP GetClassInfo(ITypeInfo** out) override { return LoadClassTypeInfo(Derived::ClassId(), out); }
};

}  // namespace ferrow

// The COM base: reference counting, the interface table, module locks, aggregation and class factories.
#include "com/com_object.h"

#include "common/handles.h"

#include <gtest/gtest.h>

namespace {

using ferrow::ComPtr;
using ferrow::Module;

class CTestThing : public ferrow::ComObject<CTestThing, IPersist, IOleWindow> {
public:
    static LONG liveObjects;
    CTestThing() { ++liveObjects; }
    ~CTestThing() override { --liveObjects; }
    STDMETHODIMP GetClassID(CLSID* id) override {
        *id = CLSID_NULL;
        return S_OK;
    }
    STDMETHODIMP GetWindow(HWND* w) override {
        *w = nullptr;
        return E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
};
LONG CTestThing::liveObjects = 0;

// A class whose set-up fails: nothing may be handed out and the object must be gone.
class CFailingThing : public ferrow::ComObject<CFailingThing, IPersist> {
public:
    HRESULT FinalConstruct() { return E_ACCESSDENIED; }
    STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
};

// A minimal outer object that counts the references given to it.
class COuter : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    ULONG refs = 1;
    IUnknown* inner = nullptr;
};

ULONG RefCount(IUnknown* p) {
    p->AddRef();
    return p->Release();
}

TEST(ComObject, CountsReferencesAndHoldsModuleLock) {
    const LONG locksBefore = Module().GetLockCount();
    ComPtr<IPersist> persist;
    ASSERT_EQ(S_OK, CTestThing::CreateInstance(nullptr, IID_IPersist, persist.PutVoid()));
    EXPECT_EQ(1, CTestThing::liveObjects);
    EXPECT_EQ(1u, RefCount(persist.Get()));
    EXPECT_EQ(locksBefore + 1, Module().GetLockCount());
    EXPECT_EQ(S_FALSE, Module().CanUnloadNow());

    ComPtr<IOleWindow> window;
    ASSERT_EQ(S_OK, persist.As(window));
    EXPECT_EQ(2u, RefCount(persist.Get()));
    // One identity: IUnknown is the same pointer whichever interface it is asked from.
    ComPtr<IUnknown> a, b;
    ASSERT_EQ(S_OK, persist->QueryInterface(IID_IUnknown, a.PutVoid()));
    ASSERT_EQ(S_OK, window->QueryInterface(IID_IUnknown, b.PutVoid()));
    EXPECT_EQ(a.Get(), b.Get());

    ComPtr<IStream> none;
    EXPECT_EQ(E_NOINTERFACE, persist->QueryInterface(IID_IStream, none.PutVoid()));
    EXPECT_FALSE(none);
    EXPECT_EQ(E_POINTER, persist->QueryInterface(IID_IPersist, nullptr));

    a.Reset();
    b.Reset();
    window.Reset();
    persist.Reset();
    EXPECT_EQ(0, CTestThing::liveObjects);
    EXPECT_EQ(locksBefore, Module().GetLockCount());
}

TEST(ComObject, CreateRejectsBadArguments) {
    void* marker = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(E_POINTER, CTestThing::CreateInstance(nullptr, IID_IPersist, nullptr));
    void* out = marker;
    EXPECT_EQ(E_NOINTERFACE, CTestThing::CreateInstance(nullptr, IID_IStream, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0, CTestThing::liveObjects);

    out = marker;
    const LONG locksBefore = Module().GetLockCount();
    EXPECT_EQ(E_ACCESSDENIED, CFailingThing::CreateInstance(nullptr, IID_IPersist, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(locksBefore, Module().GetLockCount());
}

TEST(ComObject, Aggregation) {
    COuter outer;
    void* out = reinterpret_cast<void*>(0x1234);
    // An aggregated object may only be asked for IUnknown at creation.
    EXPECT_EQ(CLASS_E_NOAGGREGATION, CTestThing::CreateInstance(&outer, IID_IPersist, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0, CTestThing::liveObjects);

    IUnknown* inner = nullptr;
    ASSERT_EQ(S_OK, CTestThing::CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)));
    ASSERT_NE(nullptr, inner);
    outer.inner = inner;
    EXPECT_EQ(1u, outer.refs);

    // The inner interfaces' IUnknown delegates to the outer object: references go to it, and IUnknown
    // through them is the outer object's identity.
    IPersist* persist = nullptr;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)));
    EXPECT_EQ(2u, outer.refs);
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
    identity->Release();
    IOleWindow* window = nullptr;
    ASSERT_EQ(S_OK, persist->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)));
    EXPECT_EQ(3u, outer.refs);
    window->Release();
    persist->Release();
    EXPECT_EQ(1u, outer.refs);

    EXPECT_EQ(1, CTestThing::liveObjects);
    EXPECT_EQ(0u, inner->Release());
    EXPECT_EQ(0, CTestThing::liveObjects);
}

TEST(ClassFactory, CreatesObjectsAndCountsLocks) {
    const LONG locksBefore = Module().GetLockCount();
    // As the module's cache holds it: one reference, no lock.
    auto* factory = new ferrow::CClassFactory(&ferrow::CreateInstance<CTestThing>);
    EXPECT_EQ(locksBefore, Module().GetLockCount());

    ComPtr<IClassFactory> held;
    ASSERT_EQ(S_OK, factory->QueryInterface(IID_IClassFactory, held.PutVoid()));
    EXPECT_EQ(locksBefore + 1, Module().GetLockCount());  // a client holds it
    EXPECT_EQ(S_OK, held->LockServer(TRUE));
    EXPECT_EQ(locksBefore + 2, Module().GetLockCount());
    EXPECT_EQ(S_OK, held->LockServer(FALSE));

    ComPtr<IPersist> persist;
    ASSERT_EQ(S_OK, held->CreateInstance(nullptr, IID_IPersist, persist.PutVoid()));
    EXPECT_EQ(locksBefore + 2, Module().GetLockCount());
    persist.Reset();

    COuter outer;
    ComPtr<IUnknown> inner;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, held->CreateInstance(&outer, IID_IPersist, persist.PutVoid()));
    ASSERT_EQ(S_OK, held->CreateInstance(&outer, IID_IUnknown, inner.PutVoid()));
    inner.Reset();

    held.Reset();
    EXPECT_EQ(locksBefore, Module().GetLockCount());
    factory->Release();
}

TEST(Module, UnknownClassIsNotAvailable) {
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, Module().GetClassObject(IID_IStream, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, Module().GetClassObject(IID_IStream, IID_IClassFactory, nullptr));
}

TEST(Module, GlobalInterfaceTableIsKept) {
    ComPtr<IGlobalInterfaceTable> first, second;
    ASSERT_EQ(S_OK, Module().GetGITPtr(first.Put()));
    ASSERT_EQ(S_OK, Module().GetGITPtr(second.Put()));
    EXPECT_EQ(first.Get(), second.Get());
}

}  // namespace

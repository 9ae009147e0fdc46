// Shared pieces of the settings-page tests: a host window, a recording page site, and creating and
// activating a page the way the property frame does.
#pragma once

#include "config/settings_pages.h"

#include <windows.h>
#include <ocidl.h>

#include <string>

namespace pagetest {

// A hidden top-level window that parents the pages.
class HostWindow {
public:
    HostWindow() {
        hwnd_ = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480, nullptr,
                                  nullptr, nullptr, nullptr);
    }
    ~HostWindow() {
        if (hwnd_) ::DestroyWindow(hwnd_);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND Get() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

// A page site that only counts its references.
class FakeSite : public IPropertyPageSite {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPropertyPageSite)) return E_NOINTERFACE;
        *ppv = static_cast<IPropertyPageSite*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    STDMETHODIMP OnStatusChange(DWORD) override { return S_OK; }
    STDMETHODIMP GetLocaleID(LCID* lcid) override {
        *lcid = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }

    LONG refs = 1;  // the test's own reference
};

// Creates a page object through its class's creator, as the class factory does.
template <typename Page>
ferrow::ComPtr<IPropertyPage> CreatePage() {
    ferrow::ComPtr<IPropertyPage> page;
    HRESULT hr = ferrow::CreateInstance<Page>(nullptr, IID_IPropertyPage, page.PutVoid());
    return SUCCEEDED(hr) ? std::move(page) : ferrow::ComPtr<IPropertyPage>();
}

constexpr RECT kPageRect = {10, 20, 410, 220};

// The page dialog of an activated page: the only child of the host window.
inline HWND PageWindow(const HostWindow& host) { return ::GetWindow(host.Get(), GW_CHILD); }

inline std::string ItemText(HWND dialog, int id) {
    char text[1024] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

}  // namespace pagetest

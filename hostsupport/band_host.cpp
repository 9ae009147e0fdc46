#include "hostsupport/band_host.h"
#include "hostsupport/host_object.h"

#include <shlguid.h>

namespace {

constexpr char kFrameClass[] = "FerrowBandHostFrame";
constexpr char kPaneClass[] = "FerrowBandHostPane";

}  // namespace

// The browser object of the frame: only get_HWND and ShowBrowserBar do anything.
class CBandHost::BrowserObject final : public ferrow::HostObject<IWebBrowser2> {
public:
    explicit BrowserObject(CBandHost* host) : host_(host) {}
    void Detach() { host_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IWebBrowser) ||
            IsEqualIID(riid, IID_IWebBrowserApp) || IsEqualIID(riid, IID_IWebBrowser2)) {
            *ppv = static_cast<IWebBrowser2*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP get_HWND(SHANDLE_PTR* window) override {
        if (!window) return E_POINTER;
        *window = host_ ? reinterpret_cast<SHANDLE_PTR>(host_->frame_) : 0;
        return host_ ? S_OK : E_FAIL;
    }
    STDMETHODIMP ShowBrowserBar(VARIANT* clsid, VARIANT* show, VARIANT*) override {
        return host_ ? host_->OnShowBrowserBar(clsid, show) : E_FAIL;
    }
    STDMETHODIMP GoBack() override { return E_NOTIMPL; }
    STDMETHODIMP GoForward() override { return E_NOTIMPL; }
    STDMETHODIMP GoHome() override { return E_NOTIMPL; }
    STDMETHODIMP GoSearch() override { return E_NOTIMPL; }
    STDMETHODIMP Navigate(BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP Refresh() override { return E_NOTIMPL; }
    STDMETHODIMP Refresh2(VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP Stop() override { return E_NOTIMPL; }
    STDMETHODIMP get_Application(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Parent(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Container(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Document(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Type(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Left(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Left(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Top(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Top(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Width(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Width(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Height(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Height(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_LocationName(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_LocationURL(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Busy(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP Quit() override { return E_NOTIMPL; }
    STDMETHODIMP ClientToWindow(int*, int*) override { return E_NOTIMPL; }
    STDMETHODIMP PutProperty(BSTR, VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP GetProperty(BSTR, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Name(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_FullName(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Path(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Visible(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Visible(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_StatusBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_StatusBar(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_StatusText(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP put_StatusText(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_ToolBar(int*) override { return E_NOTIMPL; }
    STDMETHODIMP put_ToolBar(int) override { return E_NOTIMPL; }
    STDMETHODIMP get_MenuBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_MenuBar(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_FullScreen(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_FullScreen(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP Navigate2(VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryStatusWB(OLECMDID, OLECMDF*) override { return E_NOTIMPL; }
    STDMETHODIMP ExecWB(OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP get_ReadyState(READYSTATE*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Offline(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Offline(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_Silent(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Silent(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_RegisterAsBrowser(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_RegisterAsBrowser(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_RegisterAsDropTarget(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_TheaterMode(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_TheaterMode(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_AddressBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_AddressBar(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_Resizable(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Resizable(VARIANT_BOOL) override { return E_NOTIMPL; }

private:
    CBandHost* host_;
};

// The band's site: its window, focus notices, and the browser as a service.
class CBandHost::SiteObject final : public ferrow::HostObject<IOleWindow, IInputObjectSite, IServiceProvider> {
public:
    explicit SiteObject(CBandHost* host) : host_(host) {}
    void Detach() { host_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow)) {
            *ppv = static_cast<IOleWindow*>(this);
        } else if (IsEqualIID(riid, IID_IInputObjectSite)) {
            *ppv = static_cast<IInputObjectSite*>(this);
        } else if (IsEqualIID(riid, IID_IServiceProvider)) {
            *ppv = static_cast<IServiceProvider*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = host_ ? host_->siteWindow_ : nullptr;
        return *window ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP OnFocusChangeIS(IUnknown*, BOOL focus) override {
        if (host_) {
            ++host_->focusChanges_;
            host_->lastFocus_ = focus != FALSE;
        }
        return S_OK;
    }
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!host_ || !host_->browser_) return E_FAIL;
        if (!IsEqualGUID(service, SID_SWebBrowserApp) && !IsEqualGUID(service, SID_STopLevelBrowser))
            return E_NOINTERFACE;
        return host_->browser_->QueryInterface(riid, ppv);
    }

private:
    CBandHost* host_;
};

CBandHost::CBandHost(BandFactory factory, const char* title) : factory_(std::move(factory)) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA frameClass = {sizeof frameClass};
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = instance;
    frameClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    frameClass.lpszClassName = kFrameClass;
    ::RegisterClassExA(&frameClass);  // fails harmlessly when already registered
    WNDCLASSEXA paneClass = frameClass;
    paneClass.lpfnWndProc = ::DefWindowProcA;
    paneClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    paneClass.lpszClassName = kPaneClass;
    ::RegisterClassExA(&paneClass);

    frame_ = ::CreateWindowExA(0, kFrameClass, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                               CW_USEDEFAULT, 720, 480, nullptr, nullptr, instance, this);
    container_ = ::CreateWindowExA(0, kPaneClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, frame_,
                                   nullptr, instance, nullptr);
    siteWindow_ = ::CreateWindowExA(0, kPaneClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                                    container_, nullptr, instance, nullptr);
    site_ = new SiteObject(this);
    browser_ = new BrowserObject(this);
    Layout();
    ::ShowWindow(frame_, SW_SHOWNORMAL);
}

CBandHost::~CBandHost() {
    CloseBand();
    if (frame_) {
        ::SetWindowLongPtrA(frame_, GWLP_USERDATA, 0);
        ::DestroyWindow(frame_);
    }
    site_->Detach();
    site_->Release();
    browser_->Detach();
    browser_->Release();
}

IUnknown* CBandHost::Site() const { return static_cast<IOleWindow*>(site_); }

HRESULT CBandHost::OpenBand(IUnknown* band) {
    if (!band) return E_POINTER;
    CloseBand();
    ferrow::ComPtr<IDeskBand> deskBand;
    HRESULT hr = band->QueryInterface(IID_IDeskBand, deskBand.PutVoid());
    if (FAILED(hr)) return hr;
    ferrow::ComPtr<IObjectWithSite> withSite;
    hr = band->QueryInterface(IID_IObjectWithSite, withSite.PutVoid());
    if (FAILED(hr)) return hr;
    hr = withSite->SetSite(Site());
    if (FAILED(hr)) return hr;
    DESKBANDINFO info = {};
    info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS | DBIM_BKCOLOR;
    deskBand->GetBandInfo(0, DBIF_VIEWMODE_NORMAL, &info);
    deskBand->ShowDW(TRUE);
    band_ = std::move(deskBand);
    Layout();
    return S_OK;
}

HRESULT CBandHost::CloseBand() {
    if (!band_) return S_FALSE;
    ferrow::ComPtr<IDeskBand> band = std::move(band_);
    band->ShowDW(FALSE);
    band->CloseDW(0);
    ferrow::ComPtr<IObjectWithSite> withSite;
    if (SUCCEEDED(band->QueryInterface(IID_IObjectWithSite, withSite.PutVoid()))) withSite->SetSite(nullptr);
    return S_OK;
}

HRESULT CBandHost::OnShowBrowserBar(VARIANT* clsid, VARIANT* show) {
    ++showBarCalls_;
    if (!clsid || clsid->vt != VT_BSTR || !clsid->bstrVal) return E_INVALIDARG;
    lastShownBar_ = clsid->bstrVal;
    bool wanted = !show || (show->vt == VT_BOOL && show->boolVal != VARIANT_FALSE);
    if (!wanted) return CloseBand();
    if (band_) return S_OK;  // already open
    if (!factory_) return E_NOTIMPL;
    CLSID id;
    if (FAILED(::CLSIDFromString(clsid->bstrVal, &id))) return E_INVALIDARG;
    ferrow::ComPtr<IUnknown> band;
    HRESULT hr = factory_(id, band.Put());
    if (FAILED(hr)) return hr;
    return OpenBand(band.Get());
}

void CBandHost::Layout() {
    if (!frame_) return;
    RECT client = {};
    ::GetClientRect(frame_, &client);
    const int height = (client.bottom - client.top) / 2;
    ::MoveWindow(container_, 0, client.bottom - height, client.right, height, TRUE);
    ::MoveWindow(siteWindow_, 0, 0, client.right, height, TRUE);
    HWND bandWindow = nullptr;
    if (band_ && SUCCEEDED(band_->GetWindow(&bandWindow)) && bandWindow)
        ::MoveWindow(bandWindow, 0, 0, client.right, height, TRUE);
}

LRESULT CALLBACK CBandHost::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* host = reinterpret_cast<CBandHost*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_SIZE:
        if (host) host->Layout();
        return 0;
    case WM_CLOSE:
        if (host) host->CloseBand();
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (host) {
            host->frame_ = nullptr;
            ::PostQuitMessage(0);
        }
        return 0;
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

void CBandHost::RunMessageLoop() {
    MSG msg;
    while (frame_ && ::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void CBandHost::PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

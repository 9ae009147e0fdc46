#include "console/console_bar.h"

#include "console/console_output.h"

#include "common/exception_guard.h"
#include "common/handles.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "resources/resource.h"
#include "com/guids.h"

#include <commctrl.h>

#include <cwchar>
#include <mutex>

namespace {

// WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
// ES_NOHIDESEL | ES_OEMCONVERT | ES_WANTRETURN
constexpr DWORD kEditStyle = 0x503015C4;
constexpr UINT_PTR kSubclassId = 1;

// Guards the "ConsoleBar" window properties: a band removes its property under it before it goes away,
// and the link finds a band's edit control under it. Nothing is sent to a window while it is held.
std::mutex& PropertyLock() {
    static std::mutex* lock = new std::mutex;  // never destroyed: bands may go after static destruction
    return *lock;
}

}  // namespace

namespace console {

const CLSID& CConsoleBar::ClassId() noexcept { return CLSID_CConsoleBar; }

CConsoleBar::~CConsoleBar() {
    RemoveProperty();
    DestroyEdit();
    if (site_) site_->Release();
}

void* CConsoleBar::QueryOtherInterface(REFIID riid) {
    if (IsEqualIID(riid, IID_IPersist)) return static_cast<IPersist*>(static_cast<IPersistStream*>(this));
    if (IsEqualIID(riid, IID_IDockingWindow)) return static_cast<IDockingWindow*>(static_cast<IDeskBand*>(this));
    if (IsEqualIID(riid, IID_IOleWindow)) return static_cast<IOleWindow*>(static_cast<IDeskBand*>(this));
    return nullptr;
}

STDMETHODIMP CConsoleBar::SetSite(IUnknown* site) {
    return ferrow::GuardedCall([&]() -> HRESULT {
        if (site != site_) {
            if (site) site->AddRef();
            if (site_) site_->Release();
            site_ = site;
        }
        if (!site) {
            // Unsited: the Explorer window no longer names this band.
            RemoveProperty();
            return S_OK;
        }

        ferrow::ComPtr<IOleWindow> oleWindow;
        if (FAILED(site->QueryInterface(IID_IOleWindow, oleWindow.PutVoid())) || !oleWindow) return E_NOINTERFACE;
        HWND parent = nullptr;
        if (FAILED(oleWindow->GetWindow(&parent)) || !parent) return E_FAIL;

        DestroyEdit();  // a band sited again gets a fresh control, not a second one
        RECT client = {};
        ::GetClientRect(parent, &client);
        HWND edit = ::CreateWindowExA(0, "EDIT", "", kEditStyle, client.left, client.top, client.right - client.left,
                                      client.bottom - client.top, parent, nullptr, ferrow::ModuleInstance(), nullptr);
        if (!edit) return E_FAIL;
        edit_ = edit;
        ::SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(ANSI_FIXED_FONT)), TRUE);
        // Room for all the console keeps (console_output.h), not the control's default of 30,000 characters;
        // the margin is for the marker line of a trimmed text.
        ::SendMessageA(edit_, EM_SETLIMITTEXT, kConsoleTextLimit + 4096, 0);
        ::SetWindowSubclass(edit_, EditProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));

        // The site's window sits in a container of the Explorer window: its grandparent is the window whose
        // handle the browser reports.
        RegisterProperty(::GetParent(::GetParent(parent)));
        return S_OK;
    });
}

STDMETHODIMP CConsoleBar::GetSite(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!site_) return E_FAIL;
    return site_->QueryInterface(riid, out);
}

STDMETHODIMP CConsoleBar::GetClassID(CLSID* out) {
    if (!out) return E_POINTER;
    *out = CLSID_CConsoleBar;
    return S_OK;
}

STDMETHODIMP CConsoleBar::GetWindow(HWND* out) {
    if (!out) return E_POINTER;
    *out = edit_;
    return edit_ ? S_OK : E_UNEXPECTED;
}

STDMETHODIMP CConsoleBar::ShowDW(BOOL show) {
    if (edit_) ::ShowWindow(edit_, show ? SW_SHOW : SW_HIDE);
    return S_OK;
}

STDMETHODIMP CConsoleBar::CloseDW(DWORD) {
    return ferrow::GuardedCall([&]() -> HRESULT {
        ShowDW(FALSE);
        RemoveProperty();
        if (edit_ && ::IsWindow(edit_) && ::DestroyWindow(edit_)) edit_ = nullptr;
        return S_OK;
    });
}

STDMETHODIMP CConsoleBar::GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) {
    return ferrow::GuardedCall([&]() -> HRESULT {
        if (!info) return E_INVALIDARG;
        bandId_ = bandId;
        viewMode_ = viewMode;
        if (info->dwMask & DBIM_MINSIZE) info->ptMinSize = {100, 50};
        if (info->dwMask & DBIM_MAXSIZE) info->ptMaxSize = {-1, -1};
        if (info->dwMask & DBIM_INTEGRAL) info->ptIntegral = {1, 1};
        if (info->dwMask & DBIM_ACTUAL) info->ptActual = {0, 0};
        if (info->dwMask & DBIM_TITLE) {
            const std::wstring title = ferrow::AnsiToWide(ferrow::LoadResString(IDS_CONSOLE_TITLE));
            const size_t capacity = sizeof info->wszTitle / sizeof info->wszTitle[0];
            std::wcsncpy(info->wszTitle, title.c_str(), capacity - 1);
            info->wszTitle[capacity - 1] = L'\0';
        }
        if (info->dwMask & DBIM_MODEFLAGS) info->dwModeFlags = DBIMF_VARIABLEHEIGHT;
        info->dwMask &= ~static_cast<DWORD>(DBIM_BKCOLOR);  // the host's default background
        return S_OK;
    });
}

STDMETHODIMP CConsoleBar::UIActivateIO(BOOL activate, MSG*) {
    if (activate && edit_) ::SetFocus(edit_);
    return S_OK;
}

STDMETHODIMP CConsoleBar::HasFocusIO() { return focus_ ? S_OK : S_FALSE; }

LRESULT CALLBACK CConsoleBar::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR data) {
    // No exception leaves the window procedure: the control goes on as an edit control.
    ferrow::GuardedAnswer(false, [&] {
        auto* bar = reinterpret_cast<CConsoleBar*>(data);
        switch (message) {
        case WM_SETFOCUS:
            bar->OnFocusChange(true);
            break;
        case WM_KILLFOCUS:
            bar->OnFocusChange(false);
            break;
        case WM_DESTROY:
            // Destroyed with its parent, without CloseDW: the band has no window to offer any more.
            if (bar->edit_ == window) {
                bar->RemoveProperty();
                bar->edit_ = nullptr;
                bar->focus_ = false;
            }
            break;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(window, EditProc, kSubclassId);
            break;
        default:
            break;
        }
        return true;
    });
    return ::DefSubclassProc(window, message, wParam, lParam);
}

void CConsoleBar::OnFocusChange(bool focused) {
    focus_ = focused;
    if (!site_) return;
    ferrow::ComPtr<IInputObjectSite> inputSite;
    if (SUCCEEDED(site_->QueryInterface(IID_IInputObjectSite, inputSite.PutVoid())) && inputSite)
        inputSite->OnFocusChangeIS(ControllingUnknown(), focused ? TRUE : FALSE);
}

void CConsoleBar::RegisterProperty(HWND explorer) {
    std::lock_guard<std::mutex> guard(PropertyLock());
    if (propertyWindow_ && propertyWindow_ != explorer && ::GetPropA(propertyWindow_, kConsoleBarProperty) == this)
        ::RemovePropA(propertyWindow_, kConsoleBarProperty);
    propertyWindow_ = nullptr;
    if (explorer && ::SetPropA(explorer, kConsoleBarProperty, this)) propertyWindow_ = explorer;
}

void CConsoleBar::RemoveProperty() {
    std::lock_guard<std::mutex> guard(PropertyLock());
    // Only our own entry: a newer band of the same window may have taken the name.
    if (propertyWindow_ && ::GetPropA(propertyWindow_, kConsoleBarProperty) == this)
        ::RemovePropA(propertyWindow_, kConsoleBarProperty);
    propertyWindow_ = nullptr;
}

void CConsoleBar::DestroyEdit() {
    HWND edit = edit_;
    if (!edit) return;
    if (::IsWindow(edit)) {
        if (::GetWindowThreadProcessId(edit, nullptr) == ::GetCurrentThreadId()) {
            ::DestroyWindow(edit);
        } else {
            // Only its own thread may destroy it; the subclass still reaches this object meanwhile.
            ::SendMessageA(edit, WM_CLOSE, 0, 0);
        }
    }
    edit_ = nullptr;
}

bool FindConsoleEdit(HWND explorer, HWND& edit) {
    edit = nullptr;
    if (!explorer) return false;
    std::lock_guard<std::mutex> guard(PropertyLock());
    auto* bar = static_cast<CConsoleBar*>(::GetPropA(explorer, kConsoleBarProperty));
    if (!bar) return false;
    edit = bar->edit_;
    return true;
}

}  // namespace console

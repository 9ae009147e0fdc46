#include "console/console_link.h"

#include "common/exception_guard.h"
#include "console/console_bar.h"
#include "console/console_output.h"
#include "common/module_instance.h"
#include "resources/resource.h"
#include "com/guids.h"
#include "settings/settings_store.h"

#include <shlguid.h>

namespace console {
namespace {

// Each thread's current link, by thread id: a link is found only by the thread that made it. Never
// destroyed with the process's static objects: at module end the links are dropped explicitly, while COM
// is still there to release the browsers.
struct LinkSlot {
    std::mutex lock;
    std::map<DWORD, std::shared_ptr<CConsoleLink>> links;
};

LinkSlot& Slot() {
    static LinkSlot* slot = new LinkSlot;
    return *slot;
}

}  // namespace

CConsoleLink::CConsoleLink(IUnknown* site) : thread_(::GetCurrentThreadId()) {
    autoShow_ = settings::GetAutoShowOutput();
    if (!site) return;
    ferrow::ComPtr<IServiceProvider> provider;
    if (FAILED(site->QueryInterface(IID_IServiceProvider, provider.PutVoid())) || !provider) return;
    if (FAILED(provider->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, browser_.PutVoid()))) browser_.Reset();
}

bool CConsoleLink::ShowConsoleIfAuto() {
    if (!OnItsThread() || !browser_ || autoShow_ != 1) return false;
    wchar_t clsid[40] = {};
    ::StringFromGUID2(CLSID_CConsoleBar, clsid, 40);
    VARIANT bar;
    ::VariantInit(&bar);
    bar.vt = VT_BSTR;
    bar.bstrVal = ::SysAllocString(clsid);
    VARIANT show;
    ::VariantInit(&show);
    show.vt = VT_BOOL;
    show.boolVal = VARIANT_TRUE;
    browser_->ShowBrowserBar(&bar, &show, nullptr);
    ::VariantClear(&bar);
    return true;
}

HWND CConsoleLink::BrowserWindow() {
    if (!OnItsThread() || !browser_) return nullptr;
    SHANDLE_PTR window = 0;
    if (FAILED(browser_->get_HWND(&window))) return nullptr;
    return reinterpret_cast<HWND>(window);
}

bool CConsoleLink::AppendConsoleText(const std::string& text) {
    if (!OnItsThread()) return false;
    HWND edit = nullptr;
    if (!console::FindConsoleEdit(BrowserWindow(), edit)) return false;
    if (edit) AppendLimited(edit, text, kConsoleTextLimit);
    return true;
}

void AppendLimited(HWND edit, const std::string& text, size_t limit) {
    const char* piece = text.c_str();
    const size_t keep = limit / 4 * 3;
    if (text.size() > keep) piece += text.size() - keep;  // only the end of what cannot be kept whole
    const size_t incoming = text.c_str() + text.size() - piece;
    const size_t length = static_cast<size_t>(::SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0));
    if (length + incoming > limit) {
        // Whole lines go from the start, so that the text left and the new text fit into `keep`.
        const size_t excess = length + incoming > keep ? length + incoming - keep : 0;
        size_t cut = length;
        if (excess < length) {
            const LRESULT line = ::SendMessageA(edit, EM_LINEFROMCHAR, excess, 0);
            const LRESULT next = ::SendMessageA(edit, EM_LINEINDEX, line + 1, 0);
            cut = next < 0 || static_cast<size_t>(next) > length ? length : static_cast<size_t>(next);
        }
        const std::string marker = ferrow::LoadResString(IDS_CONSOLE_TRIMMED) + "\r\n";
        ::SendMessageA(edit, EM_SETSEL, 0, static_cast<LPARAM>(cut));
        ::SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(marker.c_str()));
        // The caret would stay after the marker: the new text goes at the end.
        const LRESULT end = ::SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
        ::SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
    }
    // At the caret, after removing any selection.
    ::SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    ::SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece));
}

bool CConsoleLink::HasBar() {
    HWND edit = nullptr;
    return console::FindConsoleEdit(BrowserWindow(), edit) && edit && ::IsWindow(edit);
}

bool CConsoleLink::ClearConsole() {
    if (!OnItsThread()) return false;
    HWND edit = nullptr;
    if (!console::FindConsoleEdit(BrowserWindow(), edit)) return false;
    if (edit) ::SetWindowTextA(edit, "");
    return true;
}

HRESULT ReplaceLink(IUnknown* site) {
    if (!site) return S_OK;
    std::shared_ptr<CConsoleLink> fresh;
    // A link that cannot be made leaves none: the old one names another window's console.
    const HRESULT hr = ferrow::GuardedCall([&] {
        fresh = std::make_shared<CConsoleLink>(site);
        return S_OK;
    });
    std::shared_ptr<CConsoleLink> old;
    {
        std::lock_guard<std::mutex> guard(Slot().lock);
        std::shared_ptr<CConsoleLink>& link = Slot().links[::GetCurrentThreadId()];
        old = std::move(link);
        link = std::move(fresh);
        if (!link) Slot().links.erase(::GetCurrentThreadId());
    }
    return hr;  // the old link goes here, on its own thread, outside the lock
}

void DropLink() {
    std::shared_ptr<CConsoleLink> old;
    std::lock_guard<std::mutex> guard(Slot().lock);
    auto it = Slot().links.find(::GetCurrentThreadId());
    if (it == Slot().links.end()) return;
    old = std::move(it->second);
    Slot().links.erase(it);
}

std::shared_ptr<CConsoleLink> CurrentLink() {
    std::lock_guard<std::mutex> guard(Slot().lock);
    auto it = Slot().links.find(::GetCurrentThreadId());
    return it == Slot().links.end() ? nullptr : it->second;
}

void ModuleEvent(bool starting) {
    if (starting) return;
    std::map<DWORD, std::shared_ptr<CConsoleLink>> old;
    std::lock_guard<std::mutex> guard(Slot().lock);
    old.swap(Slot().links);
}

bool Append(const std::string& text) {
    std::shared_ptr<CConsoleLink> link = CurrentLink();
    return link && link->AppendConsoleText(text);
}

bool Clear() {
    std::shared_ptr<CConsoleLink> link = CurrentLink();
    return link && link->ClearConsole();
}

bool ShowIfAuto() {
    std::shared_ptr<CConsoleLink> link = CurrentLink();
    return link && link->ShowConsoleIfAuto();
}

bool HasLink() { return static_cast<bool>(CurrentLink()); }

bool HasBar() {
    std::shared_ptr<CConsoleLink> link = CurrentLink();
    return link && link->HasBar();
}

}  // namespace console

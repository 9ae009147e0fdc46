#include "config/property_page.h"

#include "common/exception_guard.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "config/core/dialog_template.h"

#include <cstring>
#include <new>

namespace config {

HRESULT GetDialogTemplateSize(HINSTANCE instance, UINT dialogId, SIZE& size) noexcept {
    HRSRC info = ::FindResourceW(instance, MAKEINTRESOURCEW(dialogId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (!info) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    HGLOBAL handle = ::LoadResource(instance, info);
    const void* data = handle ? ::LockResource(handle) : nullptr;
    DialogHeader header;
    if (!data || !ReadDialogHeader(data, ::SizeofResource(instance, info), header)) return E_FAIL;

    // Dialog base units of the template's font, as the dialog manager computes them: the average width
    // of the alphabet's letters and the font's height. Without a font, the system's base units.
    LONG baseX = LOWORD(::GetDialogBaseUnits());
    LONG baseY = HIWORD(::GetDialogBaseUnits());
    if (header.hasFont) {
        HDC screen = ::GetDC(nullptr);
        if (screen) {
            LOGFONTW font = {};
            font.lfHeight = -::MulDiv(header.pointSize, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
            font.lfWeight = header.weight;
            font.lfItalic = header.italic ? TRUE : FALSE;
            font.lfCharSet = DEFAULT_CHARSET;
            std::wstring face(header.face.begin(), header.face.end());
            ::lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
            ferrow::UniqueGdiObject hfont(::CreateFontIndirectW(&font));
            if (hfont) {
                HGDIOBJ old = ::SelectObject(screen, hfont.Get());
                TEXTMETRICW metrics = {};
                SIZE extent = {};
                static const wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
                if (::GetTextMetricsW(screen, &metrics) && ::GetTextExtentPoint32W(screen, kAlphabet, 52, &extent)) {
                    baseX = (extent.cx / 26 + 1) / 2;
                    baseY = metrics.tmHeight;
                }
                ::SelectObject(screen, old);
            }
            ::ReleaseDC(nullptr, screen);
        }
    }
    size.cx = ::MulDiv(header.cx, baseX, 4);
    size.cy = ::MulDiv(header.cy, baseY, 8);
    return S_OK;
}

HRESULT LoadTaskMemString(UINT id, LPOLESTR* out) noexcept {
    *out = nullptr;
    if (id == 0) return S_OK;
    std::wstring text;
    const HRESULT loaded = ferrow::GuardedCall([&] {
        text = ferrow::LoadResStringW(id);
        return S_OK;
    });
    if (FAILED(loaded)) return loaded;
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
    if (!copy) return E_OUTOFMEMORY;
    std::memcpy(copy, text.c_str(), bytes);
    *out = copy;
    return S_OK;
}

std::string MakeHelpPath(LPCOLESTR directory, const std::wstring& file) {
    std::wstring path;
    if (directory && *directory) {
        path = directory;
        path += L"\\";
    }
    path += file;
    return ferrow::WideToAnsi(path);
}

CPropertyPageState::~CPropertyPageState() {
    if (window_) {
        // The frame did not deactivate the page: take the window down with the object, and make sure a
        // window that could not be destroyed here (another thread) no longer points at this object.
        ::SetWindowLongPtrW(window_, DWLP_USER, 0);
        ::DestroyWindow(window_);
    }
    ReleaseObjects();
}

HRESULT CPropertyPageState::SetPageSite(IPropertyPageSite* site) noexcept {
    if (!site) {
        site_.Reset();
        return S_OK;
    }
    if (site_) return E_UNEXPECTED;
    site_ = ferrow::ComPtr<IPropertyPageSite>::FromRaw(site);
    return S_OK;
}

HRESULT CPropertyPageState::Activate(ferrow::CDialog& dialogObject, HWND parent, LPCRECT rect) noexcept {
    if (!rect) return E_POINTER;
    if (window_) return E_UNEXPECTED;  // already active: a second window would be orphaned
    HWND dialog = dialogObject.CreateChild(parent);
    if (!dialog) {
        DWORD error = ::GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    window_ = dialog;
    ::MoveWindow(dialog, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, FALSE);
    size_.cx = rect->right - rect->left;
    size_.cy = rect->bottom - rect->top;
    return S_OK;
}

HRESULT CPropertyPageState::Deactivate() noexcept {
    if (window_) {
        HWND dialog = window_;
        window_ = nullptr;
        ::DestroyWindow(dialog);
    }
    return S_OK;
}

HRESULT CPropertyPageState::GetPageInfo(const PageStrings& page, PROPPAGEINFO* info) noexcept {
    if (!info) return E_POINTER;
    LPOLESTR title = nullptr, doc = nullptr, help = nullptr;
    HRESULT hr = LoadTaskMemString(page.titleId, &title);
    if (SUCCEEDED(hr)) hr = LoadTaskMemString(page.docStringId, &doc);
    if (SUCCEEDED(hr)) hr = LoadTaskMemString(page.helpFileId, &help);
    if (FAILED(hr)) {
        ::CoTaskMemFree(title);
        ::CoTaskMemFree(doc);
        ::CoTaskMemFree(help);
        return hr;
    }
    SIZE size = {0, 0};
    if (FAILED(GetDialogTemplateSize(ferrow::ModuleInstance(), page.dialogId, size))) size = size_;
    info->cb = sizeof(PROPPAGEINFO);
    info->pszTitle = title;
    info->size = size;
    info->pszDocString = doc;
    info->pszHelpFile = help;
    info->dwHelpContext = 0;
    return S_OK;
}

void CPropertyPageState::ReleaseObjects() noexcept {
    for (IUnknown* object : objects_)
        if (object) object->Release();
    objects_.clear();
}

HRESULT CPropertyPageState::SetObjects(ULONG count, IUnknown** objects) noexcept {
    ReleaseObjects();
    // The frame says "let go of your objects" with no objects at all.
    if (count == 0) return S_OK;
    if (!objects) return E_POINTER;
    if (count > 0x3FFFFFFF) return E_OUTOFMEMORY;
    const HRESULT reserved = ferrow::GuardedCall([&] {
        objects_.reserve(count);
        return S_OK;
    });
    if (FAILED(reserved)) return reserved;
    for (ULONG i = 0; i < count; ++i) {
        if (objects[i]) objects[i]->AddRef();
        objects_.push_back(objects[i]);
    }
    return S_OK;
}

HRESULT CPropertyPageState::Show(UINT command) noexcept {
    if (!window_) return E_UNEXPECTED;
    ::ShowWindow(window_, static_cast<int>(command));
    return S_OK;
}

HRESULT CPropertyPageState::Move(LPCRECT rect) noexcept {
    if (!window_) return E_UNEXPECTED;
    if (!rect) return E_POINTER;
    ::MoveWindow(window_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    size_.cx = rect->right - rect->left;
    size_.cy = rect->bottom - rect->top;
    return S_OK;
}

namespace {

bool IsFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// The HTML Help viewer's entry, loaded on first use and kept for the life of the process: its windows
// live in hhctrl.ocx, so it must never be unloaded while one may be open. Null when it is missing.
HtmlHelpFn HtmlHelpEntry() noexcept {
    static const HtmlHelpFn entry = [] {
        HMODULE module = ::LoadLibraryA("hhctrl.ocx");
        return module ? reinterpret_cast<HtmlHelpFn>(::GetProcAddress(module, "HtmlHelpA")) : nullptr;
    }();
    return entry;
}

}  // namespace

std::string FindHelpFile(LPCOLESTR directory, const std::wstring& file) {
    if (directory && *directory) {
        std::string path = MakeHelpPath(directory, file);
        if (IsFile(path)) return path;
    }
    std::string path = ferrow::ModulePath(ferrow::ModuleInstance());
    const size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) return {};
    path.resize(slash + 1);
    path += ferrow::WideToAnsi(file);
    return IsFile(path) ? path : std::string();
}

HRESULT CPropertyPageState::Help(const PageStrings& page, LPCOLESTR directory) noexcept {
    if (page.helpFileId == 0) return S_OK;
    return ferrow::GuardedCall([&]() -> HRESULT {
        const std::string path = FindHelpFile(directory, ferrow::LoadResStringW(page.helpFileId));
        if (path.empty()) return S_OK;
        HtmlHelpFn htmlHelp = HtmlHelpEntry();
        if (!htmlHelp) return S_OK;
        const std::string topic = path + "::/" + kHelpTopic;
        htmlHelp(window_, topic.c_str(), 0 /* HH_DISPLAY_TOPIC */, 0);
        return S_OK;
    });
}

HRESULT CPropertyPageState::TranslateAccelerator(MSG* message) noexcept {
    if (!message) return E_POINTER;
    const UINT m = message->message;
    const bool keyboard = m >= WM_KEYFIRST && m <= WM_KEYLAST;
    const bool mouse = m >= WM_MOUSEFIRST && m <= 525;  // up to WM_XBUTTONDBLCLK
    if (!keyboard && !mouse) return S_FALSE;
    if (!window_) return S_FALSE;
    return ::IsDialogMessageA(window_, message) ? S_OK : S_FALSE;
}

bool CPropertyPageState::HandleCommonMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_INITDIALOG:
        window_ = dialog;  // the page's code may use the window before CreateDialogParam returns
        return false;
    case WM_STYLECHANGING:
        // The frame may reset the extended style; the page keeps WS_EX_CONTROLPARENT so that the tab key
        // walks from the frame into the page's controls.
        if (wParam == static_cast<WPARAM>(GWL_EXSTYLE) && lParam) {
            reinterpret_cast<STYLESTRUCT*>(lParam)->styleNew |= WS_EX_CONTROLPARENT;
            return true;
        }
        return false;
    case WM_NCDESTROY:
        if (window_ == dialog) window_ = nullptr;  // destroyed by its parent, not by Deactivate
        return false;
    default:
        return false;
    }
}

}  // namespace config

#include "propsheet/prop_sheet_ext.h"

#include "common/dropped_paths.h"
#include "common/exception_guard.h"
#include "common/handles.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "model/admin_files.h"
#include "resources/resource.h"

#include <shellapi.h>
#include <shlwapi.h>

namespace propsheet {

namespace {

// The page callback: drops the reference the page took on the extension object when the page goes.
UINT CALLBACK PageCallback(HWND, UINT message, LPPROPSHEETPAGEA page) {
    if (message == PSPCB_RELEASE && page && page->lParam) {
        reinterpret_cast<CCVSPropSheetExt*>(page->lParam)->Release();
    }
    return 1;  // PSPCB_CREATE: let the page be created
}

// True when the calling thread already runs in the activation context of this module's manifest.
bool InModuleContext(HANDLE context) {
    HANDLE current = nullptr;
    if (!::GetCurrentActCtx(&current)) return false;
    const bool same = current == context;
    if (current) ::ReleaseActCtx(current);
    return same;
}

}  // namespace

CCVSPropSheetExt::CCVSPropSheetExt() {
    images_ = ::ImageList_Create(16, 16, ILC_COLOR, 2, 2);
    if (images_) {
        ferrow::UniqueGdiObject strip(::LoadBitmapA(ferrow::ModuleInstance(), MAKEINTRESOURCEA(IDB_HISTORY)));
        if (strip) ::ImageList_Add(images_, static_cast<HBITMAP>(strip.Get()), nullptr);
    }
    // The pages use the common controls of the module's manifest when the host does not.
    ACTCTXA context = {};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.hModule = ferrow::ModuleInstance();
    context.lpResourceName = MAKEINTRESOURCEA(IDR_MANIFEST);
    const std::string path = ferrow::ModulePath(ferrow::ModuleInstance());
    if (!path.empty()) {
        context.lpSource = path.c_str();
        activationContext_ = ::CreateActCtxA(&context);
    }
}

CCVSPropSheetExt::~CCVSPropSheetExt() {
    if (images_) ::ImageList_Destroy(images_);
    if (activationContext_ != INVALID_HANDLE_VALUE) ::ReleaseActCtx(activationContext_);
}

STDMETHODIMP CCVSPropSheetExt::Initialize(PCIDLIST_ABSOLUTE, IDataObject* pdtobj, HKEY) {
    std::vector<std::string> paths;
    const HRESULT hr = ferrow::ReadDroppedPaths(pdtobj, paths);
    if (FAILED(hr)) return hr;
    return ferrow::GuardedCall([this, &paths] { return InitializeFromPaths(paths); });
}

HRESULT CCVSPropSheetExt::InitializeFromPaths(const std::vector<std::string>& paths) {
    selection_.clear();
    for (const std::string& p : paths) selection_.push_back(ferrow::CopyPath(p));
    return AcceptSelection();
}

HRESULT CCVSPropSheetExt::AcceptSelection() {
    if (selection_.empty()) return E_INVALIDARG;
    const char* first = selection_[0].c_str();
    if (selection_[0].empty()) return E_INVALIDARG;
    if (IsControlled(first) || ParentHasCVSDir(first)) return S_OK;
    return E_INVALIDARG;
}

HPROPSHEETPAGE CCVSPropSheetExt::CreatePage(UINT templateId, DLGPROC procedure, bool history) {
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_USEICONID | PSP_USECALLBACK;
    if (history) page.dwFlags |= PSP_USEREFPARENT;
    page.hInstance = ferrow::ModuleInstance();
    page.pszTemplate = MAKEINTRESOURCEA(templateId);
    page.pszIcon = MAKEINTRESOURCEA(IDI_FERROW);
    page.pfnDlgProc = procedure;
    page.lParam = reinterpret_cast<LPARAM>(this);
    page.pfnCallback = PageCallback;
    if (history) page.pcRefParent = &pageCounter_;
    if (activationContext_ != INVALID_HANDLE_VALUE && !InModuleContext(activationContext_)) {
        page.dwFlags |= PSP_USEFUSIONCONTEXT;
        page.hActCtx = activationContext_;
    }
    // The page keeps the object alive: it reads the selection when it is first shown, maybe much later.
    AddRef();
    HPROPSHEETPAGE handle = ::CreatePropertySheetPageA(&page);
    if (!handle) Release();
    return handle;
}

STDMETHODIMP CCVSPropSheetExt::AddPages(LPFNSVADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) {
    return ferrow::GuardedCall([&]() -> HRESULT {
        ::InitCommonControls();
        if (!pfnAddPage || selection_.empty()) return S_OK;

        if (HPROPSHEETPAGE cvs = CreatePage(IDD_CVS_PAGE, CvsPageProc, false)) {
            if (!pfnAddPage(cvs, lParam)) ::DestroyPropertySheetPage(cvs);
        }
        if (selection_.size() == 1 && !::PathIsDirectoryA(selection_[0].c_str())) {
            if (HPROPSHEETPAGE history = CreatePage(IDD_HISTORY_PAGE, HistoryPageProc, true)) {
                if (!pfnAddPage(history, lParam)) ::DestroyPropertySheetPage(history);
            }
        }
        return S_OK;
    });
}

STDMETHODIMP CCVSPropSheetExt::ReplacePage(EXPPS, LPFNSVADDPROPSHEETPAGE, LPARAM) { return E_NOTIMPL; }

}  // namespace propsheet

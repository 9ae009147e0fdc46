#include "menu/context_menu.h"

#include "common/dropped_paths.h"
#include "common/exception_guard.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "console/console_link.h"
#include "console/console_output.h"
#include "exec/command_line.h"
#include "exec/process_runner.h"
#include "exec/run_lock.h"
#include "menu/core/menu_rules.h"
#include "menu/operation_output.h"
#include "ops/core/operation_rules.h"
#include "ops/launch.h"
#include "ops/operation.h"
#include "menu/selection_facts.h"
#include "model/admin_files.h"
#include "ops/launch.h"
#include "settings/settings_store.h"
#include "resources/resource.h"
#include "com/object_map.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <olectl.h>

namespace {


HBITMAP LoadMenuBitmap(unsigned id) {
    return static_cast<HBITMAP>(::LoadImageA(ferrow::ModuleInstance(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                                             LR_LOADMAP3DCOLORS));
}

}  // namespace

namespace menu {

CCVSContextMenu::CCVSContextMenu() {
    for (unsigned offset = 0; offset < menu::kCommandCount; ++offset) {
        // Reserved offsets without a command have no row.
        if (const menu::CommandResources* res = menu::FindCommandResources(offset)) {
            bitmaps_[offset].Reset(LoadMenuBitmap(res->bitmapId));
        }
    }
    submenuBitmap_.Reset(LoadMenuBitmap(menu::kSubmenuBitmapId));
}

CCVSContextMenu::~CCVSContextMenu() = default;

STDMETHODIMP CCVSContextMenu::Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* pdtobj, HKEY) {
    inWorkingCopy_ = false;
    std::vector<std::string> paths;
    // A folder's background comes without a data object: the folder itself is the selection.
    const HRESULT hr = pdtobj ? ferrow::ReadDroppedPaths(pdtobj, paths) : ferrow::ReadFolderPath(pidlFolder, paths);
    if (FAILED(hr)) return hr;
    return ferrow::GuardedCall([&]() -> HRESULT { return RecordSelection(std::move(paths)); });
}

HRESULT CCVSContextMenu::RecordSelection(std::vector<std::string> paths) {
    inWorkingCopy_ = false;
    selection_.clear();
    for (std::string& path : paths) {
        if (!IsAdminDirectory(path)) selection_.push_back(std::move(path));
    }
    if (selection_.empty()) return E_INVALIDARG;
    const char* first = selection_.front().c_str();
    inWorkingCopy_ = IsControlled(first) || ParentHasCVSDir(first);
    return S_OK;
}

bool CCVSContextMenu::BuildEntries(unsigned flags, std::vector<menu::MenuEntry>& entries) const {
    entries.clear();
    if (selection_.empty()) return false;
    const menu::SelectionFacts facts = menu::GatherSelectionFacts(selection_.front(), selection_.size(), inWorkingCopy_);
    if (!menu::WantsSubmenu(facts, flags)) return false;
    entries = menu::BuildMenuEntries(facts, flags);
    return true;
}

STDMETHODIMP CCVSContextMenu::QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT, UINT uFlags) {
    return ferrow::GuardedCall([&]() -> HRESULT {
        std::vector<menu::MenuEntry> entries;
        if (!BuildEntries(uFlags, entries)) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);

        ferrow::UniqueMenu popup(::CreatePopupMenu());
        if (!popup) return HRESULT_FROM_WIN32(::GetLastError());
        for (const menu::MenuEntry& entry : entries) {
            if (entry.separator) {
                ::AppendMenuA(popup.Get(), MF_SEPARATOR, 0, "-");
                continue;
            }
            const menu::CommandResources* res = menu::FindCommandResources(entry.offset);
            const UINT id = idCmdFirst + entry.offset;
            ::AppendMenuA(popup.Get(), MF_STRING | (entry.enabled ? MF_ENABLED : MF_GRAYED), id,
                          ferrow::LoadResString(res->textId).c_str());
            ::SetMenuItemBitmaps(popup.Get(), id, MF_BYCOMMAND, static_cast<HBITMAP>(bitmaps_[entry.offset].Get()),
                                 nullptr);
        }
        const std::string title = ferrow::LoadResString(menu::kSubmenuTextId);
        if (!::InsertMenuA(hmenu, indexMenu, MF_BYPOSITION | MF_POPUP,
                           reinterpret_cast<UINT_PTR>(popup.Get()), title.c_str())) {
            return HRESULT_FROM_WIN32(::GetLastError());
        }
        popup.Release();  // the shell's menu owns the submenu now
        ::SetMenuItemBitmaps(hmenu, indexMenu, MF_BYPOSITION, static_cast<HBITMAP>(submenuBitmap_.Get()), nullptr);
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, menu::kCommandCount);
    });
}

STDMETHODIMP CCVSContextMenu::GetCommandString(UINT_PTR idCmd, UINT uType, UINT*, CHAR* pszName, UINT cchMax) {
    const menu::CommandResources* res = idCmd <= 0xFFFF ? menu::FindCommandResources(static_cast<unsigned>(idCmd))
                                                        : nullptr;
    if (!res) return E_INVALIDARG;
    const UINT kind = uType & ~static_cast<UINT>(GCS_UNICODE);
    if (kind == GCS_VALIDATEA) return S_OK;
    if (kind != GCS_HELPTEXTA && kind != GCS_VERBA) return E_INVALIDARG;
    if (!pszName || cchMax == 0) return E_INVALIDARG;
    return ferrow::GuardedCall([&]() -> HRESULT {
        const std::string text = kind == GCS_VERBA ? std::string(res->verb) : ferrow::LoadResString(res->helpId);
        if (uType & GCS_UNICODE) {
            const std::wstring wide = ferrow::AnsiToWide(text);
            ::lstrcpynW(reinterpret_cast<LPWSTR>(pszName), wide.c_str(), static_cast<int>(cchMax));
        } else {
            ::lstrcpynA(pszName, text.c_str(), static_cast<int>(cchMax));
        }
        return S_OK;
    });
}

STDMETHODIMP CCVSContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* pici) {
    if (!pici) return E_INVALIDARG;
    const bool uiAllowed = (pici->fMask & CMIC_MASK_FLAG_NO_UI) == 0;
    return ferrow::GuardedCall([&]() -> HRESULT {
        unsigned offset = 0;
        // A verb by name: the wide one of the extended structure when the caller says it is there.
        const auto* ex = reinterpret_cast<const CMINVOKECOMMANDINFOEX*>(pici);
        if ((pici->fMask & CMIC_MASK_UNICODE) && pici->cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && ex->lpVerbW &&
            !IS_INTRESOURCE(ex->lpVerbW)) {
            if (!menu::FindCommandByVerb(ferrow::WideToAnsi(ex->lpVerbW), offset)) return E_INVALIDARG;
        } else if (!IS_INTRESOURCE(pici->lpVerb)) {
            if (!menu::FindCommandByVerb(pici->lpVerb, offset)) return E_INVALIDARG;
        } else {
            offset = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(pici->lpVerb) & 0xFFFF);
        }
        return RunItem(offset, pici->hwnd, uiAllowed);
    });
}

HRESULT CCVSContextMenu::RunItem(unsigned offset, HWND hwnd, bool uiAllowed) {
    const menu::CommandResources* res = menu::FindCommandResources(offset);
    if (!res) return E_INVALIDARG;
    if (selection_.empty()) return E_INVALIDARG;
    return ferrow::GuardedCall([&]() -> HRESULT {
        if (offset == menu::kCmdOptions) return ShowOptions(hwnd);
        ops::Operation operation = ops::Operation::kUpdate;
        // Diff, and every command that is not one of the operations, always runs in the program.
        if (!ops::FindOperation(res->verb, operation)) return ops::StartProgram(res->verb, selection_, hwnd);
        if (exec_lock::HeldByThisThread()) {
            // Asked from a message this thread's running operation dispatched: nothing runs, and the
            // console says why.
            console::Append(ferrow::LoadResString(IDS_RUN_BUSY) + "\r\n");
            return HRESULT_FROM_WIN32(ERROR_BUSY);
        }
        // Where the output goes to a window, the program runs the operation and the shell's thread waits
        // for nothing; where a console bar shows it (and without user interface) it runs here, as hosts
        // that show the bar expect.
        const settings::OutputMode mode = settings::GetOutputMode();
        if (uiAllowed && (mode == settings::OutputMode::kWindow ||
                          (mode == settings::OutputMode::kAuto && !console::HasBar())))
            return ops::StartProgram(res->verb, selection_, hwnd);
        // The dialog is shown without user interface too, as it always was: the arguments are the user's.
        if (!ops::AskArguments(operation, selection_, ::GetActiveWindow(), nullptr, arguments_)) return E_ABORT;
        return RunInBar(operation, hwnd, uiAllowed);
    });
}

HRESULT CCVSContextMenu::RunInBar(ops::Operation operation, HWND hwnd, bool uiAllowed) {
    ops::RunResult result;
    {
        // One operation at a time writes to the console, from its clearing to its last line: an operation
        // of another Explorer window waits here, so neither clears nor splits the other's output.
        exec_lock::Scoped operationLock;
        if (!operationLock.Held()) return HRESULT_FROM_WIN32(ERROR_BUSY);
        if (console::HasLink()) {
            console::ShowIfAuto();
            console::Clear();
        }
        menu::CConsoleOutput bar;
        ops::RunContext context;
        context.sink = &bar;
        context.progress = uiAllowed;
        context.progressOwner = hwnd;
        result = ops::RunOperation(operation, arguments_, selection_, context);
        // Nothing ran: the refusal takes the place of the client's messages, in the console and the box.
        if (result.hr == kNameTooLong) {
            result.err = ferrow::LoadResString(IDS_NAME_TOO_LONG) + "\r\n" + result.refusedName + "\r\n";
            bar.OnOutput(exec::OutputKind::kErr, result.err);
        }
        std::string verdict;
        if (result.hr == kRunCancelled) {
            verdict = ferrow::LoadResString(IDS_RUN_CANCELLED) + "\r\nfailed\r\n";
        } else if (FAILED(result.hr)) {
            if (uiAllowed) verdict = "failed\r\n";
        } else {
            verdict = "ok\r\n";
        }
        if (console::HasLink()) bar.AppendLine(verdict);
    }
    const HRESULT hr = result.hr;
    if (SUCCEEDED(hr) && uiAllowed) {
        ::PostMessageA(hwnd, WM_KEYDOWN, VK_F5, 0);
        ::PostMessageA(hwnd, WM_KEYUP, VK_F5, 0);
    }
    if (FAILED(hr) && hr != kRunCancelled && uiAllowed) {
        const std::string fallback = ferrow::LoadResString(IDS_ERROR_TEXT);
        const std::string caption = ferrow::LoadResString(IDS_ERROR_CAPTION);
        ::MessageBoxA(hwnd, ops::ChooseErrorText(result.err, result.out, fallback).c_str(), caption.c_str(),
                      MB_ICONERROR);
    }
    // The user ended it: nothing to report in a box, nothing changed to refresh.
    if (hr == kRunCancelled) return hr;
    return FAILED(hr) ? E_FAIL : S_OK;
}

HRESULT CCVSContextMenu::ShowOptions(HWND hwnd) {
    ferrow::ComPtr<ISpecifyPropertyPages> specify;
    if (FAILED(QueryInterface(IID_ISpecifyPropertyPages, specify.PutVoid()))) return E_FAIL;
    CAUUID pages = {};
    if (FAILED(specify->GetPages(&pages))) return E_FAIL;
    ferrow::UniqueCoTaskMem pageMemory(pages.pElems);
    ferrow::ComPtr<IUnknown> self;
    if (FAILED(QueryInterface(IID_IUnknown, self.PutVoid()))) return E_FAIL;

    // Only the pages this module serves: a page that cannot be created would empty the whole frame.
    std::vector<CLSID> served;
    for (ULONG i = 0; i < pages.cElems; ++i) {
        if (ferrow::FindObjectEntry(pages.pElems[i])) served.push_back(pages.pElems[i]);
    }
    const std::wstring caption = ferrow::AnsiToWide(ferrow::LoadResString(IDS_PROJNAME));
    IUnknown* objects[] = {self.Get()};
    ::OleCreatePropertyFrame(hwnd, 0, 0, caption.c_str(), 1, objects, static_cast<ULONG>(served.size()),
                             served.empty() ? nullptr : served.data(), 0, 0, nullptr);
    return S_OK;
}

STDMETHODIMP CCVSContextMenu::GetPages(CAUUID* pPages) {
    if (!pPages) return E_POINTER;
    static const CLSID* const kPages[] = {&CLSID_COptionsPage, &CLSID_CToolsPage, &CLSID_CAboutPage};
    pPages->cElems = 0;
    pPages->pElems = static_cast<GUID*>(::CoTaskMemAlloc(sizeof(kPages) / sizeof(kPages[0]) * sizeof(GUID)));
    if (!pPages->pElems) return E_OUTOFMEMORY;
    for (const CLSID* page : kPages) pPages->pElems[pPages->cElems++] = *page;
    return S_OK;
}

STDMETHODIMP CCVSContextMenu::SetSite(IUnknown* pUnkSite) {
    // A null site changes nothing; any other replaces the process's console link with one for this window.
    if (!pUnkSite) return S_OK;
    return ferrow::GuardedCall([pUnkSite] { return console::ReplaceLink(pUnkSite); });
}

STDMETHODIMP CCVSContextMenu::GetSite(REFIID, void** ppvSite) {
    if (ppvSite) *ppvSite = nullptr;
    return E_NOTIMPL;
}

}  // namespace menu

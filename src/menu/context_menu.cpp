#include "menu/context_menu.h"

#include "common/core/replace_all.h"
#include "common/dropped_paths.h"
#include "common/exception_guard.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "console/console_link.h"
#include "console/console_output.h"
#include "exec/command_line.h"
#include "exec/process_runner.h"
#include "exec/output_window.h"
#include "exec/progress_dialog.h"
#include "exec/run_lock.h"
#include "exec/tools.h"
#include "menu/core/menu_rules.h"
#include "menu/core/operation_rules.h"
#include "menu/operation_dialogs.h"
#include "menu/operation_output.h"
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

// An operation of this thread is under way: it dispatches messages while it waits, so the window can
// ask for another one meanwhile.
thread_local bool t_operationRunning = false;

class OperationRunning {
public:
    OperationRunning() { t_operationRunning = true; }
    ~OperationRunning() { t_operationRunning = false; }
    OperationRunning(const OperationRunning&) = delete;
    OperationRunning& operator=(const OperationRunning&) = delete;
};

HBITMAP LoadMenuBitmap(unsigned id) {
    return static_cast<HBITMAP>(::LoadImageA(ferrow::ModuleInstance(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                                             LR_LOADMAP3DCOLORS));
}

// The commit message in a temporary file, for the client's -F option; removed when the object ends (after
// the run). Path() is empty when the file could not be written.
class MessageFile {
public:
    explicit MessageFile(const std::string& message) {
        char folder[MAX_PATH] = {};
        const DWORD length = ::GetTempPathA(MAX_PATH, folder);
        char name[MAX_PATH] = {};
        if (length == 0 || length >= MAX_PATH || !::GetTempFileNameA(folder, "fcm", 0, name)) return;
        path_ = name;  // the file exists from here on
        ferrow::UniqueFile file(::CreateFileA(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                              nullptr));
        DWORD wrote = 0;
        const DWORD size = static_cast<DWORD>(message.size());
        if (file && (size == 0 || (::WriteFile(file.Get(), message.data(), size, &wrote, nullptr) && wrote == size)))
            return;
        file.Reset();
        ::DeleteFileA(path_.c_str());
        path_.clear();
    }
    ~MessageFile() {
        if (!path_.empty()) ::DeleteFileA(path_.c_str());
    }
    MessageFile(const MessageFile&) = delete;
    MessageFile& operator=(const MessageFile&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The one echo of a command line outside an operation's frame: the fetch of Diff.
void EchoCommandLine(const std::string& line) { menu::EchoCommand(line); }

}  // namespace

namespace menu {

CCVSContextMenu::CCVSContextMenu() {
    for (unsigned offset = 0; offset < menu::kCommandCount; ++offset) {
        bitmaps_[offset].Reset(LoadMenuBitmap(menu::FindCommandResources(offset)->bitmapId));
    }
    submenuBitmap_.Reset(LoadMenuBitmap(menu::kSubmenuBitmapId));
}

CCVSContextMenu::~CCVSContextMenu() = default;

STDMETHODIMP CCVSContextMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject* pdtobj, HKEY) {
    inWorkingCopy_ = false;
    std::vector<std::string> paths;
    const HRESULT hr = ferrow::ReadDroppedPaths(pdtobj, paths);
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
    if (!(uType & GCS_HELPTEXTA)) return E_INVALIDARG;  // no verbs, no validation
    const menu::CommandResources* res = idCmd <= 0xFFFF ? menu::FindCommandResources(static_cast<unsigned>(idCmd))
                                                        : nullptr;
    if (!res || !pszName || cchMax == 0) return E_INVALIDARG;
    return ferrow::GuardedCall([&]() -> HRESULT {
        if (uType & GCS_UNICODE) {
            const std::wstring text = ferrow::AnsiToWide(ferrow::LoadResString(res->helpId));
            ::lstrcpynW(reinterpret_cast<LPWSTR>(pszName), text.c_str(), static_cast<int>(cchMax));
        } else {
            const std::string text = ferrow::LoadResString(res->helpId);
            ::lstrcpynA(pszName, text.c_str(), static_cast<int>(cchMax));
        }
        return S_OK;
    });
}

STDMETHODIMP CCVSContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* pici) {
    if (!pici) return E_INVALIDARG;
    const ULONG_PTR verb = reinterpret_cast<ULONG_PTR>(pici->lpVerb);
    if (verb > 0xFFFF) return E_INVALIDARG;
    return RunItem(static_cast<unsigned>(verb & 0xFFFF), pici->hwnd, (pici->fMask & CMIC_MASK_FLAG_NO_UI) == 0);
}

HRESULT CCVSContextMenu::RunItem(unsigned offset, HWND hwnd, bool uiAllowed) {
    if (offset >= menu::kCommandCount) return E_INVALIDARG;
    if (selection_.empty()) return E_INVALIDARG;
    return ferrow::GuardedCall([&]() -> HRESULT {
        if (t_operationRunning) {
            // Asked from a message this thread's running operation dispatched: nothing runs, the console
            // and the operation's window say why, and the window comes to the front.
            const std::string busy = ferrow::LoadResString(IDS_RUN_BUSY) + "\r\n";
            console::Append(busy);
            if (exec::COutputWindow* window = exec::COutputWindow::OfThisThread()) {
                window->OnOutput(exec::OutputKind::kErr, busy);
                window->Attention();
            }
            return HRESULT_FROM_WIN32(ERROR_BUSY);
        }
        return InvokeOffset(offset, hwnd, uiAllowed);
    });
}

HRESULT CCVSContextMenu::InvokeOffset(unsigned offset, HWND hwnd, bool uiAllowed) {
    // Checkout, Import, Log in and Log out run in Ferrow.exe, which shows their windows.
    if (offset >= menu::kCmdCheckout) return ops::StartProgram(menu::FindCommandResources(offset)->verb, selection_, hwnd);
    switch (offset) {
    case menu::kCmdDiff: {
        // The diff tool fetches the base revision itself; whether it starts is not reported. The fetch is
        // echoed after what the console shows, so that a failing one can be understood; its messages are
        // dispatched meanwhile, so it is an operation of this thread like the others.
        OperationRunning running;
        exec_lock::Scoped operation;
        CCommandEcho echo(EchoCommandLine);
        CompareRevisions(selection_.front(), nullptr, nullptr);
        return S_OK;
    }
    case menu::kCmdOptions:
        return ShowOptions(hwnd);
    case menu::kCmdCommit: {
        menu::CCommitDlg dialog;
        dialog.message = commitMessage_;
        dialog.itemCount = selection_.size();
        dialog.path = selection_.front();
        if (dialog.DoModal(::GetActiveWindow()) != IDOK) return E_ABORT;
        commitMessage_ = dialog.message;
        break;
    }
    case menu::kCmdCustom: {
        menu::CCustomCmdDlg dialog;
        dialog.commandLine = customCommand_;
        if (dialog.DoModal(::GetActiveWindow()) != IDOK) return E_ABORT;
        customCommand_ = dialog.commandLine;
        break;
    }
    case menu::kCmdTag: {
        menu::CTagDlg dialog;
        dialog.tagName = tagName_;
        dialog.branchFlag = branchFlag_;
        dialog.checkFlag = checkFlag_;
        dialog.moveFlag = moveFlag_;
        dialog.itemCount = selection_.size();
        dialog.path = selection_.front();
        if (dialog.DoModal(::GetActiveWindow()) != IDOK) return E_ABORT;
        tagName_ = dialog.tagName;
        branchFlag_ = dialog.branchFlag;
        checkFlag_ = dialog.checkFlag;
        moveFlag_ = dialog.moveFlag;
        break;
    }
    default:
        break;
    }
    return RunCommand(offset, hwnd, uiAllowed);
}

HRESULT CCVSContextMenu::CarryOut(unsigned offset, std::string& refusedName) {
    switch (offset) {
    case menu::kCmdUpdate:
    case menu::kCmdAdd:
    case menu::kCmdUndo:
    case menu::kCmdResetTag:
        return ExecuteTemplate(menu::FixedTemplate(offset), selection_, {}, &refusedName);
    case menu::kCmdCommit: {
        // Through a file the message reaches the client byte for byte (double quotes and percent signs
        // included); on the command line, quoted, only when no file can be written.
        MessageFile file(commitMessage_);
        if (file.Path().empty())
            return ExecuteTemplate(menu::FixedTemplate(offset), selection_,
                                   {{menu::kMessageVariable, QuoteArgument(commitMessage_)}}, &refusedName);
        return ExecuteTemplate(menu::CommitFileTemplate(), selection_,
                               {{menu::kMessageFileVariable, QuoteArgument(file.Path())}}, &refusedName);
    }
    case menu::kCmdRemove: {
        // Nothing is deleted for a command that would not run.
        const HRESULT check = CheckTemplate(menu::FixedTemplate(offset), selection_, {}, &refusedName);
        if (FAILED(check)) return check;
        // The local copies go to the Recycle Bin first, without questions; cvs then schedules the removal.
        std::string from;
        for (const std::string& path : selection_) {
            from += path;
            from += '\0';
        }
        from += '\0';
        SHFILEOPSTRUCTA op = {};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
        if (::SHFileOperationA(&op) != 0 || op.fAnyOperationsAborted) return E_FAIL;
        return ExecuteTemplate(menu::FixedTemplate(offset), selection_, {}, &refusedName);
    }
    case menu::kCmdCustom: {
        // The user's own line: its %NAME% references are meant, the names put in for "$(Names)" are not.
        std::string command = customCommand_;
        ExpandEnvironment(command);  // on failure the line runs unexpanded
        return ExecuteTemplate(command, selection_, {}, &refusedName);
    }
    case menu::kCmdTag:
        return ExecuteTemplate(menu::BuildTagTemplate(moveFlag_, checkFlag_, branchFlag_), selection_,
                               {{menu::kTagVariable, QuoteArgument(tagName_)}}, &refusedName);
    default:
        return E_INVALIDARG;
    }
}

HRESULT CCVSContextMenu::RunCommand(unsigned offset, HWND hwnd, bool uiAllowed) {
    OperationRunning running;
    exec::COutputWindow window;
    bool inWindow = false;
    std::string out;
    std::string err;
    std::string refusedName;
    HRESULT hr;
    {
        // One operation at a time writes to the console, from its clearing to its last line: an operation
        // of another Explorer window waits here, so neither clears nor splits the other's output.
        exec_lock::Scoped operation;
        if (console::HasLink()) {
            console::ShowIfAuto();
            console::Clear();
        }
        // The window where no console bar shows the output (or always, by the setting); it replaces the
        // shell's progress window and the error box.
        const settings::OutputMode mode = settings::GetOutputMode();
        if (uiAllowed && (mode == settings::OutputMode::kWindow ||
                          (mode == settings::OutputMode::kAuto && !console::HasBar())))
            inWindow = window.Open(hwnd, OutputTitle(offset));
        menu::CConsoleOutput bar;
        {
            CProgressDialog progress;
            progress.SetOutputSink(&bar);
            if (inWindow) {
                progress.AttachWindow(&window);
            } else if (uiAllowed) {
                progress.Start(hwnd);
            }
            hr = CarryOut(offset, refusedName);
            progress.Stop();
            out = menu::NormalizeLineEnds(progress.GetStdOutText());
            err = menu::NormalizeLineEnds(progress.GetStdErrText());
        }
        // Nothing ran: the refusal takes the place of the client's messages, in the console and the box.
        if (hr == kNameTooLong) {
            err = ferrow::LoadResString(IDS_NAME_TOO_LONG) + "\r\n" + refusedName + "\r\n";
            bar.OnOutput(exec::OutputKind::kErr, err);
            window.OnOutput(exec::OutputKind::kErr, err);
        }
        std::string verdict;
        if (hr == kRunCancelled) {
            verdict = ferrow::LoadResString(IDS_RUN_CANCELLED) + "\r\nfailed\r\n";
        } else if (FAILED(hr)) {
            if (uiAllowed) verdict = "failed\r\n";
        } else {
            verdict = "ok\r\n";
        }
        if (console::HasLink()) bar.AppendLine(verdict);
        using Result = exec::COutputWindow::Result;
        window.Finish(hr == kRunCancelled ? Result::kCancelled : FAILED(hr) ? Result::kFailed : Result::kSucceeded,
                      verdict);
    }
    if (SUCCEEDED(hr) && uiAllowed) {
        ::PostMessageA(hwnd, WM_KEYDOWN, VK_F5, 0);
        ::PostMessageA(hwnd, WM_KEYUP, VK_F5, 0);
    }
    if (inWindow) {
        // The failure and its output are in the window; it stays until the user closes it.
        if (SUCCEEDED(hr) && err.empty() && settings::GetCloseOutputOnSuccess()) {
            window.Close();
        } else {
            window.WaitUntilClosed();
        }
    } else if (FAILED(hr) && hr != kRunCancelled && uiAllowed) {
        const std::string fallback = ferrow::LoadResString(IDS_ERROR_TEXT);
        const std::string caption = ferrow::LoadResString(IDS_ERROR_CAPTION);
        ::MessageBoxA(hwnd, menu::ChooseErrorText(err, out, fallback).c_str(), caption.c_str(), MB_ICONERROR);
    }
    // The user ended it: nothing to report in a box, nothing changed to refresh.
    if (hr == kRunCancelled) return hr;
    return FAILED(hr) ? E_FAIL : S_OK;
}

std::string CCVSContextMenu::OutputTitle(unsigned offset) const {
    // A single selected folder is the folder the command runs in; otherwise the selection's common folder.
    std::string folder = selection_.front();
    if (selection_.size() > 1 || !::PathIsDirectoryA(folder.c_str())) {
        if (!GetCommonDirectory(selection_, folder)) folder = selection_.front();
    }
    const menu::CommandResources* res = menu::FindCommandResources(offset);
    const std::string name = res ? menu::OperationName(ferrow::LoadResString(res->textId)) : std::string();
    const std::string title = ferrow::ReplaceAll(ferrow::LoadResString(IDS_OUTPUT_TITLE), "%1", name);
    return ferrow::ReplaceAll(title, "%2", folder);
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

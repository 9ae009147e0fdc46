#include "menu/explorer_command.h"

#include "common/exception_guard.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "menu/core/menu_rules.h"
#include "menu/core/modern_menu.h"
#include "menu/selection_facts.h"
#include "ops/launch.h"

#include <shlguid.h>
#include <shlwapi.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace menu {
namespace {

// The window class of the navigation pane's tree, whose site is the one window-bearing site of the
// Windows 11 menu; every other site with a window is the classic menu's.
const wchar_t kTreeControlClass[] = L"NamespaceTreeControl";

HRESULT DupText(const std::wstring& text, LPWSTR* out) { return ::SHStrDupW(text.c_str(), out); }

// "<module path>,-<icon id>": an icon of this DLL's resources, as the shell reads it.
HRESULT IconText(unsigned iconId, LPWSTR* out) {
    std::wstring module;
    const HRESULT hr = ferrow::ModuleFileName(ferrow::ModuleInstance(), module);
    if (FAILED(hr)) return hr;
    return DupText(module + L",-" + std::to_wstring(iconId), out);
}

// An item's file-system path as the classic handler's reader takes it: a name that does not fit or cannot
// be spelled in the ANSI code page is left out.
void AddPathOf(IShellItem* item, std::vector<std::string>& paths) {
    LPWSTR name = nullptr;
    if (!item || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &name))) return;
    ferrow::UniqueCoTaskMem owner(name);
    std::string path;
    if (ferrow::WideToAnsiPath(name, path)) paths.push_back(std::move(path));
}

enum class SiteKind { kNoWindow, kTreeControl, kClassicMenu };

// What kind of site the call has, and the tree control's window for kTreeControl.
SiteKind KindOfSite(IUnknown* site, HWND& tree) {
    tree = nullptr;
    ferrow::ComPtr<IOleWindow> window;
    HWND hwnd = nullptr;
    if (!site || FAILED(site->QueryInterface(IID_IOleWindow, window.PutVoid())) || FAILED(window->GetWindow(&hwnd)) ||
        !hwnd)
        return SiteKind::kNoWindow;
    wchar_t name[64] = {};
    if (::GetClassNameW(hwnd, name, 64) && ::lstrcmpW(name, kTreeControlClass) == 0) {
        tree = hwnd;
        return SiteKind::kTreeControl;
    }
    return SiteKind::kClassicMenu;
}

// The node of the navigation pane under the menu's point (where the user clicked: the cursor, as the menu
// opens there), or nothing. Its selected node may be another one, and the folder view's folder is the one
// shown on the right: neither is used.
void AddClickedNode(IUnknown* site, HWND tree, std::vector<std::string>& paths) {
    ferrow::ComPtr<INameSpaceTreeControl> control;
    if (FAILED(site->QueryInterface(IID_INameSpaceTreeControl, control.PutVoid())) &&
        FAILED(::IUnknown_QueryService(site, SID_SNavigationPane, IID_INameSpaceTreeControl, control.PutVoid())))
        return;
    POINT point = {};
    if (!::GetCursorPos(&point) || !::ScreenToClient(tree, &point)) return;
    ferrow::ComPtr<IShellItem> node;
    if (control->HitTest(&point, node.Put()) == S_OK) AddPathOf(node.Get(), paths);
}

// The folder a background menu is for: the folder of the site's view.
void AddViewFolder(IUnknown* site, std::vector<std::string>& paths) {
    ferrow::ComPtr<IFolderView> view;
    if (!site || FAILED(::IUnknown_QueryService(site, SID_SFolderView, IID_IFolderView, view.PutVoid()))) return;
    ferrow::ComPtr<IShellItem> folder;
    if (SUCCEEDED(view->GetFolder(IID_IShellItem, folder.PutVoid()))) AddPathOf(folder.Get(), paths);
}

// The selection of one call, the administrative folders left out: the items; without items, the clicked
// node of the navigation pane or the folder of a view's background. Empty (the entry hides) in the classic
// menu and when nothing is left.
std::vector<std::string> SelectionOf(IShellItemArray* items, IUnknown* site) {
    std::vector<std::string> paths;
    HWND tree = nullptr;
    const SiteKind kind = KindOfSite(site, tree);
    if (kind == SiteKind::kClassicMenu) return paths;
    DWORD count = 0;
    if (items && FAILED(items->GetCount(&count))) return paths;
    for (DWORD i = 0; i < count; ++i) {
        ferrow::ComPtr<IShellItem> item;
        if (SUCCEEDED(items->GetItemAt(i, item.Put()))) AddPathOf(item.Get(), paths);
    }
    if (count == 0 && kind == SiteKind::kTreeControl) AddClickedNode(site, tree, paths);
    if (count == 0 && kind == SiteKind::kNoWindow) AddViewFolder(site, paths);
    std::vector<std::string> selection;
    for (std::string& path : paths) {
        if (!IsAdminDirectory(path)) selection.push_back(std::move(path));
    }
    return selection;
}

// The window that owns what the operation shows and receives the refresh: the Explorer window of the
// site (the Windows 11 menu's site has none of its own), else the site's window.
HWND InvokingWindow(IUnknown* site) {
    HWND hwnd = nullptr;
    if (!site) return nullptr;
    ferrow::ComPtr<IOleWindow> browser;
    if (SUCCEEDED(::IUnknown_QueryService(site, SID_STopLevelBrowser, IID_IOleWindow, browser.PutVoid())) &&
        SUCCEEDED(browser->GetWindow(&hwnd)) && hwnd)
        return hwnd;
    hwnd = nullptr;
    ::IUnknown_GetWindow(site, &hwnd);
    return hwnd;
}

// One slot of the submenu (modern_menu.h): shown, greyed or hidden by the entries of its call's items.
class CSubCommand : public ferrow::ComObject<CSubCommand, IExplorerCommand, IObjectWithSite> {
public:
    void Set(size_t slot, ferrow::ComPtr<IUnknown> site) {
        slot_ = slot;
        entry_ = ModernMenuSlots()[slot];
        site_ = std::move(site);
    }

    STDMETHODIMP GetTitle(IShellItemArray*, LPWSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        if (entry_.separator) return E_NOTIMPL;
        return ferrow::GuardedCall([&] {
            return DupText(ferrow::AnsiToWide(ferrow::LoadResString(FindCommandResources(entry_.offset)->textId)),
                           name);
        });
    }
    STDMETHODIMP GetIcon(IShellItemArray*, LPWSTR* icon) override {
        if (!icon) return E_POINTER;
        *icon = nullptr;
        if (entry_.separator) return E_NOTIMPL;
        return ferrow::GuardedCall([&] { return IconText(FindCommandResources(entry_.offset)->iconId, icon); });
    }
    STDMETHODIMP GetToolTip(IShellItemArray*, LPWSTR* tip) override {
        if (!tip) return E_POINTER;
        *tip = nullptr;
        if (entry_.separator) return E_NOTIMPL;
        return ferrow::GuardedCall([&] {
            return DupText(ferrow::AnsiToWide(ferrow::LoadResString(FindCommandResources(entry_.offset)->helpId)),
                           tip);
        });
    }
    STDMETHODIMP GetCanonicalName(GUID* name) override {
        if (name) *name = GUID_NULL;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetState(IShellItemArray* items, BOOL okToBeSlow, EXPCMDSTATE* state) override {
        if (!state) return E_POINTER;
        *state = ECS_HIDDEN;
        if (!okToBeSlow) return E_PENDING;
        return ferrow::GuardedCall([&]() -> HRESULT {
            const std::vector<MenuEntry> entries = EntriesForSelection(SelectionOf(items, Site().Get()), 0);
            const int shown = ShownSlots(entries)[slot_];
            if (shown >= 0) *state = entries[shown].enabled ? ECS_ENABLED : ECS_DISABLED;
            return S_OK;
        });
    }
    STDMETHODIMP Invoke(IShellItemArray* items, IBindCtx*) override {
        if (entry_.separator) return E_INVALIDARG;
        return StartCommand(entry_.offset, items, Site().Get());
    }
    STDMETHODIMP GetFlags(EXPCMDFLAGS* flags) override {
        if (!flags) return E_POINTER;
        *flags = entry_.separator ? ECF_ISSEPARATOR : ECF_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** commands) override {
        if (commands) *commands = nullptr;
        return E_NOTIMPL;
    }
    // The root's site until the shell sets one of its own.
    STDMETHODIMP SetSite(IUnknown* site) override {
        ferrow::ComPtr<IUnknown> old = ferrow::ComPtr<IUnknown>::FromRaw(site);
        std::lock_guard<std::mutex> guard(siteLock_);
        std::swap(site_, old);
        return S_OK;  // the old site is released after the lock
    }
    STDMETHODIMP GetSite(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        const ferrow::ComPtr<IUnknown> site = Site();
        return site ? site->QueryInterface(riid, ppv) : E_FAIL;
    }

private:
    ferrow::ComPtr<IUnknown> Site() {
        std::lock_guard<std::mutex> guard(siteLock_);
        return site_.Copy();
    }

    size_t slot_ = 0;
    MenuEntry entry_{true, 0, true};
    std::mutex siteLock_;
    ferrow::ComPtr<IUnknown> site_;
};

// The submenu's items in order. Clones share the (unchanging) list and start at the same position.
class CCommandEnum : public ferrow::ComObject<CCommandEnum, IEnumExplorerCommand> {
public:
    using List = std::vector<ferrow::ComPtr<IExplorerCommand>>;

    void Set(std::shared_ptr<const List> list, size_t position) {
        list_ = std::move(list);
        position_ = position;
    }

    STDMETHODIMP Next(ULONG count, IExplorerCommand** commands, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!commands) return E_POINTER;
        if (count > 1 && !fetched) return E_INVALIDARG;
        ULONG n = 0;
        for (; n < count && position_ < list_->size(); ++n, ++position_) {
            commands[n] = (*list_)[position_].Copy().Detach();
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const size_t left = list_->size() - position_;
        if (count > left) {
            position_ = list_->size();
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumExplorerCommand** copy) override {
        if (!copy) return E_POINTER;
        *copy = nullptr;
        return ferrow::GuardedCall([&]() -> HRESULT {
            ferrow::ComPtr<IEnumExplorerCommand> made;
            HRESULT hr = CCommandEnum::CreateInstance(nullptr, IID_IEnumExplorerCommand, made.PutVoid());
            if (FAILED(hr)) return hr;
            static_cast<CCommandEnum*>(made.Get())->Set(list_, position_);
            *copy = made.Detach();
            return S_OK;
        });
    }

private:
    std::shared_ptr<const List> list_ = std::make_shared<const List>();
    size_t position_ = 0;
};


// Ferrow.exe beside this module, or in the folder above it: the package's copy of the DLL lives in the
// install folder's "menu" folder (the package's external location), the program in the install folder.
std::wstring ProgramForPackage() {
    const std::wstring beside = ops::ProgramPath();
    if (beside.empty() || ::GetFileAttributesW(beside.c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
    const size_t name = beside.find_last_of(L'\\');
    const size_t folder = name == std::wstring::npos || name == 0 ? std::wstring::npos
                                                                  : beside.find_last_of(L'\\', name - 1);
    if (folder == std::wstring::npos) return beside;
    const std::wstring above = beside.substr(0, folder) + beside.substr(name);
    return ::GetFileAttributesW(above.c_str()) != INVALID_FILE_ATTRIBUTES ? above : beside;
}

}  // namespace

HRESULT StartCommand(unsigned offset, IShellItemArray* items, IUnknown* site, const std::wstring& program,
                     HANDLE* process) {
    if (process) *process = nullptr;
    const CommandResources* command = FindCommandResources(offset);
    if (!command) return E_INVALIDARG;
    return ferrow::GuardedCall([&]() -> HRESULT {
        const std::vector<std::string> selection = SelectionOf(items, site);
        if (selection.empty()) return E_INVALIDARG;
        return ops::StartProgram(command->verb, selection, InvokingWindow(site), std::wstring(), process,
                                 program.empty() ? ProgramForPackage() : program);
    });
}

CExplorerCommand::CExplorerCommand() = default;
CExplorerCommand::~CExplorerCommand() = default;

ferrow::ComPtr<IUnknown> CExplorerCommand::Site() {
    std::lock_guard<std::mutex> guard(siteLock_);
    return site_.Copy();
}

STDMETHODIMP CExplorerCommand::GetTitle(IShellItemArray*, LPWSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    return ferrow::GuardedCall([&] { return DupText(ferrow::AnsiToWide(ferrow::LoadResString(kSubmenuTextId)), name); });
}

STDMETHODIMP CExplorerCommand::GetIcon(IShellItemArray*, LPWSTR* icon) {
    if (!icon) return E_POINTER;
    *icon = nullptr;
    return ferrow::GuardedCall([&] { return IconText(kSubmenuIconId, icon); });
}

STDMETHODIMP CExplorerCommand::GetToolTip(IShellItemArray*, LPWSTR* tip) {
    if (tip) *tip = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CExplorerCommand::GetCanonicalName(GUID* name) {
    if (!name) return E_POINTER;
    *name = ClassId();
    return S_OK;
}

STDMETHODIMP CExplorerCommand::GetState(IShellItemArray* items, BOOL okToBeSlow, EXPCMDSTATE* state) {
    if (!state) return E_POINTER;
    *state = ECS_HIDDEN;
    // The items may live in another process and the working copy's files are on the disk: nothing is
    // touched on the shell's quick path.
    if (!okToBeSlow) return E_PENDING;
    return ferrow::GuardedCall([&]() -> HRESULT {
        if (!EntriesForSelection(SelectionOf(items, Site().Get()), 0).empty()) *state = ECS_ENABLED;
        return S_OK;
    });
}

STDMETHODIMP CExplorerCommand::Invoke(IShellItemArray*, IBindCtx*) {
    return E_NOTIMPL;  // the root only opens its submenu
}

STDMETHODIMP CExplorerCommand::GetFlags(EXPCMDFLAGS* flags) {
    if (!flags) return E_POINTER;
    *flags = ECF_HASSUBCOMMANDS;
    return S_OK;
}

STDMETHODIMP CExplorerCommand::EnumSubCommands(IEnumExplorerCommand** commands) {
    if (!commands) return E_POINTER;
    *commands = nullptr;
    return ferrow::GuardedCall([&]() -> HRESULT {
        const ferrow::ComPtr<IUnknown> site = Site();
        auto list = std::make_shared<CCommandEnum::List>();
        for (size_t slot = 0; slot < ModernMenuSlots().size(); ++slot) {
            ferrow::ComPtr<IExplorerCommand> command;
            HRESULT hr = CSubCommand::CreateInstance(nullptr, IID_IExplorerCommand, command.PutVoid());
            if (FAILED(hr)) return hr;
            static_cast<CSubCommand*>(command.Get())->Set(slot, site.Copy());
            list->push_back(std::move(command));
        }
        ferrow::ComPtr<IEnumExplorerCommand> made;
        HRESULT hr = CCommandEnum::CreateInstance(nullptr, IID_IEnumExplorerCommand, made.PutVoid());
        if (FAILED(hr)) return hr;
        static_cast<CCommandEnum*>(made.Get())->Set(std::move(list), 0);
        *commands = made.Detach();
        return S_OK;
    });
}

STDMETHODIMP CExplorerCommand::SetSite(IUnknown* site) {
    ferrow::ComPtr<IUnknown> old = ferrow::ComPtr<IUnknown>::FromRaw(site);
    {
        std::lock_guard<std::mutex> guard(siteLock_);
        std::swap(site_, old);
    }
    return S_OK;  // the old site is released outside the lock
}

STDMETHODIMP CExplorerCommand::GetSite(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    const ferrow::ComPtr<IUnknown> site = Site();
    return site ? site->QueryInterface(riid, ppv) : E_FAIL;
}

}  // namespace menu

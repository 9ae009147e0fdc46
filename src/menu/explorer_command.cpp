#include "menu/explorer_command.h"

#include "common/exception_guard.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "menu/classic_menu_mark.h"
#include "menu/context_menu.h"
#include "menu/core/menu_rules.h"
#include "menu/selection_facts.h"

#include <shlguid.h>
#include <shlwapi.h>

#include <mutex>
#include <string>
#include <vector>

namespace menu {

// What the root and the subcommands made from it share. The handler is this command's own classic
// handler object: the selection, the dialog values (which prefill the next dialog, as in the classic
// menu) and the operations are its own.
struct CommandSession {
    std::mutex lock;  // entries and the handler's selection: GetState may come on another thread
    ferrow::ComPtr<IContextMenu> handlerObject;  // keeps the handler alive
    CCVSContextMenu* handler = nullptr;
    std::vector<MenuEntry> entries;  // from the last GetState that showed the menu
    ferrow::ComPtr<IUnknown> site;
};

namespace {

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
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &name))) return;
    ferrow::UniqueCoTaskMem owner(name);
    std::string path;
    if (ferrow::WideToAnsiPath(name, path)) paths.push_back(std::move(path));
}

// The selection in the shell's order.
void PathsOfItems(IShellItemArray* items, std::vector<std::string>& paths) {
    DWORD count = 0;
    if (!items || FAILED(items->GetCount(&count))) return;
    for (DWORD i = 0; i < count; ++i) {
        ferrow::ComPtr<IShellItem> item;
        if (SUCCEEDED(items->GetItemAt(i, item.Put()))) AddPathOf(item.Get(), paths);
    }
}

// The folder a background menu is for: the folder of the site's view.
void PathOfSiteFolder(IUnknown* site, std::vector<std::string>& paths) {
    ferrow::ComPtr<IFolderView> view;
    if (!site || FAILED(::IUnknown_QueryService(site, SID_SFolderView, IID_IFolderView, view.PutVoid()))) return;
    ferrow::ComPtr<IShellItem> folder;
    if (SUCCEEDED(view->GetFolder(IID_IShellItem, folder.PutVoid()))) AddPathOf(folder.Get(), paths);
}

// The selection of a call: the items, or for a background menu (no items) the site's folder.
std::vector<std::string> SelectionOf(IShellItemArray* items, IUnknown* site) {
    std::vector<std::string> paths;
    PathsOfItems(items, paths);
    DWORD count = 0;
    if (!items || (SUCCEEDED(items->GetCount(&count)) && count == 0)) PathOfSiteFolder(site, paths);
    return paths;
}

// The window that owns the operation's dialogs and receives the refresh: the site's.
HWND SiteWindow(IUnknown* site) {
    HWND hwnd = nullptr;
    if (!site) return nullptr;
    if (SUCCEEDED(::IUnknown_GetWindow(site, &hwnd)) && hwnd) return hwnd;
    ferrow::ComPtr<IOleWindow> browser;
    if (SUCCEEDED(::IUnknown_QueryService(site, SID_STopLevelBrowser, IID_IOleWindow, browser.PutVoid())))
        browser->GetWindow(&hwnd);
    return hwnd;
}

// One item of the submenu.
class CSubCommand : public ferrow::ComObject<CSubCommand, IExplorerCommand> {
public:
    void Set(std::shared_ptr<CommandSession> session, MenuEntry entry) {
        session_ = std::move(session);
        entry_ = entry;
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
    STDMETHODIMP GetState(IShellItemArray*, BOOL, EXPCMDSTATE* state) override {
        if (!state) return E_POINTER;
        *state = entry_.enabled ? ECS_ENABLED : ECS_DISABLED;
        return S_OK;
    }
    STDMETHODIMP Invoke(IShellItemArray* items, IBindCtx*) override {
        if (entry_.separator) return E_INVALIDARG;
        return ferrow::GuardedCall([&]() -> HRESULT {
            HWND hwnd = nullptr;
            {
                std::lock_guard<std::mutex> guard(session_->lock);
                // The shell hands the selection again; it is the one the menu was made for.
                const std::vector<std::string> paths = SelectionOf(items, session_->site.Get());
                if (!paths.empty()) session_->handler->RecordSelection(paths);
                hwnd = SiteWindow(session_->site.Get());
            }
            // User interface allowed, as for a classic item the user picked.
            return session_->handler->RunItem(entry_.offset, hwnd, true);
        });
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

private:
    std::shared_ptr<CommandSession> session_;
    MenuEntry entry_{true, 0, true};
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
        ferrow::ComPtr<IEnumExplorerCommand> made;
        HRESULT hr = CCommandEnum::CreateInstance(nullptr, IID_IEnumExplorerCommand, made.PutVoid());
        if (FAILED(hr)) return hr;
        static_cast<CCommandEnum*>(made.Get())->Set(list_, position_);
        *copy = made.Detach();
        return S_OK;
    }

private:
    std::shared_ptr<const List> list_ = std::make_shared<const List>();
    size_t position_ = 0;
};

}  // namespace

CExplorerCommand::CExplorerCommand() = default;
CExplorerCommand::~CExplorerCommand() = default;

HRESULT CExplorerCommand::FinalConstruct() {
    auto session = std::make_shared<CommandSession>();
    HRESULT hr = CCVSContextMenu::CreateInstance(nullptr, IID_IContextMenu, session->handlerObject.PutVoid());
    if (FAILED(hr)) return hr;
    session->handler = static_cast<CCVSContextMenu*>(session->handlerObject.Get());
    session_ = std::move(session);
    return S_OK;
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
    return ferrow::GuardedCall([&]() -> HRESULT {
        // Inside the classic menu ("Show more options") the classic handler shows the same submenu.
        if (ClassicMenuShown()) return S_OK;
        std::lock_guard<std::mutex> guard(session_->lock);
        const std::vector<std::string> paths = SelectionOf(items, session_->site.Get());
        if (paths.empty()) return S_OK;
        // Everything from here reads the working copy's files.
        if (!okToBeSlow) return E_PENDING;
        session_->entries.clear();
        if (FAILED(session_->handler->RecordSelection(paths))) return S_OK;
        if (!session_->handler->BuildEntries(0, session_->entries)) return S_OK;
        *state = ECS_ENABLED;
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
        auto list = std::make_shared<CCommandEnum::List>();
        std::vector<MenuEntry> entries;
        {
            std::lock_guard<std::mutex> guard(session_->lock);
            entries = session_->entries;
        }
        for (const MenuEntry& entry : entries) {
            ferrow::ComPtr<IExplorerCommand> command;
            HRESULT hr = CSubCommand::CreateInstance(nullptr, IID_IExplorerCommand, command.PutVoid());
            if (FAILED(hr)) return hr;
            static_cast<CSubCommand*>(command.Get())->Set(session_, entry);
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
    return ferrow::GuardedCall([&]() -> HRESULT {
        {
            std::lock_guard<std::mutex> guard(session_->lock);
            session_->site = ferrow::ComPtr<IUnknown>::FromRaw(site);
        }
        // The console link follows the site, as for the classic handler.
        ferrow::ComPtr<IObjectWithSite> handlerSite;
        if (SUCCEEDED(session_->handlerObject.As(handlerSite))) handlerSite->SetSite(site);
        return S_OK;
    });
}

STDMETHODIMP CExplorerCommand::GetSite(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    std::lock_guard<std::mutex> guard(session_->lock);
    if (!session_->site) return E_FAIL;
    return session_->site->QueryInterface(riid, ppv);
}

}  // namespace menu

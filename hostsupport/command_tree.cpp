#include "hostsupport/command_tree.h"

#include "common/text.h"
#include "hostsupport/host_object.h"

#include <shlguid.h>
#include <shlobj.h>

namespace ferrow {
namespace {

// The shell parses only backslashes; the tests' fixture paths may hold forward ones.
std::wstring ShellPath(const std::string& path) {
    const std::wstring wide = AnsiToWide(path);
    wchar_t full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full) : wide;
}

std::wstring TakeText(HRESULT hr, LPWSTR text) {
    UniqueCoTaskMem owner(text);
    return SUCCEEDED(hr) && text ? std::wstring(text) : std::wstring();
}

ComPtr<IShellItem> ItemOf(const std::string& path) {
    ComPtr<IShellItem> item;
    const std::wstring wide = ShellPath(path);
    if (FAILED(::SHCreateItemFromParsingName(wide.c_str(), nullptr, IID_IShellItem, item.PutVoid()))) return nullptr;
    return item;
}

// A view that knows only its folder (all the command class asks of it).
class CFolderView final : public HostObject<IFolderView> {
public:
    explicit CFolderView(ComPtr<IShellItem> folder) : folder_(std::move(folder)) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IFolderView)) return E_NOINTERFACE;
        AddRef();
        *ppv = static_cast<IFolderView*>(this);
        return S_OK;
    }
    STDMETHODIMP GetFolder(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        return folder_ ? folder_->QueryInterface(riid, ppv) : E_FAIL;
    }
    STDMETHODIMP GetCurrentViewMode(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP SetCurrentViewMode(UINT) override { return E_NOTIMPL; }
    STDMETHODIMP Item(int, PITEMID_CHILD*) override { return E_NOTIMPL; }
    STDMETHODIMP ItemCount(UINT, int*) override { return E_NOTIMPL; }
    STDMETHODIMP Items(UINT, REFIID, void**) override { return E_NOTIMPL; }
    STDMETHODIMP GetSelectionMarkedItem(int*) override { return E_NOTIMPL; }
    STDMETHODIMP GetFocusedItem(int*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemPosition(PCUITEMID_CHILD, POINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetSpacing(POINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetDefaultSpacing(POINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetAutoArrange() override { return E_NOTIMPL; }
    STDMETHODIMP SelectItem(int, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SelectAndPositionItems(UINT, PCUITEMID_CHILD_ARRAY, POINT*, DWORD) override { return E_NOTIMPL; }

private:
    ComPtr<IShellItem> folder_;
};

// The Explorer window as a service of the site: only its window.
class CBrowserWindow final : public HostObject<IOleWindow> {
public:
    explicit CBrowserWindow(HWND hwnd) : hwnd_(hwnd) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IOleWindow)) return E_NOINTERFACE;
        AddRef();
        *ppv = static_cast<IOleWindow*>(this);
        return S_OK;
    }
    STDMETHODIMP GetWindow(HWND* hwnd) override {
        if (!hwnd) return E_POINTER;
        *hwnd = hwnd_;
        return hwnd_ ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    HWND hwnd_;
};

// Windows 11's menu site: no window of its own; the folder view and the Explorer window as services.
class CFolderViewSite final : public HostObject<IServiceProvider> {
public:
    CFolderViewSite(ComPtr<IShellItem> folder, HWND hwnd) : folder_(std::move(folder)), hwnd_(hwnd) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IServiceProvider)) return E_NOINTERFACE;
        *ppv = static_cast<IServiceProvider*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualGUID(service, SID_STopLevelBrowser) && hwnd_) {
            ComPtr<IOleWindow> browser = ComPtr<IOleWindow>::Attach(new CBrowserWindow(hwnd_));
            return browser->QueryInterface(riid, ppv);
        }
        if (!IsEqualGUID(service, SID_SFolderView) || !folder_) return E_NOINTERFACE;
        ComPtr<IFolderView> view = ComPtr<IFolderView>::Attach(new CFolderView(folder_.Copy()));
        return view->QueryInterface(riid, ppv);
    }

private:
    ComPtr<IShellItem> folder_;
    HWND hwnd_;
};

}  // namespace

ComPtr<IShellItemArray> MakeShellItemArray(const std::vector<std::string>& paths) {
    std::vector<PIDLIST_ABSOLUTE> lists;
    bool complete = true;
    for (const std::string& path : paths) {
        const std::wstring wide = ShellPath(path);
        PIDLIST_ABSOLUTE list = nullptr;
        if (FAILED(::SHParseDisplayName(wide.c_str(), nullptr, &list, 0, nullptr))) {
            complete = false;
            break;
        }
        lists.push_back(list);
    }
    ComPtr<IShellItemArray> items;
    if (complete && FAILED(::SHCreateShellItemArrayFromIDLists(static_cast<UINT>(lists.size()),
                                                              const_cast<PCIDLIST_ABSOLUTE_ARRAY>(lists.data()),
                                                              items.Put())))
        items.Reset();
    for (PIDLIST_ABSOLUTE list : lists) ::CoTaskMemFree(list);
    return items;
}

ComPtr<IUnknown> MakeFolderViewSite(const std::string& folder, HWND hwnd) {
    ComPtr<IUnknown> site;
    site.Reset(static_cast<IServiceProvider*>(new CFolderViewSite(folder.empty() ? nullptr : ItemOf(folder), hwnd)));
    return site;
}

HRESULT WalkCommandTree(IExplorerCommand* command, IShellItemArray* items, CommandNode& node) {
    node = CommandNode();
    if (!command) return E_POINTER;
    node.quickState = command->GetState(items, FALSE, &node.state);
    node.stateResult = command->GetState(items, TRUE, &node.state);
    if (FAILED(node.stateResult)) return node.stateResult;
    HRESULT hr = command->GetFlags(&node.flags);
    if (FAILED(hr)) return hr;
    LPWSTR text = nullptr;
    hr = command->GetTitle(items, &text);
    node.title = TakeText(hr, text);
    text = nullptr;
    hr = command->GetIcon(items, &text);
    node.icon = TakeText(hr, text);
    text = nullptr;
    hr = command->GetToolTip(items, &text);
    node.tip = TakeText(hr, text);
    if (!(node.flags & ECF_HASSUBCOMMANDS) || (node.state & ECS_HIDDEN)) return S_OK;
    ComPtr<IEnumExplorerCommand> children;
    hr = command->EnumSubCommands(children.Put());
    if (FAILED(hr)) return hr;
    for (;;) {
        ComPtr<IExplorerCommand> child;
        ULONG fetched = 0;
        if (children->Next(1, child.Put(), &fetched) != S_OK || fetched != 1) break;
        CommandNode sub;
        hr = WalkCommandTree(child.Get(), items, sub);
        if (FAILED(hr)) return hr;
        node.children.push_back(std::move(sub));
    }
    return S_OK;
}

std::vector<std::wstring> ChildTitles(const CommandNode& node) {
    std::vector<std::wstring> titles;
    for (const CommandNode& child : node.children)
        if (!(child.state & ECS_HIDDEN)) titles.push_back((child.flags & ECF_ISSEPARATOR) ? L"-" : child.title);
    return titles;
}

ComPtr<IExplorerCommand> FindSubCommand(IExplorerCommand* root, IShellItemArray* items, const std::wstring& title) {
    CommandNode node;
    if (FAILED(WalkCommandTree(root, items, node)) || (node.state & ECS_HIDDEN)) return nullptr;
    ComPtr<IEnumExplorerCommand> children;
    if (FAILED(root->EnumSubCommands(children.Put()))) return nullptr;
    for (;;) {
        ComPtr<IExplorerCommand> child;
        if (children->Next(1, child.Put(), nullptr) != S_OK) return nullptr;
        LPWSTR text = nullptr;
        const HRESULT hr = child->GetTitle(items, &text);
        if (TakeText(hr, text) == title) return child;
    }
}

}  // namespace ferrow

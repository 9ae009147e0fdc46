#include "menu/menu_support.h"

#include "hostsupport/hdrop_data_object.h"
#include "menu/context_menu.h"

#include <shlobj.h>

#include <cstring>

namespace menu_test {

namespace {

const char* const kNames[menu::kCommandCount] = {
    "Update", "Commit", "Diff", "Add", "Remove", "Custom", "Undo", "Tag", "Reset", "Options",
    "Checkout", "Import", "Login", "Logout", "CheckMods", "Annotate", "UpdateTo"};

}  // namespace

ferrow::ComPtr<IDataObject> MakeHDropDataObject(const std::vector<std::string>& paths) {
    return ferrow::MakeHDropDataObject(paths);
}

ferrow::ComPtr<IContextMenu> MakeHandler(const std::vector<std::string>& paths, HRESULT* initResult) {
    ferrow::ComPtr<IShellExtInit> init;
    if (FAILED(menu::CCVSContextMenu::CreateInstance(nullptr, IID_IShellExtInit, init.PutVoid()))) return nullptr;
    auto data = MakeHDropDataObject(paths);
    HRESULT hr = init->Initialize(nullptr, data.Get(), nullptr);
    if (initResult) *initResult = hr;
    ferrow::ComPtr<IContextMenu> menu;
    init.As(menu);
    return menu;
}

BuiltMenu BuildMenu(IContextMenu* handler, UINT flags) {
    BuiltMenu built;
    ferrow::UniqueMenu host(::CreatePopupMenu());
    ::AppendMenuA(host.Get(), MF_STRING, 1, "Open");
    built.result = handler->QueryContextMenu(host.Get(), 0, 100, 200, flags);
    HMENU sub = ::GetSubMenu(host.Get(), 0);
    if (!sub) return built;
    char title[64] = {};
    ::GetMenuStringA(host.Get(), 0, title, sizeof title, MF_BYPOSITION);
    built.title = title;
    MENUITEMINFOA top = {};
    top.cbSize = sizeof top;
    top.fMask = MIIM_CHECKMARKS;
    ::GetMenuItemInfoA(host.Get(), 0, TRUE, &top);
    built.bitmapsSet = top.hbmpUnchecked != nullptr;
    int count = ::GetMenuItemCount(sub);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info = {};
        char text[128] = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_CHECKMARKS | MIIM_STATE;
        info.dwTypeData = text;
        info.cch = sizeof text;
        ::GetMenuItemInfoA(sub, static_cast<UINT>(i), TRUE, &info);
        if (!built.items.empty()) built.items += ' ';
        if (info.fType & MFT_SEPARATOR) {
            built.items += "-";
            built.texts.push_back("-");
            continue;
        }
        unsigned offset = info.wID - 100;
        built.items += offset < menu::kCommandCount ? kNames[offset] : "?";
        built.texts.push_back(text);
        if (!info.hbmpUnchecked || info.hbmpChecked) built.bitmapsSet = false;
        if (info.fState & MFS_DISABLED) built.items += "(disabled)";
    }
    return built;
}

HRESULT Invoke(IContextMenu* handler, unsigned offset, DWORD mask, HWND hwnd) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = mask;
    info.hwnd = hwnd;
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    return handler->InvokeCommand(&info);
}

void SetControlText(HWND dialog, int id, const std::string& text) {
    ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void SelectListEntry(HWND dialog, int id, int index) {
    HWND list = ::GetDlgItem(dialog, id);
    ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

std::vector<std::string> ListEntries(HWND dialog, int id) {
    std::vector<std::string> entries;
    HWND list = ::GetDlgItem(dialog, id);
    LRESULT count = ::SendMessageA(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[1024] = {};
        ::SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

}  // namespace menu_test

namespace menu_test {
HRESULT CCVSContextMenuCreate(ferrow::ComPtr<IContextMenu>& out) {
    return menu::CCVSContextMenu::CreateInstance(nullptr, IID_IContextMenu, out.PutVoid());
}
}  // namespace menu_test

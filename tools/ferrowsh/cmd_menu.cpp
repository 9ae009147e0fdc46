// menu [--shift] [--default-only] [--background] <paths...>: the "CVS" submenu as Explorer would build it for
// the selection (--background: for a click on the one folder's empty area), one item a line: offset, text,
// and whether its image is set.
#include "host.h"
#include "menu_host.h"

#include <cstdio>

namespace ferrowsh {

int RunMenu(Host& host, const Args& args) {
    UINT flags = 0;
    bool background = false;
    Args paths;
    for (const std::string& a : args) {
        if (a == "--background") {
            background = true;
        } else if (a == "--shift") {
            flags |= CMF_EXTENDEDVERBS;
        } else if (a == "--default-only") {
            flags |= CMF_DEFAULTONLY;
        } else {
            paths.push_back(a);
        }
    }
    if (paths.empty()) {
        PrintError("menu needs at least one path");
        return kExitUsage;
    }
    HRESULT init = E_FAIL;
    auto handler = menu_host::MakeHandler(host, paths, init, background);
    if (!handler) return kExitFailed;
    if (FAILED(init)) {
        std::printf("no CVS submenu (Initialize: %s)\n", HResultText(init).c_str());
        return kExitOk;
    }
    ferrow::UniqueMenu context(::CreatePopupMenu());
    const UINT first = 1000;
    HRESULT hr = handler->QueryContextMenu(context.Get(), 0, first, first + 100, flags | CMF_NORMAL);
    if (FAILED(hr)) {
        PrintError("QueryContextMenu failed: " + HResultText(hr));
        return kExitFailed;
    }
    HMENU sub = ::GetSubMenu(context.Get(), 0);
    if (!sub) {
        std::printf("no CVS submenu (%u identifiers used)\n", static_cast<unsigned>(HRESULT_CODE(hr)));
        return kExitOk;
    }
    char title[64] = {};
    ::GetMenuStringA(context.Get(), 0, title, sizeof title, MF_BYPOSITION);
    MENUITEMINFOA top = {};
    top.cbSize = sizeof top;
    top.fMask = MIIM_CHECKMARKS;
    ::GetMenuItemInfoA(context.Get(), 0, TRUE, &top);
    std::printf("%s%s (%u identifiers used)\n", title, top.hbmpUnchecked ? " [image]" : "", static_cast<unsigned>(HRESULT_CODE(hr)));
    const int count = ::GetMenuItemCount(sub);
    for (int i = 0; i < count; ++i) {
        char text[128] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_CHECKMARKS;
        info.dwTypeData = text;
        info.cch = sizeof text;
        ::GetMenuItemInfoA(sub, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            std::printf("      ----------\n");
            continue;
        }
        const unsigned offset = info.wID - first;
        std::printf("  %2u  %-27s %-9s%s\n", offset, text, menu_host::ItemName(offset),
                    info.hbmpUnchecked ? " [image]" : "");
    }
    return kExitOk;
}

}  // namespace ferrowsh

// help [--unicode] <offset>: the status-bar help text of a menu item, as GetCommandString gives it.
#include "host.h"
#include "menu_host.h"

#include "common/text.h"
#include "com/guids.h"

#include <cstdio>

namespace ferrowsh {

int RunHelp(Host& host, const Args& args) {
    bool unicode = false;
    std::string item;
    for (const std::string& a : args) {
        if (a == "--unicode") {
            unicode = true;
        } else {
            item = a;
        }
    }
    unsigned offset = 0;
    if (item.empty() || !menu_host::ParseItem(item, offset)) {
        PrintError("help needs an item: 0-9 or update, commit, diff, add, remove, custom, undo, tag, reset, options");
        return kExitUsage;
    }
    ferrow::ComPtr<IContextMenu> handler;
    if (FAILED(host.CreateObject(CLSID_CCVSContextMenu, IID_IContextMenu, handler.PutVoid()))) return kExitFailed;
    HRESULT hr;
    std::string text;
    if (unicode) {
        wchar_t buffer[512] = {};
        hr = handler->GetCommandString(offset, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(buffer), 512);
        text = ferrow::WideToAnsi(buffer);
    } else {
        char buffer[512] = {};
        hr = handler->GetCommandString(offset, GCS_HELPTEXTA, nullptr, buffer, sizeof buffer);
        text = buffer;
    }
    if (FAILED(hr)) {
        PrintError("GetCommandString failed: " + HResultText(hr));
        return kExitFailed;
    }
    std::printf("%s\n", text.c_str());
    return kExitOk;
}

}  // namespace ferrowsh

#include "menu_host.h"

#include "hostsupport/hdrop_data_object.h"
#include "com/guids.h"
#include "common/text.h"
#include "menu/core/menu_rules.h"

#include <cstdlib>
#include <cstring>

namespace ferrowsh {
namespace menu_host {
namespace {

const char* const kItemNames[menu::kCommandCount] = {
    "update", "commit", "diff",   "add",       "remove",   "custom",  "undo",    "tag",     "reset",
    "options", "checkout", "import", "login", "logout", "checkmods", "annotate", "updateto"};

}  // namespace

ferrow::ComPtr<IContextMenu> MakeHandler(Host& host, const Args& paths, HRESULT& initResult, bool background) {
    initResult = E_FAIL;
    std::vector<std::string> full;
    for (const std::string& argument : paths) {
        std::string path;
        if (!host.ResolvePath(argument, path)) return nullptr;
        full.push_back(path);
    }
    ferrow::ComPtr<IShellExtInit> init;
    if (FAILED(host.CreateObject(CLSID_CCVSContextMenu, IID_IShellExtInit, init.PutVoid()))) return nullptr;
    if (background) {
        // Explorer's call for a click on a folder's empty area: the folder, and no data object.
        if (full.size() != 1) {
            PrintError("--background takes one folder");
            return nullptr;
        }
        PIDLIST_ABSOLUTE folder = ::ILCreateFromPathW(ferrow::AnsiToWide(full.front()).c_str());
        initResult = init->Initialize(folder, nullptr, nullptr);
        ::ILFree(folder);
    } else {
        auto data = ferrow::MakeHDropDataObject(full);
        initResult = init->Initialize(nullptr, data.Get(), nullptr);
    }
    ferrow::ComPtr<IContextMenu> menu;
    if (FAILED(init.As(menu))) {
        PrintError("the handler offers no IContextMenu");
        return nullptr;
    }
    return menu;
}

bool ParseItem(const std::string& text, unsigned& offset) {
    if (!text.empty() && text.size() <= 2 && text.find_first_not_of("0123456789") == std::string::npos) {
        offset = static_cast<unsigned>(std::atoi(text.c_str()));
        return offset < menu::kCommandCount;
    }
    for (unsigned i = 0; i < menu::kCommandCount; ++i) {
        if (::lstrcmpiA(text.c_str(), kItemNames[i]) == 0) {
            offset = i;
            return true;
        }
    }
    return false;
}

const char* ItemName(unsigned offset) { return offset < menu::kCommandCount ? kItemNames[offset] : "?"; }

}  // namespace menu_host
}  // namespace ferrowsh

#include "menu_host.h"

#include "hostsupport/hdrop_data_object.h"
#include "com/guids.h"

#include <cstring>

namespace ferrowsh {
namespace menu_host {
namespace {

const char* const kItemNames[] = {"update", "commit", "diff", "add", "remove",
                                  "custom", "undo",   "tag",  "reset", "options"};

}  // namespace

ferrow::ComPtr<IContextMenu> MakeHandler(Host& host, const Args& paths, HRESULT& initResult) {
    initResult = E_FAIL;
    std::vector<std::string> full;
    for (const std::string& argument : paths) {
        std::string path;
        if (!host.ResolvePath(argument, path)) return nullptr;
        full.push_back(path);
    }
    ferrow::ComPtr<IShellExtInit> init;
    if (FAILED(host.CreateObject(CLSID_CCVSContextMenu, IID_IShellExtInit, init.PutVoid()))) return nullptr;
    auto data = ferrow::MakeHDropDataObject(full);
    initResult = init->Initialize(nullptr, data.Get(), nullptr);
    ferrow::ComPtr<IContextMenu> menu;
    if (FAILED(init.As(menu))) {
        PrintError("the handler offers no IContextMenu");
        return nullptr;
    }
    return menu;
}

bool ParseItem(const std::string& text, unsigned& offset) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') {
        offset = static_cast<unsigned>(text[0] - '0');
        return true;
    }
    for (unsigned i = 0; i < 10; ++i) {
        if (::lstrcmpiA(text.c_str(), kItemNames[i]) == 0) {
            offset = i;
            return true;
        }
    }
    return false;
}

const char* ItemName(unsigned offset) { return offset < 10 ? kItemNames[offset] : "?"; }

}  // namespace menu_host
}  // namespace ferrowsh

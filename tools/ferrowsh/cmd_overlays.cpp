// overlays <paths...>: both overlay identifiers' answers for each path, and the mark the shell would draw
// (among the identifiers that answer S_OK, the one with the lowest priority).
//
// Through COM the identifiers are found as Explorer finds them, under ShellIconOverlayIdentifiers; with
// --dll the module's own CLSIDs are used.
#include "host.h"

#include "common/text.h"
#include "com/guids.h"
#include "com/interface_ids.h"

#include <shlobj.h>

#include <cstdio>

namespace ferrowsh {
namespace {

struct Identifier {
    const char* key;   // under ShellIconOverlayIdentifiers
    const char* mark;  // what its icon shows
    CLSID clsid;
    ferrow::ComPtr<IShellIconOverlayIdentifier> object;
    int priority = 0;
};

bool ReadRegisteredClsid(const char* key, CLSID& clsid) {
    const std::string path =
        std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellIconOverlayIdentifiers\\") + key;
    char text[64] = {};
    LONG size = sizeof text;
    ferrow::UniqueKey handle;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, handle.Put()) != ERROR_SUCCESS) return false;
    if (::RegQueryValueA(handle.Get(), nullptr, text, &size) != ERROR_SUCCESS) return false;
    return SUCCEEDED(::CLSIDFromString(ferrow::AnsiToWide(text).c_str(), &clsid));
}

}  // namespace

int RunOverlays(Host& host, const Args& args) {
    if (args.empty()) {
        PrintError("overlays needs at least one path");
        return kExitUsage;
    }
    std::vector<std::string> paths;
    for (const std::string& argument : args) {
        std::string full;
        if (!host.ResolvePath(argument, full)) return kExitUsage;
        paths.push_back(full);
    }

    Identifier identifiers[] = {
        {"CVSControlled", "red (modified)", CLSID_CCVSIconOverlay, {}, 0},
        {"CVSModified", "blue (controlled)", CLSID_CCVSModifiedIconOverlay, {}, 0},
    };
    for (Identifier& id : identifiers) {
        if (!host.Direct() && !ReadRegisteredClsid(id.key, id.clsid)) {
            PrintError(std::string("overlay identifier ") + id.key + " is not registered (run ferrowsh register)");
            return kExitFailed;
        }
        if (FAILED(host.CreateObject(id.clsid, IID_IShellIconOverlayIdentifier, id.object.PutVoid()))) {
            return host.Direct() ? kExitUsage : kExitFailed;
        }
        wchar_t file[MAX_PATH] = {};
        int index = -1;
        DWORD flags = 0;
        HRESULT hr = id.object->GetOverlayInfo(file, MAX_PATH, &index, &flags);
        if (SUCCEEDED(hr)) hr = id.object->GetPriority(&id.priority);
        if (FAILED(hr)) {
            PrintError(std::string(id.key) + ": GetOverlayInfo/GetPriority failed: " + HResultText(hr));
            return kExitFailed;
        }
        std::printf("%s %s: %s icon %s,%d priority %d\n", id.key, GuidText(id.clsid).c_str(), id.mark,
                    ferrow::WideToAnsi(file).c_str(), index, id.priority);
    }

    for (const std::string& path : paths) {
        const std::wstring wide = ferrow::AnsiToWide(path);
        const Identifier* drawn = nullptr;
        std::printf("%s:", path.c_str());
        for (const Identifier& id : identifiers) {
            const HRESULT hr = id.object->IsMemberOf(wide.c_str(), 0);
            std::printf(" %s=%s", id.key, hr == S_OK ? "yes" : hr == S_FALSE ? "no" : HResultText(hr).c_str());
            if (hr == S_OK && (!drawn || id.priority < drawn->priority)) drawn = &id;
        }
        std::printf(" -> %s\n", drawn ? drawn->mark : "no mark");
    }
    return kExitOk;
}

}  // namespace ferrowsh

// overlays <paths...>: both overlay identifiers' answers for each path, and the mark the shell would draw
// (among the identifiers that answer S_OK, the one with the lowest priority).
//
// Through COM the identifiers are found as Explorer finds them, under ShellIconOverlayIdentifiers; with
// --dll the module's own CLSIDs are used.
#include "host.h"

#include "common/text.h"
#include "com/guids.h"
#include "com/interface_ids.h"
#include "com/overlay_identifiers.h"

#include <shlobj.h>

#include <cstdio>

namespace ferrowsh {
namespace {

struct Identifier {
    const wchar_t* key;  // under ShellIconOverlayIdentifiers
    const char* label;   // the key without its leading spaces
    const char* mark;    // what its icon shows
    CLSID clsid;
    ferrow::ComPtr<IShellIconOverlayIdentifier> object;
    int priority = 0;
};

bool ReadRegisteredClsid(const wchar_t* key, CLSID& clsid) {
    const std::wstring path = std::wstring(ferrow::kOverlayIdentifiersKey) + L"\\" + key;
    wchar_t text[64] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return false;
    return SUCCEEDED(::CLSIDFromString(text, &clsid));
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
        {ferrow::kOverlayKeyModified, "FerrowModified", "red (modified)", CLSID_CCVSIconOverlay, {}, 0},
        {ferrow::kOverlayKeyControlled, "FerrowControlled", "blue (controlled)", CLSID_CCVSModifiedIconOverlay, {}, 0},
    };
    for (Identifier& id : identifiers) {
        if (!host.Direct() && !ReadRegisteredClsid(id.key, id.clsid)) {
            PrintError(std::string("overlay identifier ") + id.label + " is not registered (run ferrowsh register)");
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
            PrintError(std::string(id.label) + ": GetOverlayInfo/GetPriority failed: " + HResultText(hr));
            return kExitFailed;
        }
        std::printf("%s %s: %s icon %s,%d priority %d\n", id.label, GuidText(id.clsid).c_str(), id.mark,
                    ferrow::WideToAnsi(file).c_str(), index, id.priority);
    }

    for (const std::string& path : paths) {
        const std::wstring wide = ferrow::AnsiToWide(path);
        const Identifier* drawn = nullptr;
        std::printf("%s:", path.c_str());
        for (const Identifier& id : identifiers) {
            const HRESULT hr = id.object->IsMemberOf(wide.c_str(), 0);
            std::printf(" %s=%s", id.label, hr == S_OK ? "yes" : hr == S_FALSE ? "no" : HResultText(hr).c_str());
            if (hr == S_OK && (!drawn || id.priority < drawn->priority)) drawn = &id;
        }
        std::printf(" -> %s\n", drawn ? drawn->mark : "no mark");
    }
    return kExitOk;
}

}  // namespace ferrowsh

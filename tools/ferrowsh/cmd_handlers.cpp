// handlers: follows every registration point of the extension as the shell of this process's bitness does
// (its registry view): the handler keys of files and folders, the column handler, the overlay identifiers,
// the approved list and the ProgIDs each lead to a CLSID, whose object must be created with the interface
// the shell asks for. One line per point, "ok" or "missing" (a key of an older version that names one of
// the module's classes is "stale"); exits kExitFailed when any point is missing or stale. Then the order in
// which the shell loads the overlay identifiers of this view, with the places of the module's two.
#include "host.h"

#include "common/handles.h"
#include "com/guids.h"
#include "com/interface_ids.h"
#include "com/object_map.h"
#include "com/overlay_identifiers.h"

#include <shlobj.h>

#include <cstdio>
#include <string>

namespace ferrowsh {
namespace {

// The default value (or the named one) of a key; empty when absent.
std::wstring ReadText(HKEY root, const std::wstring& key, const wchar_t* value = nullptr) {
    wchar_t text[260] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (::RegGetValueW(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return {};
    return text;
}

std::wstring GuidTextW(REFGUID guid) {
    wchar_t text[64] = {};
    ::StringFromGUID2(guid, text, 64);
    return text;
}

struct Point {
    HKEY root;
    std::wstring key;
    const wchar_t* value;  // null: the default value names the class; else a value that must exist
    CLSID expected;
    const IID* iid;
};

// Every identifier of this view in the order the shell loads them; the module's marked.
void PrintOverlayLoadOrder() {
    ferrow::OverlayLoadOrder order;
    if (!ferrow::ReadOverlayLoadOrder(0, order)) {
        std::printf("overlay load order: no ShellIconOverlayIdentifiers key\n");
        return;
    }
    std::printf("overlay load order: %u identifiers, the shell loads the first %u\n",
                static_cast<unsigned>(order.names.size()), static_cast<unsigned>(ferrow::kOverlaySlots));
    for (size_t i = 0; i < order.names.size(); ++i) {
        const bool ours = i == order.controlled || i == order.modified;
        std::printf("  %3u \"%ls\"%s%s\n", static_cast<unsigned>(i + 1), order.names[i].c_str(), ours ? " (Ferrow)" : "",
                    i < ferrow::kOverlaySlots ? "" : " not loaded");
    }
    if (!order.Registered())
        std::printf("Ferrow's overlay identifiers: not registered\n");
    else if (order.Loaded())
        std::printf("Ferrow's overlay identifiers: places %u and %u, loaded\n", static_cast<unsigned>(order.controlled + 1),
                    static_cast<unsigned>(order.modified + 1));
    else
        std::printf("Ferrow's overlay identifiers: NOT loaded, %u identifiers of other programs come first\n",
                    static_cast<unsigned>(order.OthersBefore()));
}

}  // namespace

int RunHandlers(Host& host, const Args& args) {
    if (!args.empty() || host.Direct()) {
        PrintError("handlers takes no arguments and works through the registry only");
        return kExitUsage;
    }
    const std::wstring shellEx[] = {L"*\\shellex\\", L"Directory\\ShellEx\\"};
    const std::wstring explorer = L"Software\\Microsoft\\Windows\\CurrentVersion\\";
    std::vector<Point> points;
    for (const std::wstring& type : shellEx) {
        points.push_back({HKEY_CLASSES_ROOT, type + L"ContextMenuHandlers\\Ferrow", nullptr, CLSID_CCVSContextMenu,
                          &IID_IContextMenu});
        points.push_back({HKEY_CLASSES_ROOT, type + L"PropertySheetHandlers\\Ferrow", nullptr, CLSID_CCVSPropSheetExt,
                          &IID_IShellPropSheetExt});
    }
    // A folder's background: the menu only (the folder itself is the selection).
    points.push_back({HKEY_CLASSES_ROOT, L"Directory\\Background\\ShellEx\\ContextMenuHandlers\\Ferrow", nullptr,
                      CLSID_CCVSContextMenu, &IID_IContextMenu});
    points.push_back({HKEY_CLASSES_ROOT, L"Folder\\Shellex\\ColumnHandlers\\" + GuidTextW(CLSID_CCVSColumnProvider),
                      L"", CLSID_CCVSColumnProvider, &__uuidof(IColumnProvider)});
    const std::wstring overlays = std::wstring(ferrow::kOverlayIdentifiersKey) + L"\\";
    points.push_back({HKEY_LOCAL_MACHINE, overlays + ferrow::kOverlayKeyControlled, nullptr,
                      CLSID_CCVSModifiedIconOverlay, &__uuidof(IShellIconOverlayIdentifier)});
    points.push_back({HKEY_LOCAL_MACHINE, overlays + ferrow::kOverlayKeyModified, nullptr, CLSID_CCVSIconOverlay,
                      &__uuidof(IShellIconOverlayIdentifier)});
    const std::wstring approved = explorer + L"Shell Extensions\\Approved";
    const std::wstring menuText = GuidTextW(CLSID_CCVSContextMenu), sheetText = GuidTextW(CLSID_CCVSPropSheetExt);
    points.push_back({HKEY_LOCAL_MACHINE, approved, menuText.c_str(), CLSID_CCVSContextMenu, &IID_IContextMenu});
    points.push_back({HKEY_LOCAL_MACHINE, approved, sheetText.c_str(), CLSID_CCVSPropSheetExt, &IID_IShellPropSheetExt});

    int missing = 0;
    auto report = [&missing](const std::wstring& point, const std::string& problem) {
        if (!problem.empty()) ++missing;
        std::printf("%s %ls%s%s\n", problem.empty() ? "ok" : "missing", point.c_str(), problem.empty() ? "" : ": ",
                    problem.c_str());
    };
    for (const Point& point : points) {
        const std::wstring name = (point.root == HKEY_LOCAL_MACHINE ? L"HKLM\\" : L"HKCR\\") + point.key +
                                  (point.value && *point.value ? std::wstring(L" ") + point.value : L"");
        CLSID clsid = point.expected;
        const std::wstring text = ReadText(point.root, point.key, point.value && *point.value ? point.value : nullptr);
        if (point.value && !*point.value) {
            ferrow::UniqueKey key;  // the key's name is the CLSID
            if (::RegOpenKeyExW(point.root, point.key.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
                report(name, "no key");
                continue;
            }
        } else if (text.empty()) {
            report(name, "no value");
            continue;
        } else if (!point.value && (FAILED(::CLSIDFromString(text.c_str(), &clsid)) || clsid != point.expected)) {
            report(name, "names another class");
            continue;
        }
        ferrow::ComPtr<IUnknown> object;
        const HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, *point.iid, object.PutVoid());
        report(name, FAILED(hr) ? "cannot create its class (" + HResultText(hr) + ")" : std::string());
    }
    const ferrow::ObjectEntry* entries = ferrow::ObjectMapBegin();
    for (size_t i = 0; i < ferrow::ObjectMapSize(); ++i) {
        for (const wchar_t* progId : {entries[i].progId, entries[i].versionIndependentProgId}) {
            CLSID clsid = {};
            ferrow::ComPtr<IUnknown> object;
            HRESULT hr = ::CLSIDFromProgID(progId, &clsid);
            if (SUCCEEDED(hr) && clsid != *entries[i].clsid) hr = REGDB_E_CLASSNOTREG;
            if (SUCCEEDED(hr)) hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.PutVoid());
            report(std::wstring(L"HKCR\\") + progId, FAILED(hr) ? "does not lead to its class (" + HResultText(hr) + ")" : "");
        }
    }
    // The names of older versions, which registration and the installer remove.
    const struct {
        const wchar_t* name;
        CLSID clsid;
    } olderNames[] = {{L"CVSModified", CLSID_CCVSModifiedIconOverlay}, {L"CVSControlled", CLSID_CCVSIconOverlay}};
    for (const auto& older : olderNames) {
        CLSID clsid = {};
        const std::wstring text = ReadText(HKEY_LOCAL_MACHINE, overlays + older.name);
        if (text.empty() || FAILED(::CLSIDFromString(text.c_str(), &clsid)) || clsid != older.clsid) continue;
        ++missing;
        std::printf("stale HKLM\\%ls%ls: the key of an older version\n", overlays.c_str(), older.name);
    }
    PrintOverlayLoadOrder();
    // Which DLL this view's classes load, so a reader sees the two views apart.
    std::printf("served by %ls\n", ReadText(HKEY_CLASSES_ROOT, L"CLSID\\" + menuText + L"\\InprocServer32").c_str());
    return missing == 0 ? kExitOk : kExitFailed;
}

}  // namespace ferrowsh

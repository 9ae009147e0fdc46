// create: creates every class of the object map through COM by its ProgID and its version-independent
// ProgID, as a script or the shell would, and prints one line per ProgID and the DLL that COM loaded.
#include "host.h"

#include "common/text.h"
#include "com/object_map.h"

#include <cstdio>

namespace ferrowsh {
namespace {

bool CreateByProgId(const wchar_t* progId, REFCLSID expected) {
    const std::string name = ferrow::WideToAnsi(progId);
    CLSID clsid = {};
    HRESULT hr = ::CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) {
        PrintError(name + ": no class: " + HResultText(hr));
        return false;
    }
    if (!IsEqualCLSID(clsid, expected)) {
        PrintError(name + ": names " + GuidText(clsid) + ", not " + GuidText(expected));
        return false;
    }
    ferrow::ComPtr<IUnknown> object;
    hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.PutVoid());
    if (FAILED(hr)) {
        PrintError(name + ": CoCreateInstance failed: " + HResultText(hr));
        return false;
    }
    std::printf("%s ok\n", name.c_str());
    return true;
}

}  // namespace

int RunCreate(Host& host, const Args& args) {
    if (!args.empty() || host.Direct()) {
        PrintError("create takes no arguments and works through COM only");
        return kExitUsage;
    }
    bool ok = true;
    const ferrow::ObjectEntry* entries = ferrow::ObjectMapBegin();
    for (size_t i = 0; i < ferrow::ObjectMapSize(); ++i) {
        ok = CreateByProgId(entries[i].progId, *entries[i].clsid) && ok;
        ok = CreateByProgId(entries[i].versionIndependentProgId, *entries[i].clsid) && ok;
    }
    char path[MAX_PATH] = {};
    HMODULE dll = ::GetModuleHandleA("Ferrow.dll");
    if (dll && ::GetModuleFileNameA(dll, path, MAX_PATH)) std::printf("loaded %s\n", path);
    return ok ? kExitOk : kExitFailed;
}

}  // namespace ferrowsh

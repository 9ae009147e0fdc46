// register, unregister: the DLL's own registration functions, as regsvr32 calls them.
#include "host.h"

#include <cstdio>

namespace ferrowsh {
namespace {

int CallServerExport(Host& host, const Args& args, const char* exportName, const char* done) {
    if (!args.empty()) {
        PrintError(std::string("unexpected argument: ") + args[0]);
        return kExitUsage;
    }
    using ServerFn = HRESULT(STDAPICALLTYPE*)();
    auto call = reinterpret_cast<ServerFn>(host.Export(exportName));
    if (!call) return kExitUsage;
    const HRESULT hr = call();
    if (FAILED(hr)) {
        PrintError(std::string(exportName) + " failed: " + HResultText(hr));
        return kExitFailed;
    }
    std::printf("%s %s\n", done, host.DllPath().c_str());
    return kExitOk;
}

}  // namespace

int RunRegister(Host& host, const Args& args) { return CallServerExport(host, args, "DllRegisterServer", "registered"); }

int RunUnregister(Host& host, const Args& args) {
    return CallServerExport(host, args, "DllUnregisterServer", "unregistered");
}

}  // namespace ferrowsh

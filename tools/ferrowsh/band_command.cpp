#include "exec_commands.h"

#include "console/band_host.h"
#include "console/console_link.h"
#include "console/console_output.h"
#include "server/guids.h"
#include "server/object_map.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Creates a band from the module's own object map, as the class factory would for Explorer.
HRESULT CreateBandFromObjectMap(REFCLSID clsid, IUnknown** band) {
    const ferrow::ObjectEntry* entry = ferrow::FindObjectEntry(clsid);
    if (!entry || !entry->create) return REGDB_E_CLASSNOTREG;
    return entry->create(nullptr, IID_IUnknown, reinterpret_cast<void**>(band));
}

}  // namespace

int BandCommand(int argc, char** argv) {
    DWORD forMs = 0;
    int first = 0;
    if (argc >= 2 && std::strcmp(argv[0], "--for") == 0) {
        forMs = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
        first = 2;
    }
    CBandHost host(CreateBandFromObjectMap, "Ferrow - CVS Output");
    ferrow::ComPtr<IUnknown> band;
    if (FAILED(CreateBandFromObjectMap(CLSID_CConsoleBar, band.Put())) || FAILED(host.OpenBand(band.Get()))) {
        std::fputs("band: the console bar could not be sited\n", stderr);
        return 1;
    }
    console::ReplaceLink(host.Site());
    for (int i = first; i < argc; ++i) console::Append(std::string(argv[i]) + "\r\n");
    if (forMs == 0) {
        host.RunMessageLoop();
    } else {
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < forMs) {
            CBandHost::PumpMessages();
            ::Sleep(20);
        }
    }
    console::DropLink();
    return 0;
}

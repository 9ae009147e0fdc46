// band [--for <ms>] [texts...]: a top-level window that sites the console bar the way Explorer does (the
// site window's grandparent is the frame the browser reports), with each text appended as a line; runs
// until the window is closed, or for <ms> milliseconds.
#include "host.h"

#include "console/console_link.h"
#include "console/console_output.h"

#include <cstdlib>
#include <string>

namespace ferrowsh {

int RunBand(Host& host, const Args& args) {
    DWORD forMs = 0;
    size_t first = 0;
    if (args.size() >= 2 && args[0] == "--for") {
        forMs = static_cast<DWORD>(std::strtoul(args[1].c_str(), nullptr, 10));
        first = 2;
    }
    CBandHost window(BandFactory(host), "Ferrow - CVS Output");
    if (FAILED(OpenConsoleBar(host, window))) return kExitFailed;
    console::ReplaceLink(window.Site());
    for (size_t i = first; i < args.size(); ++i) console::Append(args[i] + "\r\n");
    if (forMs == 0) {
        window.RunMessageLoop();
    } else {
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < forMs) {
            CBandHost::PumpMessages();
            ::Sleep(20);
        }
    }
    console::DropLink();
    return kExitOk;
}

}  // namespace ferrowsh

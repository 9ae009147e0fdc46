#include "exec_commands.h"

#include "console/band_host.h"
#include "console/console_bar.h"
#include "console/console_link.h"
#include "console/console_output.h"
#include "exec/command_line.h"
#include "exec/progress_dialog.h"
#include "menu/core/operation_rules.h"
#include "server/guids.h"
#include "server/object_map.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

HRESULT CreateBand(REFCLSID clsid, IUnknown** band) {
    const ferrow::ObjectEntry* entry = ferrow::FindObjectEntry(clsid);
    if (!entry || !entry->create) return REGDB_E_CLASSNOTREG;
    return entry->create(nullptr, IID_IUnknown, reinterpret_cast<void**>(band));
}

std::string FullPath(const char* path) {
    char buffer[MAX_PATH] = {};
    DWORD n = ::GetFullPathNameA(path, MAX_PATH, buffer, nullptr);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string(path);
}

}  // namespace

int RunCommand(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: run <template> <paths...>\n", stderr);
        return 2;
    }
    const std::string commandTemplate = argv[0];
    Selection selection;
    for (int i = 1; i < argc; ++i) selection.push_back(FullPath(argv[i]));

    CBandHost host(CreateBand, "Ferrow - run");
    ferrow::ComPtr<IUnknown> band;
    HRESULT created = CreateBand(CLSID_CConsoleBar, band.Put());
    HRESULT sited = SUCCEEDED(created) ? host.OpenBand(band.Get()) : created;
    if (FAILED(sited)) {
        std::fprintf(stderr, "run: the console bar could not be sited (0x%08lX)\n", static_cast<unsigned long>(sited));
        return 1;
    }
    console::ReplaceLink(host.Site());
    console::ShowIfAuto();
    console::Clear();

    HRESULT hr = E_FAIL;
    std::string out, err;
    {
        CProgressDialog progress;
        hr = ExecuteTemplate(commandTemplate, selection);
        out = progress.GetStdOutText();
        err = progress.GetStdErrText();
    }
    console::Append(menu::NormalizeLineEnds(out));
    console::Append(menu::NormalizeLineEnds(err));
    console::Append(SUCCEEDED(hr) ? "ok\r\n" : "failed\r\n");

    HWND edit = nullptr;
    ferrow::ComPtr<IDeskBand> deskBand;
    if (SUCCEEDED(band->QueryInterface(IID_IDeskBand, deskBand.PutVoid()))) deskBand->GetWindow(&edit);
    std::string shown;
    if (edit) {
        shown.resize(static_cast<size_t>(::GetWindowTextLengthA(edit)) + 1);
        shown.resize(static_cast<size_t>(::GetWindowTextA(edit, &shown[0], static_cast<int>(shown.size()))));
    }
    // Byte for byte: the console's CR LF line ends must not pass through a text-mode stream.
    DWORD wrote = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), shown.data(), static_cast<DWORD>(shown.size()), &wrote, nullptr);
    console::DropLink();
    return SUCCEEDED(hr) ? 0 : 1;
}

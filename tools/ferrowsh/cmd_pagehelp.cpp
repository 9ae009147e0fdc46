// pagehelp [--dir <folder>] [--wait <ms>]: presses the Options page's Help as the settings frame does
// (IPropertyPage::Help with the frame's help folder, none by default) and prints the title of the help
// window the process then shows, or "no help window" when none appears within the wait (2000 ms).
#include "host.h"

#include "common/text.h"
#include "com/guids.h"

#include <ocidl.h>

#include <cstdio>
#include <cstdlib>

namespace ferrowsh {
namespace {

BOOL CALLBACK FindHelpWindow(HWND hwnd, LPARAM param) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof(name));
    if (process != ::GetCurrentProcessId() || std::string(name) != "HH Parent") return TRUE;
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
}

}  // namespace

int RunPageHelp(Host& host, const Args& args) {
    std::wstring directory;
    DWORD waitMs = 2000;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--dir" && i + 1 < args.size()) {
            directory = ferrow::AnsiToWide(args[++i]);
        } else if (args[i] == "--wait" && i + 1 < args.size()) {
            waitMs = static_cast<DWORD>(std::strtoul(args[++i].c_str(), nullptr, 10));
        } else {
            PrintError("unexpected argument: " + args[i]);
            return kExitUsage;
        }
    }
    ferrow::ComPtr<IPropertyPage> page;
    if (FAILED(host.CreateObject(CLSID_COptionsPage, IID_IPropertyPage, page.PutVoid()))) return kExitFailed;
    const HRESULT hr = page->Help(directory.empty() ? nullptr : directory.c_str());
    if (FAILED(hr)) {
        PrintError("Help failed: " + HResultText(hr));
        return kExitFailed;
    }
    HWND help = nullptr;
    for (DWORD waited = 0; !help; waited += 50) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
        ::EnumWindows(FindHelpWindow, reinterpret_cast<LPARAM>(&help));
        if (help || waited >= waitMs) break;
        ::Sleep(50);
    }
    if (!help) {
        std::printf("no help window\n");
        return kExitOk;
    }
    char title[256] = {};
    ::GetWindowTextA(help, title, sizeof(title));
    std::printf("help window: %s\n", title);
    ::DestroyWindow(help);
    return kExitOk;
}

}  // namespace ferrowsh

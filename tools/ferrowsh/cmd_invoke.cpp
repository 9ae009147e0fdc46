// invoke [options] <item> <paths...>: runs a menu item on the selection as Explorer would, in a window that
// hosts the console bar and sites the handler, then prints what the console bar shows and the result. Dialogs are shown for a person, or filled and confirmed by the host when any of these is given:
//   --message <text>   commit: the log message (may be empty)
//   --tag <name>       tag: the tag name; --move, --check, --branch tick the boxes
//   --command <line>   custom command: the command line
//   --cancel           cancel the dialog instead
//   --pause <ms>       wait this long with the dialog shown before filling it (for screenshots)
// Other options: --no-ui (CMIC_MASK_FLAG_NO_UI: no progress window, no error box; use it in scripts),
// --lang de|en (resource language of the thread).
#include "host.h"
#include "menu_host.h"

#include "console/band_host.h"
#include "menu/operation_dialogs.h"
#include "server/guids.h"

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace ferrowsh {
namespace {

struct DialogAnswers {
    bool drive = false;
    bool cancel = false;
    bool message = false, tag = false, command = false;
    std::string messageText, tagText, commandText;
    bool move = false, check = false, branch = false;
    DWORD pauseMs = 0;
};

struct FindDialog {
    HWND found = nullptr;
};

BOOL CALLBACK FindDialogOfThread(HWND hwnd, LPARAM lp) {
    char cls[16] = {};
    ::GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !::IsWindowVisible(hwnd)) return TRUE;
    reinterpret_cast<FindDialog*>(lp)->found = hwnd;
    return FALSE;
}

void SetText(HWND dialog, int id, const std::string& text) {
    ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Tick(HWND dialog, int id, bool on) {
    ::SendDlgItemMessageA(dialog, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Waits for the dialog of the invoking thread, fills it and presses OK (or Cancel).
void DriveDialog(DWORD thread, const DialogAnswers& answers, const volatile bool& done) {
    FindDialog find;
    while (!done && !find.found) {
        ::Sleep(50);
        ::EnumThreadWindows(thread, FindDialogOfThread, reinterpret_cast<LPARAM>(&find));
    }
    if (!find.found) return;
    HWND dialog = find.found;
    ::Sleep(answers.pauseMs);
    if (!answers.cancel) {
        if (answers.message) SetText(dialog, menu::kCommitMessageEdit, answers.messageText);
        if (answers.command) SetText(dialog, menu::kCustomCommandEdit, answers.commandText);
        if (answers.tag) {
            SetText(dialog, menu::kTagCombo, answers.tagText);
            Tick(dialog, menu::kMoveCheck, answers.move);
            Tick(dialog, menu::kCheckCheck, answers.check);
            Tick(dialog, menu::kBranchCheck, answers.branch);
        }
    }
    const int button = answers.cancel ? IDCANCEL : IDOK;
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
}

}  // namespace

int RunInvoke(Host& host, const Args& args) {
    DialogAnswers answers;
    DWORD mask = 0;
    Args rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--message" && hasValue) {
            answers.message = answers.drive = true;
            answers.messageText = args[++i];
        } else if (a == "--tag" && hasValue) {
            answers.tag = answers.drive = true;
            answers.tagText = args[++i];
        } else if (a == "--command" && hasValue) {
            answers.command = answers.drive = true;
            answers.commandText = args[++i];
        } else if (a == "--pause" && hasValue) {
            answers.pauseMs = static_cast<DWORD>(std::strtoul(args[++i].c_str(), nullptr, 10));
        } else if (a == "--move") {
            answers.move = true;
        } else if (a == "--check") {
            answers.check = true;
        } else if (a == "--branch") {
            answers.branch = true;
        } else if (a == "--cancel") {
            answers.cancel = answers.drive = true;
        } else if (a == "--no-ui") {
            mask |= CMIC_MASK_FLAG_NO_UI;
        } else if (a == "--lang" && hasValue) {
            const std::string lang = args[++i];
            const LANGID id = lang == "de" ? MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)
                                           : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
            ::SetThreadUILanguage(id);
            ::SetThreadLocale(MAKELCID(id, SORT_DEFAULT));
        } else {
            rest.push_back(a);
        }
    }
    unsigned offset = 0;
    if (rest.size() < 2 || !menu_host::ParseItem(rest[0], offset)) {
        PrintError("invoke needs an item (0-9 or its name) and at least one path");
        return kExitUsage;
    }
    HRESULT init = E_FAIL;
    auto handler = menu_host::MakeHandler(host, Args(rest.begin() + 1, rest.end()), init);
    if (!handler) return kExitFailed;
    if (FAILED(init)) {
        PrintError("the selection is not for the handler (Initialize: " + HResultText(init) + ")");
        return kExitFailed;
    }

    // The window the handler is sited in, with its console bar open; both objects come from the same module.
    auto createBand = [&host](REFCLSID clsid, IUnknown** band) {
        return host.CreateObject(clsid, IID_IUnknown, reinterpret_cast<void**>(band));
    };
    CBandHost window(createBand, "Ferrow - invoke");
    ferrow::ComPtr<IUnknown> band;
    if (FAILED(createBand(CLSID_CConsoleBar, band.Put())) || FAILED(window.OpenBand(band.Get()))) {
        PrintError("the console bar could not be sited");
        return kExitFailed;
    }
    ferrow::ComPtr<IObjectWithSite> siting;
    if (SUCCEEDED(handler.As(siting))) siting->SetSite(window.Site());

    volatile bool done = false;
    std::thread driver;
    if (answers.drive) {
        const DWORD thread = ::GetCurrentThreadId();
        driver = std::thread([thread, &answers, &done] { DriveDialog(thread, answers, done); });
    }
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = mask;
    info.hwnd = window.Frame();
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    const HRESULT hr = handler->InvokeCommand(&info);
    done = true;
    if (driver.joinable()) driver.join();

    HWND edit = nullptr;
    if (window.Band()) window.Band()->GetWindow(&edit);
    std::string shown;
    if (edit) {
        shown.resize(static_cast<size_t>(::GetWindowTextLengthA(edit)) + 1);
        shown.resize(static_cast<size_t>(::GetWindowTextA(edit, &shown[0], static_cast<int>(shown.size()))));
    }
    // Byte for byte: the console's CR LF line ends must not pass through a text-mode stream.
    std::fflush(stdout);
    DWORD wrote = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), shown.data(), static_cast<DWORD>(shown.size()), &wrote, nullptr);

    const char* name = hr == S_OK ? "S_OK" : hr == E_ABORT ? "E_ABORT" : hr == E_FAIL ? "E_FAIL"
                     : hr == E_INVALIDARG ? "E_INVALIDARG" : nullptr;
    std::printf("%s: %s\n", menu_host::ItemName(offset), name ? name : HResultText(hr).c_str());
    return SUCCEEDED(hr) ? kExitOk : kExitFailed;
}

}  // namespace ferrowsh

// invoke [options] <item> <paths...>: runs a menu item on the selection as Explorer would, in a window that
// hosts the console bar and sites the handler, then prints what the console bar shows and the result. Dialogs are shown for a person, or filled and confirmed by the host when any of these is given:
//   --message <text>   commit: the log message (may be empty)
//   --tag <name>       tag: the tag name; --move, --check, --branch tick the boxes
//   --command <line>   custom command: the command line
//   --cancel           cancel the dialog instead
//   --pause <ms>       wait this long with the dialog shown before filling it (for screenshots)
// Ferrow.exe's Checkout dialog (the item "checkout"): --root <text> and --module <name> fill it;
// --login-password-env <NAME> first presses its "Log in..." button and answers the Log in dialog with the
// password held in that environment variable (so that it stands on no command line); each of the two is
// filled, left up for --pause, then confirmed (or cancelled with --cancel).
// --background: the one path is a folder whose empty area was clicked (no data object, as Explorer does).
// --modern runs the item as Windows 11's menu does: the subcommand of the command class, invoked with a
// site as that menu gives (no window of its own, the host's window as Explorer's), which starts Ferrow.exe
// beside the DLL and returns (--no-ui does not apply).
// Where the classic handler starts Ferrow.exe instead of running the operation (output to a window), the
// host waits for that program after InvokeCommand returned: it prints "program: running" when the program was
// still running at the return, drives the program's dialogs and output window as it drives its own, and
// prints "program: exit <code>".
// Other options: --no-ui (CMIC_MASK_FLAG_NO_UI: no progress window, no error box; use it in scripts),
// --lang de|en (resource language of the thread), --close-error <ms> (with user interface: leave the
// error message box up this long, print its caption and text, then press its OK button), --hold <ms> (keep
// the window with the console bar open this long after the operation, for screenshots), --no-bar (no
// console bar in the window: the operation shows its own output window unless the setting says "bar").
// The output window of an operation: --window-close <ms> leaves it up this long once it shows the result,
// prints what it showed while running (as soon as a command's output appeared) and at the end, then
// presses OK; --window-cancel <ms> presses its Cancel this long after the first output appeared.
#include "host.h"
#include "menu_host.h"

#include "hostsupport/command_tree.h"

#include "ops/operation_dialogs.h"
#include "resources/resource.h"

#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace ferrowsh {
namespace {

struct DialogAnswers {
    bool drive = false;
    bool cancel = false;
    bool message = false, tag = false, command = false;
    std::string messageText, tagText, commandText;
    bool move = false, check = false, branch = false;
    DWORD pauseMs = 0;
    bool closeError = false;
    DWORD holdMs = 0;
    DWORD errorHoldMs = 0;
    bool noBar = false;
    bool window = false;         // drive the output window
    bool windowCancel = false;
    DWORD windowCancelMs = 0;
    DWORD windowCloseMs = 0;
    bool repository = false;     // the Checkout dialog (and the Log in dialog)
    std::string root, module, passwordVariable;
};

// The windows driven: those of the invoking thread, and those of the program the handler started.
struct FindDialog {
    DWORD thread = 0;
    DWORD program = 0;  // its process id, 0 until known
    HWND found = nullptr;
};

std::atomic<DWORD> g_programId{0};

bool Watched(HWND hwnd, const FindDialog& find) {
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(hwnd, &process);
    return thread == find.thread || (find.program != 0 && process == find.program);
}

// The operation's output window is a dialog too; it is told apart by its text control.
bool IsOutputWindow(HWND hwnd) { return ::GetDlgItem(hwnd, IDC_OUTPUT_TEXT) != nullptr; }

BOOL CALLBACK FindDialogOfThread(HWND hwnd, LPARAM lp) {
    if (!Watched(hwnd, *reinterpret_cast<FindDialog*>(lp))) return TRUE;
    char cls[16] = {};
    ::GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !::IsWindowVisible(hwnd) || IsOutputWindow(hwnd)) return TRUE;
    reinterpret_cast<FindDialog*>(lp)->found = hwnd;
    return FALSE;
}

BOOL CALLBACK FindOutputWindowOfThread(HWND hwnd, LPARAM lp) {
    if (!Watched(hwnd, *reinterpret_cast<FindDialog*>(lp))) return TRUE;
    if (!::IsWindowVisible(hwnd) || !IsOutputWindow(hwnd)) return TRUE;
    reinterpret_cast<FindDialog*>(lp)->found = hwnd;
    return FALSE;
}

void SetText(HWND dialog, int id, const std::string& text) {
    ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Tick(HWND dialog, int id, bool on) {
    ::SendDlgItemMessageA(dialog, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The first visible dialog-class window of the thread, waiting for it until `done`; null when none came.
HWND WaitForDialog(DWORD thread, const volatile bool& done) {
    FindDialog find;
    find.thread = thread;
    while (!done && !find.found) {
        ::Sleep(50);
        find.program = g_programId.load();
        ::EnumWindows(FindDialogOfThread, reinterpret_cast<LPARAM>(&find));
    }
    return find.found;
}

// Asked of the window itself: GetWindowText answers a window of another process (the program's) from its
// caption only.
std::string TextOf(HWND window) {
    const LRESULT length = ::SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

// Waits for the output window, records what it shows while running and at the end, presses its button.
void DriveOutputWindow(DWORD thread, const DialogAnswers& answers, const volatile bool& done, std::string& seen) {
    FindDialog find;
    find.thread = thread;
    while (!done && !find.found) {
        ::Sleep(20);
        find.program = g_programId.load();
        ::EnumWindows(FindOutputWindowOfThread, reinterpret_cast<LPARAM>(&find));
    }
    HWND window = find.found;
    if (!window) return;
    const auto running = [window] { return ::IsWindowVisible(::GetDlgItem(window, IDC_OUTPUT_PROGRESS)) != FALSE; };
    const auto describe = [window](const char* when) {
        std::string line = "window \"" + TextOf(window) + "\" " + when + ", button \"" +
                           TextOf(::GetDlgItem(window, IDCANCEL)) + "\", status \"" +
                           TextOf(::GetDlgItem(window, IDC_OUTPUT_STATUS)) + "\":\n";
        return line + TextOf(::GetDlgItem(window, IDC_OUTPUT_TEXT)) + "\n";
    };
    // The first output: more than the echo line of the first command.
    while (::IsWindow(window) && running()) {
        const std::string text = TextOf(::GetDlgItem(window, IDC_OUTPUT_TEXT));
        const size_t echoEnd = text.find('\n');
        if (echoEnd != std::string::npos && echoEnd + 1 < text.size()) {
            seen += describe("while running");
            break;
        }
        ::Sleep(20);
    }
    if (answers.windowCancel && ::IsWindow(window) && running()) {
        ::Sleep(answers.windowCancelMs);
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    while (::IsWindow(window) && running()) ::Sleep(20);
    if (!::IsWindow(window)) return;
    ::Sleep(answers.windowCloseMs);
    if (!::IsWindow(window)) return;
    seen += describe("at the end");
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// Waits for the error message box of the thread, leaves it up, records caption and message, presses OK.
void CloseErrorBox(DWORD thread, DWORD holdMs, const volatile bool& done, std::string& seen) {
    HWND box = WaitForDialog(thread, done);
    if (!box) return;
    ::Sleep(holdMs);
    std::string message;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char cls[16] = {};
        ::GetClassNameA(child, cls, sizeof cls);
        const std::string text = TextOf(child);
        if (::lstrcmpiA(cls, "Static") == 0 && text.size() > message.size()) message = text;
    }
    seen = "message box \"" + TextOf(box) + "\": " + message;
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
}

struct DialogWith {
    FindDialog find;
    int control;
};

BOOL CALLBACK FindDialogWithControl(HWND hwnd, LPARAM lp) {
    auto& search = *reinterpret_cast<DialogWith*>(lp);
    if (!Watched(hwnd, search.find) || !::IsWindowVisible(hwnd) || !::GetDlgItem(hwnd, search.control)) return TRUE;
    search.find.found = hwnd;
    return FALSE;
}

// The visible dialog of the thread (or the program) that has the control, waiting for it until `done`.
HWND WaitForDialogWith(DWORD thread, int control, const volatile bool& done) {
    DialogWith search{{thread, 0, nullptr}, control};
    while (!done && !search.find.found) {
        ::Sleep(50);
        search.find.program = g_programId.load();
        ::EnumWindows(FindDialogWithControl, reinterpret_cast<LPARAM>(&search));
    }
    return search.find.found;
}

void Press(HWND dialog, int button) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
}

// The Checkout dialog: filled, the Log in dialog answered from it when asked, then confirmed.
HWND DriveRepositoryDialogs(DWORD thread, const DialogAnswers& answers, const volatile bool& done) {
    HWND checkout = WaitForDialogWith(thread, IDC_REPO_MODULE, done);
    if (!checkout) return nullptr;
    if (!answers.root.empty()) SetText(checkout, IDC_REPO_ROOT, answers.root);
    if (!answers.module.empty()) SetText(checkout, IDC_REPO_MODULE, answers.module);
    ::Sleep(answers.pauseMs);
    if (!answers.passwordVariable.empty()) {
        Press(checkout, IDC_REPO_LOGIN);
        if (HWND login = WaitForDialogWith(thread, IDC_REPO_PASSWORD, done)) {
            if (!answers.cancel) {
                const char* password = std::getenv(answers.passwordVariable.c_str());
                SetText(login, IDC_REPO_PASSWORD, password ? password : "");
            }
            ::Sleep(answers.pauseMs);
            Press(login, answers.cancel ? IDCANCEL : IDOK);
            while (!done && ::IsWindow(login)) ::Sleep(20);
            ::Sleep(200);  // the server's check of the login, then the Checkout dialog is enabled again
            while (!done && !::IsWindowEnabled(checkout)) ::Sleep(20);
        }
    }
    Press(checkout, answers.cancel ? IDCANCEL : IDOK);
    return checkout;
}

// Waits for the dialog of the invoking thread, fills it and presses OK (or Cancel); returns it (or null).
HWND DriveDialog(DWORD thread, const DialogAnswers& answers, const volatile bool& done) {
    if (answers.repository) return DriveRepositoryDialogs(thread, answers, done);
    HWND dialog = WaitForDialog(thread, done);
    if (!dialog) return nullptr;
    ::Sleep(answers.pauseMs);
    if (!answers.cancel) {
        if (answers.message) SetText(dialog, IDC_COMMIT_MESSAGE, answers.messageText);
        if (answers.command) SetText(dialog, IDC_CUSTOM_COMMAND, answers.commandText);
        if (answers.tag) {
            SetText(dialog, IDC_TAG_NAME, answers.tagText);
            Tick(dialog, IDC_TAG_MOVE, answers.move);
            Tick(dialog, IDC_TAG_CHECK, answers.check);
            Tick(dialog, IDC_TAG_BRANCH, answers.branch);
        }
    }
    const int button = answers.cancel ? IDCANCEL : IDOK;
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
    return dialog;
}

// The Ferrow.exe that this process started last, or null.
ferrow::UniqueKernelHandle FindStartedProgram(DWORD& id) {
    id = 0;
    ferrow::UniqueKernelHandle found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != ::GetCurrentProcessId() || ::lstrcmpiA(entry.szExeFile, "Ferrow.exe") != 0)
            continue;
        ferrow::UniqueKernelHandle process(
            ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process) continue;
        found = std::move(process);
        id = entry.th32ProcessID;
    }
    ::CloseHandle(snapshot);
    return found;
}

// Waits for the process, dispatching this thread's messages.
void WaitPumping(HANDLE process) {
    for (;;) {
        const DWORD waited = ::MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (waited != WAIT_OBJECT_0 + 1) return;
        CBandHost::PumpMessages();
    }
}

}  // namespace

int RunInvoke(Host& host, const Args& args) {
    DialogAnswers answers;
    DWORD mask = 0;
    bool modern = false;
    bool background = false;
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
        } else if (a == "--close-error" && hasValue) {
            answers.closeError = true;
            answers.errorHoldMs = static_cast<DWORD>(std::strtoul(args[++i].c_str(), nullptr, 10));
        } else if (a == "--hold" && hasValue) {
            answers.holdMs = static_cast<DWORD>(std::strtoul(args[++i].c_str(), nullptr, 10));
        } else if (a == "--move") {
            answers.move = true;
        } else if (a == "--check") {
            answers.check = true;
        } else if (a == "--branch") {
            answers.branch = true;
        } else if (a == "--cancel") {
            answers.cancel = answers.drive = true;
        } else if (a == "--modern") {
            modern = true;
        } else if (a == "--window-close" && hasValue) {
            answers.window = true;
            answers.windowCloseMs = static_cast<DWORD>(std::strtoul(args[++i].c_str(), nullptr, 10));
        } else if (a == "--window-cancel" && hasValue) {
            answers.window = answers.windowCancel = true;
            answers.windowCancelMs = static_cast<DWORD>(std::strtoul(args[++i].c_str(), nullptr, 10));
        } else if (a == "--root" && hasValue) {
            answers.repository = answers.drive = true;
            answers.root = args[++i];
        } else if (a == "--module" && hasValue) {
            answers.repository = answers.drive = true;
            answers.module = args[++i];
        } else if (a == "--login-password-env" && hasValue) {
            answers.repository = answers.drive = true;
            answers.passwordVariable = args[++i];
        } else if (a == "--background") {
            background = true;
        } else if (a == "--no-bar") {
            answers.noBar = true;
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
    const Args paths(rest.begin() + 1, rest.end());
    HRESULT init = S_OK;
    ferrow::ComPtr<IContextMenu> handler;
    if (!modern) handler = menu_host::MakeHandler(host, paths, init, background);
    if (!modern && !handler) return kExitFailed;
    if (FAILED(init)) {
        PrintError("the selection is not for the handler (Initialize: " + HResultText(init) + ")");
        return kExitFailed;
    }

    // The window the handler is sited in, with its console bar open; both objects come from the same module.
    CBandHost window(BandFactory(host), "Ferrow - invoke");
    if (!answers.noBar && FAILED(OpenConsoleBar(host, window))) return kExitFailed;
    ferrow::ComPtr<IObjectWithSite> siting;
    if (handler && SUCCEEDED(handler.As(siting))) siting->SetSite(window.Site());

    volatile bool done = false;
    std::thread driver;
    std::string errorBox;
    std::string outputWindow;
    if (answers.drive || answers.closeError || answers.window) {
        const DWORD thread = ::GetCurrentThreadId();
        driver = std::thread([thread, &answers, &done, &errorBox, &outputWindow] {
            if (answers.drive) {
                HWND dialog = DriveDialog(thread, answers, done);
                while (dialog && !done && ::IsWindow(dialog)) ::Sleep(20);  // the box comes after it
            }
            if (answers.window) DriveOutputWindow(thread, answers, done, outputWindow);
            if (answers.closeError) CloseErrorBox(thread, answers.errorHoldMs, done, errorBox);
        });
    }
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = mask;
    info.hwnd = window.Frame();
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    const HRESULT hr = modern ? menu_host::InvokeSubCommand(host, paths, offset,
                                                            ferrow::MakeFolderViewSite("", window.Frame()).Get())
                              : handler->InvokeCommand(&info);
    DWORD programId = 0;
    ferrow::UniqueKernelHandle program = FindStartedProgram(programId);
    std::string programReport;
    if (program) {
        if (::WaitForSingleObject(program.Get(), 0) == WAIT_TIMEOUT) programReport += "program: running\n";
        g_programId = programId;
        WaitPumping(program.Get());
        DWORD code = 0;
        ::GetExitCodeProcess(program.Get(), &code);
        programReport += "program: exit " + std::to_string(code) + "\n";
    }
    done = true;
    if (driver.joinable()) driver.join();
    for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < answers.holdMs;) {
        CBandHost::PumpMessages();
        ::Sleep(20);
    }

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

    if (!outputWindow.empty()) {
        std::fflush(stdout);
        ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), outputWindow.data(), static_cast<DWORD>(outputWindow.size()),
                    &wrote, nullptr);
    }
    if (!errorBox.empty()) std::printf("%s\n", errorBox.c_str());
    const char* name = hr == S_OK ? "S_OK" : hr == E_ABORT ? "E_ABORT" : hr == E_FAIL ? "E_FAIL"
                     : hr == E_INVALIDARG ? "E_INVALIDARG" : nullptr;
    std::printf("%s: %s\n", menu_host::ItemName(offset), name ? name : HResultText(hr).c_str());
    std::printf("%s", programReport.c_str());
    if (program) {
        DWORD code = 1;
        ::GetExitCodeProcess(program.Get(), &code);
        if (code != 0) return kExitFailed;
    }
    return SUCCEEDED(hr) ? kExitOk : kExitFailed;
}

}  // namespace ferrowsh

// ferrowsh [--dll <path>] <command> [arguments...]
#include "commands.h"
#include "host.h"

#include "common/handles.h"

#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace ferrowsh {

#define FERROWSH_DECLARE(name, function, arguments, description) int function(Host& host, const Args& args);
FERROWSH_COMMANDS(FERROWSH_DECLARE)
#undef FERROWSH_DECLARE

namespace {

struct Command {
    const char* name;
    int (*run)(Host&, const Args&);
    const char* arguments;
    const char* description;
};

#define FERROWSH_ENTRY(name, function, arguments, description) {#name, &function, arguments, description},
const Command kCommands[] = {FERROWSH_COMMANDS(FERROWSH_ENTRY)};
#undef FERROWSH_ENTRY

void PrintUsage(FILE* to) {
    std::fprintf(to, "usage: ferrowsh [--dll <path>] <command> [arguments...]\n");
    std::fprintf(to, "  --dll <path>  load the DLL directly (LoadLibrary + DllGetClassObject) instead of through COM\n");
    for (const Command& c : kCommands) {
        std::fprintf(to, "  %s %s\n      %s\n", c.name, c.arguments, c.description);
    }
}

// OLE on this thread for the host's lifetime, as in an Explorer window's thread.
class OleScope {
public:
    OleScope() : hr_(::OleInitialize(nullptr)) {}
    ~OleScope() {
        if (SUCCEEDED(hr_)) ::OleUninitialize();
    }

private:
    HRESULT hr_;
};

// Whether a window can be made on this process's desktop. Under Wine a desktop is made by the first program
// of a session that needs one, with that program's display: a session begun without a display (a script
// that registered the DLL, say) keeps a desktop on which no window can be made until its server ends.
bool DesktopMakesWindows() {
    HWND probe = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!probe) return false;
    ::DestroyWindow(probe);
    return true;
}

// Runs this command line again on a desktop of its own, which gets the display of this environment, with
// the same standard handles; its exit code, or -1 when it cannot be started. The copy does not try again.
int RunOnOwnDesktop() {
    constexpr char kMarker[] = "FERROWSH_OWN_DESKTOP";
    if (std::getenv(kMarker)) return -1;
    // A name of its own: a desktop made earlier in a session without a display is as unusable.
    std::string desktopName = "ferrowsh-" + std::to_string(::GetCurrentProcessId());
    ferrow::UniqueDesktop desktop(::CreateDesktopA(desktopName.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr));
    if (!desktop) return -1;
    ::SetEnvironmentVariableA(kMarker, "1");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = &desktopName[0];
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    std::string line = ::GetCommandLineA();
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) return -1;
    ferrow::UniqueKernelHandle thread(info.hThread), process(info.hProcess);
    ::WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = static_cast<DWORD>(-1);
    ::GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}

}  // namespace

int Main(int argc, char** argv) {
    std::string dll;
    int i = 1;
    while (i < argc && std::strncmp(argv[i], "--", 2) == 0) {
        const std::string option = argv[i];
        if (option == "--help") {
            PrintUsage(stdout);
            return kExitOk;
        }
        if (option == "--dll") {
            if (i + 1 >= argc) {
                PrintError("--dll needs a path");
                return kExitUsage;
            }
            dll = argv[i + 1];
            i += 2;
            continue;
        }
        PrintError("unknown option: " + option);
        return kExitUsage;
    }
    if (i >= argc) {
        PrintError("no command given (ferrowsh --help lists them)");
        return kExitUsage;
    }
    const std::string name = argv[i];
    for (const Command& c : kCommands) {
        if (name != c.name) continue;
        OleScope ole;
        Host host(dll);
        return c.run(host, Args(argv + i + 1, argv + argc));
    }
    PrintError("unknown command: " + name + " (ferrowsh --help lists them)");
    return kExitUsage;
}

}  // namespace ferrowsh

int main(int argc, char** argv) {
    if (!ferrowsh::DesktopMakesWindows()) {
        const int code = ferrowsh::RunOnOwnDesktop();
        if (code != -1) return code;
    }
    const int code = ferrowsh::Main(argc, argv);
    std::fflush(stdout);
    return code;
}

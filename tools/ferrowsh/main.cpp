// ferrowsh [--dll <path>] <command> [arguments...]
#include "commands.h"
#include "host.h"

#include <ole2.h>

#include <cstdio>
#include <cstring>

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
    const int code = ferrowsh::Main(argc, argv);
    std::fflush(stdout);
    return code;
}

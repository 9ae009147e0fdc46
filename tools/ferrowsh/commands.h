// The commands of the shell host, one line each: X(name, function, arguments, description).
// A command is `int function(Host& host, const Args& args)` defined in a source file of its own
// (cmd_<name>.cpp); it returns the process exit code (kExitOk, kExitFailed, kExitUsage).
#pragma once

#define FERROWSH_COMMANDS(X)                                                                          \
    X(register, RunRegister, "", "calls DllRegisterServer of the DLL")                                \
    X(unregister, RunUnregister, "", "calls DllUnregisterServer of the DLL")                          \
    X(overlays, RunOverlays, "<paths...>", "asks both overlay identifiers about each path")           \
    X(columns, RunColumns, "<folder>", "the column definitions and every item's column values")       \
    X(props, RunProps, "[--page <n>] [--tree] [--for <ms>] [--shot <file.bmp>] <paths...>",           \
      "opens the Properties dialog of the items and prints what the chosen page shows")

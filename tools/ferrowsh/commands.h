// The commands of the shell host, one line each: X(name, function, arguments, description).
// A command is `int function(Host& host, const Args& args)` defined in a source file of its own
// (cmd_<name>.cpp); it returns the process exit code (kExitOk, kExitFailed, kExitUsage).
#pragma once

#define FERROWSH_COMMANDS(X)                                                                          \
    X(register, RunRegister, "", "calls DllRegisterServer of the DLL")                                \
    X(unregister, RunUnregister, "", "calls DllUnregisterServer of the DLL")                          \
    X(handlers, RunHandlers, "", "follows every registration point in this process's registry view; the overlay load order")  \
    X(status, RunStatus, "<paths...>", "what the working-copy model says of each path (English, German)") \
    X(overlays, RunOverlays, "<paths...>", "asks both overlay identifiers about each path")            \
    X(columns, RunColumns, "<folder>", "the column definitions and every item's column values")      \
    X(menu, RunMenu, "[--shift] [--default-only] [--background] <paths...>",                       \
      "prints the CVS submenu for the selection (or a folder's background)")                           \
    X(help, RunHelp, "[--unicode] <item>", "prints the status-bar help text of a menu item")           \
    X(invoke, RunInvoke, "[options] [--modern] <item> <paths...>",                                   \
      "runs a menu item (--modern: Windows 11's subcommand), prints the console text")                 \
    X(commands, RunCommands, "[--background] <paths...>",                                           \
      "walks Windows 11's command tree for the selection (or a folder's background)")                  \
    X(props, RunProps, "[--page <n>] [--tree] [--for <ms>] [--shot <file.bmp>] <paths...>",          \
      "opens the Properties dialog of the items and prints what the chosen page shows")               \
    X(band, RunBand, "[--for <ms>] [texts...]", "sites the console bar in a window as Explorer does")  \
    X(run, RunTemplate, "<template> <paths...>", "runs a template on a selection, prints the console") \
    X(options, RunOptions, "[--lang <id>] [--page <n>] [--for <ms>]", "opens the settings frame as Options... does") \
    X(folderview, RunFolderView, "[--lang <id>] [--for <ms>] <folder>",                            \
      "a details view of the folder with shell icons, the module's overlays and columns")            \
    X(create, RunCreate, "", "creates every class by its ProgIDs through COM, prints the DLL loaded") \
    X(pagehelp, RunPageHelp, "[--dir <folder>] [--wait <ms>]", "presses the Options page's Help, prints the help window")

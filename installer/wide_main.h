// The entry of the build's Windows tools (rowgen, msixpack): their arguments as the wide strings Wine
// hands over, so Z: paths with any character reach them whole.
#pragma once

#include <windows.h>
#include <shellapi.h>

// Runs `run` with the process's wide arguments; 1 when they cannot be had.
inline int RunWithWideArguments(int (*run)(int argc, wchar_t** argv)) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv) return 1;
    const int code = run(argc, argv);
    ::LocalFree(argv);
    return code;
}

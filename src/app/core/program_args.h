// The command line of Ferrow.exe, platform-free: "/name:value" and "/flag" arguments, as the program's
// callers write them (the shell handlers, Active Setup, a user by hand):
//   Ferrow.exe /command:update /pathfile:<file> /deletepathfile /hwnd:<invoking window>
// Names are ASCII and compared without case; a value runs to the end of its argument (the caller splits
// the line into arguments, quotes already removed).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace app {

struct ProgramArgs {
    std::wstring command;            // "/command:" (lower case), empty when absent
    std::wstring pathFile;           // "/pathfile:", the selection's file (ops/path_file.h)
    bool deletePathFile = false;     // "/deletepathfile": the program removes the file once read
    std::uintptr_t hwnd = 0;         // "/hwnd:", the invoking window as a decimal or 0x number; 0 when absent
    std::map<std::wstring, std::wstring> options;  // every other "/name:value" or "/flag" (value empty), names lower case
    std::vector<std::wstring> positional;          // arguments that do not begin with "/"
};

// Reads the arguments after the program's own name. A malformed "/hwnd:" value is taken as 0 (no owner).
ProgramArgs ParseProgramArgs(const std::vector<std::wstring>& args);

}  // namespace app

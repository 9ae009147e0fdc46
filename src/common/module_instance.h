// The module whose resources the code loads: the DLL when it is loaded as one, otherwise the program that
// links the code directly (the Windows tests link the resources into themselves).
#pragma once

#include <windows.h>

#include <string>

namespace ferrow {

HINSTANCE ModuleInstance() noexcept;
void SetModuleInstance(HINSTANCE instance) noexcept;

// The module's full path in the ANSI code page; empty on failure.
std::string ModulePath();

// A string of the module's string table in the calling thread's resource language, converted to the
// thread's ANSI code page; empty when the string does not exist.
std::string LoadResString(UINT id);
std::wstring LoadResStringW(UINT id);

}  // namespace ferrow

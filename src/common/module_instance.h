// The module whose resources the code loads: the DLL when it is loaded as one, otherwise the program that
// links the code directly (the Windows tests link the resources into themselves).
#pragma once

#include <windows.h>

#include <string>

namespace ferrow {

HINSTANCE ModuleInstance() noexcept;
void SetModuleInstance(HINSTANCE instance) noexcept;

// The full path of a module (null: the program's file): S_OK; the error of GetModuleFileName; or
// ERROR_INSUFFICIENT_BUFFER beyond MAX_PATH characters (a cut path would name another file).
HRESULT ModuleFileName(HMODULE module, std::wstring& path) noexcept;
// The same in the ANSI code page; empty on failure, or when the path does not fit 259 characters or has
// a character the code page lacks.
std::string ModulePath(HMODULE module);

// A string of the module's string table in the calling thread's resource language, converted to the
// thread's ANSI code page; empty when the string does not exist.
std::string LoadResString(UINT id);
std::wstring LoadResStringW(UINT id);

}  // namespace ferrow

// DllRegisterServer and DllUnregisterServer: the module script, the classes of the object map, their
// component categories and the type library.
#pragma once

#include <windows.h>

namespace ferrow {

HRESULT RegisterServer() noexcept;
HRESULT UnregisterServer() noexcept;

}  // namespace ferrow

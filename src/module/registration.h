// DllRegisterServer and DllUnregisterServer: the module script, the classes of the object map, their
// component categories and the type library.
#pragma once

#include <windows.h>

namespace ferrow {

struct ObjectEntry;

HRESULT RegisterServer() noexcept;
HRESULT UnregisterServer() noexcept;

// Registers (or removes) the implemented component categories of one class through the system's
// component-categories manager. Removing does nothing once the class key is gone.
HRESULT UpdateClassCategories(const ObjectEntry& entry, bool registering) noexcept;

}  // namespace ferrow

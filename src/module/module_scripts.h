// What DllRegisterServer writes through registration scripts: the module script (resource IDR_FERROW) and
// one class script per entry of the object map, each with its replacements. Registration, unregistration
// and the installer's registry rows (installer/rowgen.cpp) all take the scripts from here, so they agree.
#pragma once

#include "com/core/replacements.h"

#include <windows.h>

#include <string>

namespace ferrow {

struct ObjectEntry;

// The script of one class: its ProgID keys and its CLSID key.
const wchar_t* ClassRegistryScript() noexcept;

// The text of the module script.
HRESULT LoadModuleRegistryScript(std::wstring& text) noexcept;

// The replacements every script uses, with modulePath as "%Module%" (the DLL's full path, or for the
// installer the reference that stands for it).
HRESULT AddModuleReplacements(const std::wstring& modulePath, RegistryReplacements& replacements);

// Adds the replacements of one class. The friendly name of a class that takes it from the string table is
// loaded only when registering (in the calling thread's language); unregistering needs no name.
HRESULT AddClassReplacements(const ObjectEntry& entry, bool registering, RegistryReplacements& replacements);

// A GUID as "{...}".
std::wstring GuidString(REFGUID guid);

}  // namespace ferrow

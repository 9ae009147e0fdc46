// Carries out a parsed registration script in the registry.
//
// Registering: keys are created (ForceRemove keys deleted with their contents first), default values and
// named values written, in script order. Unregistering removes what registering created: NoRemove keys
// stay (their contents are visited), named values are deleted, every other key is deleted with its
// contents (unless keep, given the root and the key's path, says it stays). Delete keys (names of older
// versions) are deleted with their contents by both; one given a default value only while its default
// value is that text, case ignored. What is already gone is no failure. Both stop at the first failure
// and return it.
#pragma once

#include "com/core/registry_script.h"

#include <windows.h>

#include <string>

namespace ferrow {

using KeepKeyFn = bool (*)(HKEY root, const std::wstring& path);

HRESULT ApplyRegistryScript(const RegistryScript& script, bool registering, KeepKeyFn keep = nullptr) noexcept;

// Parses and applies; a malformed script is E_INVALIDARG, with nothing written.
HRESULT RunRegistryScript(const std::wstring& text, const RegistryReplacements& replacements, bool registering,
                          KeepKeyFn keep = nullptr) noexcept;

// The text of a script resource of type "REGISTRY" in the module: UTF-8 (with or without a byte-order
// mark) or UTF-16 with its byte-order mark.
HRESULT LoadRegistryScriptResource(UINT id, std::wstring& text) noexcept;

}  // namespace ferrow

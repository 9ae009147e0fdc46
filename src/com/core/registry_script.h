// The registry-script language of COM registration scripts, parsed into a tree (no registry access here):
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove '%CLSID%' = s 'Friendly name'
//           {
//               InprocServer32 = s '%Module%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// Roots: HKCR, HKCU, HKLM, HKU, HKCC and their HKEY_... long forms. A key is a bare word or a quoted
// name, with an optional flag (NoRemove: never removed; ForceRemove: replaced at registration; Delete:
// removed at registration and unregistration, with a default value only while it holds that value), an
// optional default value and an optional block. "val" names a value of the
// enclosing key. Data: s 'text', d 'number' (decimal or 0x hex, 32 bits), b 'hex bytes'. In a quoted text
// '' stands for one quote. %NAME% anywhere in a name or text is replaced (names compared without regard
// to ASCII case); %% stands for one percent sign; an unknown name is an error.
//
// Anything malformed is reported as an error with its line number; the parser never reads outside the
// text and limits nesting, so any input is safe.
#pragma once

#include "com/core/replacements.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ferrow {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

enum class RegistryFlag { None, NoRemove, ForceRemove, Delete };

struct RegistryData {
    enum class Type { String, Dword, Binary };
    Type type = Type::String;
    std::wstring text;           // String
    uint32_t number = 0;         // Dword
    std::vector<uint8_t> bytes;  // Binary
};

struct RegistryNode {
    bool isValue = false;  // a named value ("val"); otherwise a key
    std::wstring name;
    RegistryFlag flag = RegistryFlag::None;  // keys only
    bool hasData = false;                    // a key's default value, or the value's data
    RegistryData data;
    std::vector<RegistryNode> children;  // keys only, in script order
};

struct RegistryRootBlock {
    RegistryRoot root = RegistryRoot::ClassesRoot;
    std::vector<RegistryNode> children;
};

struct RegistryScript {
    std::vector<RegistryRootBlock> roots;
};

// The deepest nesting of keys the parser accepts.
constexpr int kMaxRegistryDepth = 32;

// Parses text into script. On failure returns false, leaves script empty and describes the problem in
// error ("line 3: ..."). Never throws except std::bad_alloc.
bool ParseRegistryScript(const std::wstring& text, const RegistryReplacements& replacements,
                         RegistryScript& script, std::wstring& error);

}  // namespace ferrow

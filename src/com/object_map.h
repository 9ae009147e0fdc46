// The entry type of the table of the classes the module serves. The table itself is the module's
// (module/object_map.cpp, one line per class); the class objects, registration and unregistration walk it.
#pragma once

#include <windows.h>
#include <comcat.h>

#include <cstddef>

namespace ferrow {

// Creates one object of a class, aggregated when outer is not null (then riid must be IID_IUnknown).
// Clears *ppv first; returns E_POINTER for a null ppv.
using CreatorFn = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

// Told once when the module starts (true) and once when it ends (false). May be null.
using ModuleEventFn = void (*)(bool starting);

constexpr size_t kMaxCategories = 4;

struct ObjectEntry {
    const CLSID* clsid;                   // null only in the end marker
    const wchar_t* progId;                // "Ferrow.X.1"
    const wchar_t* versionIndependentProgId;  // "Ferrow.X"
    const wchar_t* friendlyName;          // registry default value; used when friendlyNameId is 0
    UINT friendlyNameId;                  // string-table id read while registering, or 0
    const wchar_t* typeLibDescription;    // the coclass's help string in the type library
    CreatorFn create;
    const CATID* categories[kMaxCategories];  // implemented component categories, null-terminated
    ModuleEventFn moduleEvent;
    // A second CLSID of the same class that only a package's manifest names: served by the class object,
    // never registered. Null for most classes.
    const CLSID* packagedClsid = nullptr;
};

// The classes in their fixed order, without the end marker.
const ObjectEntry* ObjectMapBegin() noexcept;
size_t ObjectMapSize() noexcept;

// The entry of a class, or null when the module does not serve it.
const ObjectEntry* FindObjectEntry(REFCLSID clsid) noexcept;

}  // namespace ferrow

// A selection as the shell hands it to a handler: an IDataObject offering CF_HDROP (DROPFILES) for a list
// of paths, in wide characters as Explorer sends them, or ANSI. Used by the shell host, the tests and the
// benchmark to drive the handlers exactly as Explorer does; the DLL itself only receives such objects.
#pragma once

#include "common/handles.h"

#include <objidl.h>

#include <string>
#include <vector>

namespace ferrow {

ComPtr<IDataObject> MakeHDropDataObject(const std::vector<std::string>& paths, bool wide = true);
// Wide paths as they are, also names that the ANSI code page cannot hold.
ComPtr<IDataObject> MakeHDropDataObject(const std::vector<std::wstring>& widePaths);

}  // namespace ferrow

// The one reader of the shell's selection (CF_HDROP) for every handler that takes one.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <shtypes.h>

#include <string>
#include <vector>

namespace ferrow {

// The selected paths in the shell's order, read as wide names and kept only when their ANSI form names
// the same item (see WideToAnsiPath): a name that does not fit, or that has a character the code page
// lacks, is left out, so no command ever acts on another item than the one chosen. E_INVALIDARG when
// the data object has no CF_HDROP or names nothing; E_OUTOFMEMORY when the list cannot grow. The list
// may be empty on S_OK (every name left out).
HRESULT ReadDroppedPaths(IDataObject* data, std::vector<std::string>& paths) noexcept;

// The folder a click on a folder's empty background names (the handler gets it as `pidlFolder`, with no
// data object), as the one path of the selection, under the same rules. E_INVALIDARG for no folder or one
// without a file-system path (a virtual folder); S_OK with an empty list when its name is left out.
HRESULT ReadFolderPath(PCIDLIST_ABSOLUTE folder, std::vector<std::string>& paths) noexcept;

}  // namespace ferrow

// Points one import of a loaded module at another function, for the programs that watch what Ferrow.dll
// does (the benchmark counts its file reads, the robustness tests check its share modes and closes). The
// DLL itself never calls this; the linker leaves it out of the DLL.
#pragma once

#include <windows.h>

namespace ferrow {

// Replaces the module's import of `function` from `dll` (compared without regard to case) and returns the
// address it held before, or null when the module does not import it by name.
void* ReplaceImport(HMODULE module, const char* dll, const char* function, void* replacement);

}  // namespace ferrow

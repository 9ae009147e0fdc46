// The PowerShell scripts that register and remove the Windows 11 menu's package, platform-free. Paths go
// into single-quoted literals (nothing in them is expanded) and the script is handed over encoded, so that
// no path can end a quote of the command line or of the script.
#pragma once

#include <string>

namespace app {

// The package's name in its manifest (installer/AppxManifest.xml).
constexpr wchar_t kMenuPackageName[] = L"Pembrake.Ferrow";

// `text` as a PowerShell single-quoted literal: each character PowerShell reads as a single quote (the
// apostrophe and the typographic single quotes) doubled.
std::wstring PowerShellLiteral(const std::wstring& text);

// Registers `package` for the user who runs it, with `folder` as its external location, after removing
// this user's registration of any version (re-adding the same version fails otherwise). Stops at the
// first error, which leaves PowerShell with a non-zero exit code.
std::wstring RegisterMenuScript(const std::wstring& package, const std::wstring& folder);

// Removes the package for the user who runs it, or for every user of the machine (an administrator's
// run, as the uninstaller's); then resets the permissions of `folder`, to which registration added the
// package's identities, to the ones it inherits.
std::wstring UnregisterMenuScript(bool allUsers, const std::wstring& folder);

// The argument of PowerShell's -EncodedCommand: the script's UTF-16LE bytes in base64.
std::wstring EncodedCommand(const std::wstring& script);

}  // namespace app

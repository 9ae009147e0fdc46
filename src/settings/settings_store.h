// The extension's settings under HKEY_CURRENT_USER\Software\Pembrake\Ferrow. No cache and no settings
// object: each read opens the subkey, reads, and closes it, so a change takes effect at the next use.
#pragma once

#include <windows.h>

#include <string>

namespace settings {

constexpr const char kRootKey[] = "Software\\Pembrake\\Ferrow";
constexpr const char kOptionsKey[] = "Software\\Pembrake\\Ferrow\\Options";
constexpr const char kToolsKey[] = "Software\\Pembrake\\Ferrow\\Tools";
constexpr const char kMRUKey[] = "Software\\Pembrake\\Ferrow\\MRU";
constexpr const char kColumnsKey[] = "Software\\Pembrake\\Ferrow\\Columns";

// Reads a string value of at most 259 characters (260 bytes with its NUL) of type REG_SZ or
// REG_EXPAND_SZ (not expanded). False, and `value` untouched, for a missing key or value, another type,
// data without a terminating NUL, or an oversized value: the caller applies its default.
bool ReadString(const char* subkey, const char* name, std::string& value);

// Reads four bytes into `value`; on failure `value` keeps its default.
void ReadDword(const char* subkey, const char* name, DWORD& value);

// Creates the subkey if needed and writes the value (REG_SZ with its NUL, or REG_DWORD). Failures are
// silent to the user; the result says whether the write happened.
bool WriteString(const char* subkey, const char* name, const std::string& value);
bool WriteDword(const char* subkey, const char* name, DWORD value);

// "TimestampCompatibility" is exactly "CVSNT" (case-sensitive); anything else means the CVS rule.
bool UseCVSNTTimestamps();

}  // namespace settings

// Conversions between the shell's wide strings and the narrow strings of the thread's ANSI code page,
// in which the extension keeps paths and texts.
#pragma once

#include <string>

namespace ferrow {

std::string WideToAnsi(const std::wstring& text);
std::string WideToAnsi(const wchar_t* text);
std::wstring AnsiToWide(const std::string& text);

// The narrow form of a path the shell hands over, only when it names the same item: false when a
// character has no equivalent in the ANSI code page (the narrow form would hold '?' or a look-alike and
// name another item, or none) or when it does not fit a MAX_PATH buffer (a cut path names another item).
bool WideToAnsiPath(const wchar_t* path, std::string& out);

// The longest path the extension handles: 259 characters plus the terminator.
constexpr size_t kMaxPath = 260;

// A path as the extension works with it: cut to at most kMaxPath - 1 characters.
std::string CopyPath(const char* path);
inline std::string CopyPath(const std::string& path) { return CopyPath(path.c_str()); }

}  // namespace ferrow

#include "common/text.h"

#include <windows.h>

#include <cstring>

namespace ferrow {

std::string WideToAnsi(const wchar_t* text) {
    if (!text || !*text) return std::string();
    int n = ::WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::string WideToAnsi(const std::wstring& text) { return WideToAnsi(text.c_str()); }

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 1) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.c_str(), -1, &out[0], n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::string CopyPath(const char* path) {
    if (!path) return std::string();
    // Cut at a whole character: a lead byte of the ANSI code page must not be left without its trail byte.
    size_t len = ::strnlen(path, kMaxPath);
    if (len < kMaxPath) return std::string(path, len);
    size_t keep = 0;
    while (keep < kMaxPath - 1) {
        size_t step = ::IsDBCSLeadByte(static_cast<BYTE>(path[keep])) ? 2 : 1;
        if (keep + step > kMaxPath - 1) break;
        keep += step;
    }
    return std::string(path, keep);
}

}  // namespace ferrow

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

bool WideToAnsiPath(const wchar_t* path, std::string& out) {
    out.clear();
    if (!path || !*path) return false;
    const UINT codePage = CP_THREAD_ACP;
    char acp[8] = {};
    const bool utf8 = ::GetLocaleInfoA(::GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, acp, sizeof acp) > 0 &&
                      std::strcmp(acp, "65001") == 0;
    // UTF-8 holds every character; other code pages report a character they lack.
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    const int n = ::WideCharToMultiByte(codePage, flags, path, -1, nullptr, 0, nullptr, utf8 ? nullptr : &lossy);
    if (n <= 1 || lossy || static_cast<size_t>(n) > kMaxPath) return false;
    std::string text(static_cast<size_t>(n), '\0');
    if (::WideCharToMultiByte(codePage, flags, path, -1, &text[0], n, nullptr, utf8 ? nullptr : &lossy) != n || lossy)
        return false;
    text.resize(static_cast<size_t>(n - 1));
    out.swap(text);
    return true;
}

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

#include "setup/core/action_log.h"

namespace setup {

std::wstring ProgramOfCommandLine(const std::wstring& line) {
    if (!line.empty() && line[0] == L'"') {
        const std::wstring::size_type close = line.find(L'"', 1);
        if (close == std::wstring::npos) return std::wstring();
        return line.substr(1, close - 1);
    }
    return line.substr(0, line.find_first_of(L" \t"));
}

std::wstring EscapeFormatted(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (const wchar_t c : text) {
        if (c == L'[' || c == L']' || c == L'{' || c == L'}') {
            escaped += L"[\\";
            escaped += c;
            escaped += L']';
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace setup

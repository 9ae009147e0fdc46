#include "app/core/program_args.h"

#include <cwctype>

namespace app {

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

// A window handle as the handlers write it: decimal, or hexadecimal after "0x". 0 for anything else.
std::uintptr_t ParseHandle(const std::wstring& text) {
    std::uintptr_t value = 0;
    size_t i = 0;
    unsigned base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        i = 2;
    }
    if (i >= text.size()) return 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        unsigned digit;
        if (c >= L'0' && c <= L'9') {
            digit = static_cast<unsigned>(c - L'0');
        } else if (base == 16 && c >= L'a' && c <= L'f') {
            digit = static_cast<unsigned>(c - L'a' + 10);
        } else if (base == 16 && c >= L'A' && c <= L'F') {
            digit = static_cast<unsigned>(c - L'A' + 10);
        } else {
            return 0;
        }
        if (digit >= base) return 0;
        const std::uintptr_t next = value * base + digit;
        if (next / base != value) return 0;  // overflow
        value = next;
    }
    return value;
}

}  // namespace

ProgramArgs ParseProgramArgs(const std::vector<std::wstring>& args) {
    ProgramArgs result;
    for (const std::wstring& arg : args) {
        if (arg.size() < 2 || arg[0] != L'/') {
            result.positional.push_back(arg);
            continue;
        }
        const size_t colon = arg.find(L':');
        const std::wstring name = Lower(arg.substr(1, colon == std::wstring::npos ? std::wstring::npos : colon - 1));
        const std::wstring value = colon == std::wstring::npos ? std::wstring() : arg.substr(colon + 1);
        if (name == L"command") {
            result.command = Lower(value);
        } else if (name == L"pathfile") {
            result.pathFile = value;
        } else if (name == L"deletepathfile") {
            result.deletePathFile = true;
        } else if (name == L"hwnd") {
            result.hwnd = ParseHandle(value);
        } else {
            result.options[name] = value;
        }
    }
    return result;
}

}  // namespace app

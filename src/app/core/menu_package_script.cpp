#include "app/core/menu_package_script.h"

namespace app {

std::wstring PowerShellLiteral(const std::wstring& text) {
    std::wstring literal = L"'";
    for (wchar_t c : text) {
        literal += c;
        if (c == L'\'' || c == 0x2018 || c == 0x2019 || c == 0x201A || c == 0x201B) literal += c;
    }
    literal += L'\'';
    return literal;
}

std::wstring RegisterMenuScript(const std::wstring& package, const std::wstring& folder) {
    const std::wstring name = PowerShellLiteral(kMenuPackageName);
    return L"$ErrorActionPreference = 'Stop'\r\n"
           L"Get-AppxPackage -Name " + name + L" | Remove-AppxPackage\r\n"
           L"Add-AppxPackage -Path " + PowerShellLiteral(package) + L" -ExternalLocation " +
           PowerShellLiteral(folder) + L"\r\n";
}

std::wstring UnregisterMenuScript(bool allUsers, const std::wstring& folder) {
    const std::wstring scope = allUsers ? L" -AllUsers" : L"";
    return L"$ErrorActionPreference = 'Stop'\r\n"
           L"Get-AppxPackage" + scope + L" -Name " + PowerShellLiteral(kMenuPackageName) + L" | Remove-AppxPackage" +
           scope + L"\r\n" + (allUsers ? L"icacls " + PowerShellLiteral(folder) + L" /reset /t /c /q\r\n" : L"");
}

std::wstring EncodedCommand(const std::wstring& script) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    for (wchar_t c : script) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    std::wstring out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
        unsigned v = 0;
        for (size_t k = 0; k < 3; ++k) v = (v << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (size_t k = 0; k < 4; ++k) out += k <= n ? static_cast<wchar_t>(kDigits[(v >> (18 - 6 * k)) & 63]) : L'=';
    }
    return out;
}

}  // namespace app

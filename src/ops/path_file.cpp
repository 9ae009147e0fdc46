#include "ops/path_file.h"

#include "common/handles.h"
#include "common/text.h"

namespace ops {

HRESULT WritePathFile(const std::vector<std::string>& paths, std::wstring& file) {
    file.clear();
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH, folder);
    wchar_t name[MAX_PATH] = {};
    if (length == 0 || length >= MAX_PATH) return E_FAIL;
    if (!::GetTempFileNameW(folder, L"fsl", 0, name)) return HRESULT_FROM_WIN32(::GetLastError());

    std::wstring text(1, static_cast<wchar_t>(0xFEFF));
    for (const std::string& path : paths) {
        text += ferrow::AnsiToWide(path);
        text += L"\r\n";
    }
    ferrow::UniqueFile handle(::CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                            FILE_ATTRIBUTE_TEMPORARY, nullptr));
    const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD wrote = 0;
    if (!handle || !::WriteFile(handle.Get(), text.data(), size, &wrote, nullptr) || wrote != size) {
        const HRESULT hr = HRESULT_FROM_WIN32(::GetLastError());
        handle.Reset();
        ::DeleteFileW(name);
        return FAILED(hr) ? hr : E_FAIL;
    }
    file = name;
    return S_OK;
}

HRESULT ReadPathFile(const std::wstring& file, std::vector<std::string>& paths) {
    paths.clear();
    ferrow::UniqueFile handle(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return HRESULT_FROM_WIN32(::GetLastError());
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(handle.Get(), &size)) return HRESULT_FROM_WIN32(::GetLastError());
    if (size.QuadPart > 64 * 1024 * 1024) return E_OUTOFMEMORY;  // far beyond any selection
    std::wstring text(static_cast<size_t>(size.QuadPart) / sizeof(wchar_t), L'\0');
    DWORD read = 0;
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (bytes && (!::ReadFile(handle.Get(), &text[0], bytes, &read, nullptr) || read != bytes))
        return HRESULT_FROM_WIN32(::GetLastError());
    handle.Reset();

    size_t start = (!text.empty() && text[0] == 0xFEFF) ? 1 : 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty()) continue;
        std::string path;
        if (ferrow::WideToAnsiPath(line.c_str(), path)) paths.push_back(std::move(path));
    }
    return S_OK;
}

}  // namespace ops

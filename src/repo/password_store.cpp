#include "repo/password_store.h"

#include "common/handles.h"
#include "repo/core/password_file.h"

#include <vector>

namespace repo {

namespace {

bool Variable(const char* name, std::string& value) {
    char buffer[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    if (length == 0 || length >= sizeof(buffer)) return false;
    value.assign(buffer, length);
    return true;
}

std::string JoinFile(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder + ".cvspass";
}

}  // namespace

bool PasswordFilePath(std::string& path) {
    if (Variable("CVS_PASSFILE", path)) return true;
    std::string home;
    if (Variable("HOME", home)) {
        path = JoinFile(home);
        return true;
    }
    std::string drive, folder;
    if (Variable("HOMEDRIVE", drive) && Variable("HOMEPATH", folder)) {
        path = JoinFile(drive + folder);
        return true;
    }
    return false;
}

HRESULT ReadPasswordFile(const std::string& path, std::string& text) {
    text.clear();
    ferrow::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return S_FALSE;
        return HRESULT_FROM_WIN32(error);
    }
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size)) return HRESULT_FROM_WIN32(::GetLastError());
    if (size.QuadPart > 16 * 1024 * 1024) return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    text.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!text.empty() && !::ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr))
        return HRESULT_FROM_WIN32(::GetLastError());
    text.resize(read);
    return S_OK;
}

HRESULT WritePasswordFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".ferrow-new";
    {
        ferrow::UniqueFile file(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return HRESULT_FROM_WIN32(::GetLastError());
        DWORD written = 0;
        if ((!text.empty() &&
             (!::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
              written != text.size())) ||
            !::FlushFileBuffers(file.Get())) {
            const HRESULT hr = HRESULT_FROM_WIN32(::GetLastError());
            file.Reset();
            ::DeleteFileA(temporary.c_str());
            return FAILED(hr) ? hr : E_FAIL;
        }
    }
    if (!::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const HRESULT hr = HRESULT_FROM_WIN32(::GetLastError());
        ::DeleteFileA(temporary.c_str());
        return hr;
    }
    return S_OK;
}

HRESULT StorePassword(const CvsRoot& root, const std::string& password, std::string& previous) {
    std::string path;
    if (!PasswordFilePath(path)) return HRESULT_FROM_WIN32(ERROR_ENVVAR_NOT_FOUND);
    HRESULT hr = ReadPasswordFile(path, previous);
    if (FAILED(hr)) return hr;
    std::string scrambled = Scramble(password);
    std::string text = SetPasswordLine(previous, root, scrambled, true);
    hr = WritePasswordFile(path, text);
    WipeText(scrambled);
    WipeText(text);
    return hr;
}

HRESULT RemovePassword(const CvsRoot& root, bool& removed) {
    removed = false;
    std::string path;
    if (!PasswordFilePath(path)) return HRESULT_FROM_WIN32(ERROR_ENVVAR_NOT_FOUND);
    std::string text;
    HRESULT hr = ReadPasswordFile(path, text);
    if (hr != S_OK) return hr;
    std::string kept = RemovePasswordLines(text, root, removed);
    if (removed) hr = WritePasswordFile(path, kept);
    WipeText(text);
    WipeText(kept);
    return hr;
}

bool HasPassword(const CvsRoot& root) {
    std::string path;
    if (!PasswordFilePath(path)) return false;
    std::string text;
    if (ReadPasswordFile(path, text) != S_OK) return false;
    std::string scrambled;
    const bool found = FindPassword(text, root, scrambled);
    WipeText(text);
    WipeText(scrambled);
    return found;
}

void WipeText(std::string& text) {
    if (!text.empty()) ::SecureZeroMemory(&text[0], text.size());
    text.clear();
}

}  // namespace repo

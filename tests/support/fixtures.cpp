#include "support/fixtures.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <atomic>
#include <stdexcept>

namespace testing_support {

std::string Join(const std::string& folder, const std::string& relative) {
    std::string out = folder;
    if (!out.empty() && out.back() != '\\' && out.back() != '/') out += '\\';
    for (char c : relative) out += (c == '/') ? '\\' : c;
    return out;
}

std::wstring WideOf(const std::string& ansi) {
    wchar_t out[32768] = {};
    ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, out, 32768);
    return out;
}

TempDir::TempDir(const char* prefix) {
    static std::atomic<unsigned> counter{0};
    char base[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, base);
    for (;;) {
        path_ = Join(base, std::string(prefix) + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
                               std::to_string(counter++));
        if (::CreateDirectoryA(path_.c_str(), nullptr)) break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + path_);
    }
}

TempDir::~TempDir() { DeleteTree(path_); }

std::string TempDir::operator/(const std::string& relative) const { return Join(path_, relative); }

static void MakeParents(const std::string& path) {
    for (size_t i = 3; i < path.size(); ++i) {
        if (path[i] == '\\') ::CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
}

void WriteTextFile(const std::string& path, const std::string& content) {
    MakeParents(path);
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(h);
}

std::string ReadTextFile(const std::string& path) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    std::string out;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got) out.append(buffer, got);
    ::CloseHandle(h);
    return out;
}

void SetLastWriteUnix(const std::string& path, int64_t unixSeconds) {
    uint64_t ticks = static_cast<uint64_t>(unixSeconds) * 10000000ULL + 116444736000000000ULL;
    FILETIME ft = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    HANDLE h = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    ::SetFileTime(h, nullptr, nullptr, &ft);
    ::CloseHandle(h);
}

void CopyTree(const std::string& from, const std::string& to) {
    ::CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(Join(from, "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CopyTree(Join(from, name), Join(to, name));
        } else {
            ::CopyFileA(Join(from, name).c_str(), Join(to, name).c_str(), FALSE);
        }
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
}

void DeleteTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(Join(path, "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = Join(path, name);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(child);
            } else {
                ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
}

std::string SampleFixture(const char* name) { return Join(FERROW_BIN_DIR "\\fixtures\\sample", name); }

void DeleteSettings() { ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Pembrake"); }

ScopedThreadLanguage::ScopedThreadLanguage(LANGID language)
    : previousUi_(::GetThreadUILanguage()), previousLocale_(::GetThreadLocale()) {
    ::SetThreadUILanguage(language);
    ::SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
}

ScopedThreadLanguage::~ScopedThreadLanguage() {
    ::SetThreadUILanguage(previousUi_);
    ::SetThreadLocale(previousLocale_);
}

bool UnderWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace testing_support

// Helpers of the command-running tests: scratch folders and working copies on disk, environment changes
// that undo themselves, and the recording stand-in for the cvs client (tools/cvsstub).
#pragma once

#include "support/settings_guard.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace exec_test {

// FERROW_BIN_DIR\tools\cvsstub.exe, with backslashes only.
inline std::string StubPath() {
    std::string path = std::string(FERROW_BIN_DIR) + "\\tools\\cvsstub.exe";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

inline void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
}

inline bool WriteTextFile(const std::string& path, const std::string& text) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD wrote = 0;
    BOOL ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
    ::CloseHandle(file);
    return ok && wrote == text.size();
}

inline std::string ReadTextFile(const std::string& path) {
    std::string text;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    ::CloseHandle(file);
    return text;
}

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    explicit TempFolder(const char* tag = "exec") {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "ferrow-" + tag + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(::GetTickCount()) + "-" + std::to_string(counter_++);
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() { RemoveTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    static inline int counter_ = 0;
    std::string path_;
};

// Makes `folder` a working folder whose CVS/Entries lists `files` and the sub-folders `dirs` (which are
// created, each a working folder of its own, empty). The files are created too.
inline void MakeWorkingFolder(const std::string& folder, const std::vector<std::string>& files,
                              const std::vector<std::string>& dirs = {}) {
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CreateDirectoryA((folder + "\\CVS").c_str(), nullptr);
    std::string entries;
    for (const std::string& f : files) {
        entries += "/" + f + "/1.1/Mon Mar  3 10:00:00 2008//\n";
        WriteTextFile(folder + "\\" + f, "text\n");
    }
    for (const std::string& d : dirs) {
        entries += "D/" + d + "////\n";
        MakeWorkingFolder(folder + "\\" + d, {});
    }
    if (dirs.empty()) entries += "D\n";
    WriteTextFile(folder + "\\CVS\\Entries", entries);
    WriteTextFile(folder + "\\CVS\\Root", ":pserver:anon@example.invalid:/cvs\n");
    WriteTextFile(folder + "\\CVS\\Repository", "module\n");
}

// Sets environment variables for the life of the object and restores the earlier values.
class EnvironmentGuard {
public:
    EnvironmentGuard() = default;
    ~EnvironmentGuard() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            ::SetEnvironmentVariableA(it->first.c_str(), it->second.first ? it->second.second.c_str() : nullptr);
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

    // A null value removes the variable.
    void Set(const char* name, const char* value) {
        char buffer[32768];
        DWORD n = ::GetEnvironmentVariableA(name, buffer, sizeof buffer);
        saved_.push_back({name, {n > 0 || ::GetLastError() != ERROR_ENVVAR_NOT_FOUND, std::string(buffer, n)}});
        ::SetEnvironmentVariableA(name, value);
    }
    void Set(const char* name, const std::string& value) { Set(name, value.c_str()); }

private:
    std::vector<std::pair<std::string, std::pair<bool, std::string>>> saved_;
};

// One call of the stand-in as its log records it.
struct StubCall {
    std::string folder;
    std::string arguments;
};

inline std::vector<StubCall> ReadStubLog(const std::string& log) {
    std::vector<StubCall> calls;
    std::string text = ReadTextFile(log);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        size_t tab = line.find('\t');
        if (tab != std::string::npos) calls.push_back({line.substr(0, tab), line.substr(tab + 1)});
        pos = end + 2;
    }
    return calls;
}

// The stand-in configured as the client ("Cvs" tool value) with a log in `scratch`, settings and
// environment restored at the end.
class StubClient {
public:
    explicit StubClient(const TempFolder& scratch) : log_(scratch / "stub.log"), argv_(scratch / "stub.argv") {
        env_.Set("CVSSTUB_LOG", log_);
        env_.Set("CVSSTUB_ARGV", argv_);
        for (const char* name : {"CVSSTUB_STDOUT", "CVSSTUB_STDERR", "CVSSTUB_STDOUT_BYTES", "CVSSTUB_EXIT",
                                 "CVSSTUB_SLEEP_MS", "CVSSTUB_WAIT", "CVSSTUB_CONTROL"})
            env_.Set(name, nullptr);
        testing_support::SetRawValue("Software\\Pembrake\\Ferrow\\Tools", "Cvs", REG_SZ, StubPath().c_str(),
                                     static_cast<DWORD>(StubPath().size() + 1));
    }
    EnvironmentGuard& Env() { return env_; }
    std::vector<StubCall> Calls() const { return ReadStubLog(log_); }
    // Per call, the arguments as the stand-in's runtime split them: "[-q][commit]<message file text>[a.c]".
    std::vector<std::string> SplitArguments() const {
        std::vector<std::string> calls;
        const std::string text = ReadTextFile(argv_);
        for (size_t pos = 0, end; pos < text.size(); pos = end + 2) {
            end = text.find("\r\n", pos);
            if (end == std::string::npos) end = text.size();
            calls.push_back(text.substr(pos, end - pos));
        }
        return calls;
    }
    const std::string& Log() const { return log_; }

private:
    testing_support::SettingsGuard settings_;
    EnvironmentGuard env_;
    std::string log_;
    std::string argv_;
};

}  // namespace exec_test

// The recording stand-in for the cvs client (tools/cvsstub, see the comment at the top of its main.cpp)
// set up as the configured client, and environment changes that undo themselves.
#pragma once

#include "support/fixtures.h"
#include "support/settings_guard.h"

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

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

// FERROW_BIN_DIR\tools\cvsstub.exe, with backslashes only.
inline std::string StubPath() {
    std::string path = std::string(FERROW_BIN_DIR) + "\\tools\\cvsstub.exe";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// A recorded output of the real client (tests/data/logs).
inline std::string LogFixture(const char* name) { return std::string(FERROW_TEST_DATA) + "\\logs\\" + name; }

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

// One call's line of SplitArguments as a list: each bracketed argument without its brackets, a message
// file's text with its angle brackets ("<fix it>").
inline std::vector<std::string> CallArguments(const std::string& split) {
    std::vector<std::string> arguments;
    for (size_t pos = 0; pos < split.size();) {
        const bool file = split[pos] == '<';
        const size_t end = split.find(file ? '>' : ']', pos);
        if ((!file && split[pos] != '[') || end == std::string::npos) break;
        arguments.push_back(file ? split.substr(pos, end - pos + 1) : split.substr(pos + 1, end - pos - 1));
        pos = end + 1;
    }
    return arguments;
}

// The stand-in configured as the client ("Cvs" tool value) with its log in a scratch folder (its own, or
// the caller's); settings and environment restored at the end.
class StubClient {
public:
    StubClient() : own_(std::make_unique<TempDir>("ferrow-stub")) { Start(*own_); }
    explicit StubClient(const TempDir& scratch) { Start(scratch); }
    StubClient(const StubClient&) = delete;
    StubClient& operator=(const StubClient&) = delete;

    EnvironmentGuard& Env() { return env_; }
    const std::string& Log() const { return log_; }
    std::vector<StubCall> Calls() const { return ReadStubLog(log_); }
    // The calls as "<folder> TAB <arguments>".
    std::vector<std::string> CallLines() const {
        std::vector<std::string> lines;
        for (const StubCall& call : Calls()) lines.push_back(call.folder + "\t" + call.arguments);
        return lines;
    }

    // The client prints this recorded output (escaped for the stub: \\ \n \r \t).
    void Serve(const char* fixture) {
        std::string escaped;
        for (char c : ReadTextFile(LogFixture(fixture))) {
            switch (c) {
            case '\\': escaped += "\\\\"; break;
            case '\n': escaped += "\\n"; break;
            case '\r': escaped += "\\r"; break;
            case '\t': escaped += "\\t"; break;
            default: escaped += c;
            }
        }
        env_.Set("CVSSTUB_STDOUT", escaped);
    }
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

    void Silence() { env_.Set("CVSSTUB_STDOUT", nullptr); }
    void Exit(int code) { env_.Set("CVSSTUB_EXIT", std::to_string(code)); }

private:
    void Start(const TempDir& scratch) {
        log_ = scratch / "stub.log";
        argv_ = scratch / "stub.argv";
        env_.Set("CVSSTUB_LOG", log_);
        env_.Set("CVSSTUB_ARGV", argv_);
        for (const char* name : {"CVSSTUB_STDOUT", "CVSSTUB_STDERR", "CVSSTUB_STDOUT_BYTES", "CVSSTUB_EXIT",
                                 "CVSSTUB_SLEEP_MS", "CVSSTUB_WAIT", "CVSSTUB_CONTROL"})
            env_.Set(name, nullptr);
        SetRawValue("Software\\Pembrake\\Ferrow\\Tools", "Cvs", REG_SZ, StubPath().c_str(),
                    static_cast<DWORD>(StubPath().size() + 1));
    }

    SettingsGuard settings_;
    std::unique_ptr<TempDir> own_;
    EnvironmentGuard env_;
    std::string log_;
    std::string argv_;
};

}  // namespace testing_support

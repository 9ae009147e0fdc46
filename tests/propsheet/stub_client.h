// The recording stand-in for the cvs client (tools/cvsstub) set up as the configured client, serving a
// recorded log output, and a scratch working folder for it to run in.
#pragma once

#include "settings/settings_store.h"
#include "support/fixtures.h"
#include "support/settings_guard.h"

#include <windows.h>

#include <string>
#include <vector>

namespace propsheet_test {

inline std::string LogFixture(const char* name) { return std::string(FERROW_TEST_DATA) + "\\logs\\" + name; }

// Makes the stub the client (a fresh settings tree) and removes its environment settings at the end.
class StubClient {
public:
    StubClient() : calls_("ferrow-stub") {
        settings::SetTool(settings::kToolCvs, std::string(FERROW_BIN_DIR) + "\\tools\\cvsstub.exe");
        ::SetEnvironmentVariableA("CVSSTUB_LOG", (calls_ / "calls.txt").c_str());
        ::SetEnvironmentVariableA("CVSSTUB_STDOUT", nullptr);
        ::SetEnvironmentVariableA("CVSSTUB_EXIT", nullptr);
    }
    ~StubClient() {
        for (const char* name : {"CVSSTUB_LOG", "CVSSTUB_STDOUT", "CVSSTUB_EXIT"}) {
            ::SetEnvironmentVariableA(name, nullptr);
        }
    }
    StubClient(const StubClient&) = delete;
    StubClient& operator=(const StubClient&) = delete;

    // The client prints this recorded output (escaped for the stub: \\ \n \r \t).
    void Serve(const char* fixture) {
        const std::string text = testing_support::ReadTextFile(LogFixture(fixture));
        std::string escaped;
        for (char c : text) {
            switch (c) {
            case '\\': escaped += "\\\\"; break;
            case '\n': escaped += "\\n"; break;
            case '\r': escaped += "\\r"; break;
            case '\t': escaped += "\\t"; break;
            default: escaped += c;
            }
        }
        ::SetEnvironmentVariableA("CVSSTUB_STDOUT", escaped.c_str());
    }
    void Silence() { ::SetEnvironmentVariableA("CVSSTUB_STDOUT", nullptr); }
    void Exit(int code) { ::SetEnvironmentVariableA("CVSSTUB_EXIT", std::to_string(code).c_str()); }

    // One "<folder> TAB <arguments>" per call of the client.
    std::vector<std::string> Calls() const {
        std::vector<std::string> calls;
        const std::string text = testing_support::ReadTextFile(calls_ / "calls.txt");
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find("\r\n", pos);
            if (end == std::string::npos) end = text.size();
            calls.push_back(text.substr(pos, end - pos));
            pos = end + 2;
        }
        return calls;
    }

private:
    testing_support::SettingsGuard settings_;
    testing_support::TempDir calls_;
};

// A working folder (CVS/Root, CVS/Repository, CVS/Entries) with the given Entries lines; each listed file
// exists.
inline void MakeWorkingFolder(const testing_support::TempDir& dir, const std::vector<std::string>& entries) {
    testing_support::WriteTextFile(dir / "CVS/Root", ":local:/repo\n");
    testing_support::WriteTextFile(dir / "CVS/Repository", "mod\n");
    std::string text;
    for (const std::string& line : entries) {
        text += line + "\n";
        if (line.size() > 1 && line[0] == '/') {
            testing_support::WriteTextFile(dir / line.substr(1, line.find('/', 1) - 1), "x\n");
        }
    }
    testing_support::WriteTextFile(dir / "CVS/Entries", text);
}

}  // namespace propsheet_test

// Helpers of the command-running tests: scratch folders and working copies on disk, environment changes
// that undo themselves, and the recording stand-in for the cvs client (support/stub_client.h).
#pragma once

#include "exec/capture_output.h"
#include "exec/process_runner.h"
#include "support/fixtures.h"
#include "support/stub_client.h"

#include <windows.h>

#include <string>
#include <vector>

namespace exec_test {

using testing_support::EnvironmentGuard;
using testing_support::ReadStubLog;
using testing_support::ReadTextFile;
using testing_support::StubCall;
using testing_support::StubClient;
using testing_support::StubPath;
using testing_support::WriteTextFile;
// A fresh folder under the temporary folder, removed with everything in it at the end.
using TempFolder = testing_support::TempDir;

// A frame that gives its runs' standard output (and standard error, when given) to captures of the test
// and hears their command lines; never cancels.
class CaptureFrame : public CRunFrame {
public:
    explicit CaptureFrame(CCaptureOutput* out, CCaptureOutput* err = nullptr) : out_(out), err_(err) {}
    std::vector<std::string> lines;

private:
    void OnCommandLine(const std::string& line) override { lines.push_back(line); }
    bool CancelRequested() override { return false; }
    HANDLE OutputEnd(DWORD stream) override {
        CCaptureOutput* capture = stream == STD_OUTPUT_HANDLE ? out_ : err_;
        return capture ? capture->WriteEnd() : nullptr;
    }
    CCaptureOutput* out_;
    CCaptureOutput* err_;
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

}  // namespace exec_test

// Helpers of the command-running tests: scratch folders and working copies on disk, environment changes
// that undo themselves, and the recording stand-in for the cvs client (support/stub_client.h).
#pragma once

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

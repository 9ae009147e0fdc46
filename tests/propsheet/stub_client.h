// The recording stand-in for the cvs client serving recorded log outputs (support/stub_client.h), and a
// scratch working folder for it to run in.
#pragma once

#include "settings/settings_store.h"
#include "support/fixtures.h"
#include "support/stub_client.h"

#include <string>
#include <vector>

namespace propsheet_test {

using testing_support::LogFixture;
using testing_support::StubClient;

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

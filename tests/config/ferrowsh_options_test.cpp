// The shell host's "options" command: the frame opens with the context menu's three pages, in the
// language asked for, and closes again by itself.
#include "support/shell_host.h"

#include <gtest/gtest.h>

#include <string>

namespace {

testing_support::ShellHostRun Options(const std::string& arguments) {
    return testing_support::RunShellHost("options " + arguments);
}

}  // namespace

TEST(FerrowshOptions, OpensTheFrameWithThreePages) {
    const struct {
        const char* arguments;
        const char* titles[3];
    } cases[] = {
        {"--for 200", {"page 0: Options", "page 1: Tools", "page 2: About"}},
        {"--lang 1031 --page 2 --for 200", {"page 0: Einstellungen", "page 1: Programme", "page 2: Info"}},
    };
    for (const auto& c : cases) {
        testing_support::ShellHostRun run = Options(c.arguments);
        EXPECT_EQ(0u, run.exitCode) << run.out;
        for (const char* title : c.titles) EXPECT_NE(std::string::npos, run.out.find(title)) << run.out;
        EXPECT_NE(std::string::npos, run.out.find("help Ferrow.chm")) << run.out;
    }
}

TEST(FerrowshOptions, WrongArgumentsGiveUsageError) {
    for (const char* arguments : {"--page", "--for soon", "--colour 3"}) {
        testing_support::ShellHostRun run = Options(arguments);
        EXPECT_EQ(2u, run.exitCode) << arguments;
        EXPECT_NE(std::string::npos, run.out.find("ferrowsh: options takes")) << run.out;
    }
}

// The shell host's "options" command: the frame opens with the context menu's three pages, in the
// language asked for, and closes again by itself.
#include "common/handles.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct HostRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
};

HostRun Options(const std::string& arguments) {
    testing_support::TempDir temp("ferrowshopt");
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    const std::string outPath = temp / "out";
    HostRun run;
    {
        ferrow::UniqueFile out(::CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = out.Get();
        si.hStdError = out.Get();
        si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        std::string command = "\"" FERROW_BIN_DIR "\\ferrowsh.exe\" --dll \"" FERROW_DLL "\" options " + arguments;
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return run;
        ferrow::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
        ::WaitForSingleObject(pi.hProcess, 60000);
        ::GetExitCodeProcess(pi.hProcess, &run.exitCode);
    }
    run.out = testing_support::ReadTextFile(outPath);
    return run;
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
        HostRun run = Options(c.arguments);
        EXPECT_EQ(0u, run.exitCode) << run.out;
        for (const char* title : c.titles) EXPECT_NE(std::string::npos, run.out.find(title)) << run.out;
        EXPECT_NE(std::string::npos, run.out.find("help Ferrow.chm")) << run.out;
    }
}

TEST(FerrowshOptions, WrongArgumentsGiveUsageError) {
    for (const char* arguments : {"--page", "--for soon", "--colour 3"}) {
        HostRun run = Options(arguments);
        EXPECT_EQ(2u, run.exitCode) << arguments;
        EXPECT_NE(std::string::npos, run.out.find("ferrowsh: options takes")) << run.out;
    }
}

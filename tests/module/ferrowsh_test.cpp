// The shell host as a user runs it: output lines and exit codes.
#include "common/handles.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct HostRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

std::string Drain(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
    return text;
}

// Runs ferrowsh.exe with the arguments; output of both streams is read to the end (files, so the child
// never blocks on a full pipe).
HostRun Ferrowsh(const std::string& arguments) {
    testing_support::TempDir temp("ferrowsh");
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    ferrow::UniqueFile out(::CreateFileA((temp / "out").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, &sa,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ferrow::UniqueFile err(::CreateFileA((temp / "err").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, &sa,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out.Get();
    si.hStdError = err.Get();
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    std::string command = "\"" FERROW_BIN_DIR "\\ferrowsh.exe\" " + arguments;
    PROCESS_INFORMATION pi = {};
    HostRun run;
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return run;
    ferrow::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(pi.hProcess, 60000);
    ::GetExitCodeProcess(pi.hProcess, &run.exitCode);
    ::SetFilePointer(out.Get(), 0, nullptr, FILE_BEGIN);
    ::SetFilePointer(err.Get(), 0, nullptr, FILE_BEGIN);
    run.out = Drain(out.Get());
    run.err = Drain(err.Get());
    return run;
}

std::string DllArg() { return "--dll \"" FERROW_DLL "\" "; }

TEST(Ferrowsh, OverlaysThroughTheDll) {
    const std::string wc = testing_support::SampleFixture("wc");
    HostRun run = Ferrowsh(DllArg() + "overlays \"" + wc + "\" \"" + wc + "\\modified.c\" \"" + wc + "\\unlisted.txt\"");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("\\wc: CVSControlled=no CVSModified=yes -> blue")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("modified.c: CVSControlled=yes CVSModified=yes -> red")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("unlisted.txt: CVSControlled=no CVSModified=no -> no mark")) << run.out;
    EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST(Ferrowsh, ProblemsGiveOneLineAndAnExitCode) {
    const std::string wc = testing_support::SampleFixture("wc");
    const struct {
        std::string arguments;
        DWORD exitCode;
        const char* message;
    } cases[] = {
        {"", 2, "no command given"},
        {"bogus", 2, "unknown command: bogus"},
        {"--frobnicate overlays x", 2, "unknown option: --frobnicate"},
        {"--dll", 2, "--dll needs a path"},
        {DllArg() + "overlays", 2, "overlays needs at least one path"},
        {DllArg() + "overlays Z:\\no\\such\\folder\\file.txt", 2, "no such file or folder: Z:\\no\\such\\folder\\file.txt"},
        {"--dll Z:\\no\\such.dll overlays \"" + wc + "\"", 2, "no such DLL: Z:\\no\\such.dll"},
        {"--dll \"" FERROW_TEST_DATA "\" register", 2, "cannot load"},
        {DllArg() + "register extra", 2, "unexpected argument: extra"},
    };
    for (const auto& c : cases) {
        HostRun run = Ferrowsh(c.arguments);
        EXPECT_EQ(c.exitCode, run.exitCode) << c.arguments;
        EXPECT_EQ(0u, run.err.find(std::string("ferrowsh: ") + c.message)) << c.arguments << " -> " << run.err;
        EXPECT_EQ(run.err.size() - 1, run.err.find('\n')) << "one line: " << run.err;
    }
}

}  // namespace

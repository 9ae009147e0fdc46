#include "support/shell_host.h"

#include "common/handles.h"
#include "support/fixtures.h"

namespace testing_support {

namespace {

ShellHostRun Run(const std::string& arguments, bool apart, const std::function<void()>& whileRunning,
                 DWORD timeoutMs) {
    TempDir temp("ferrowsh-run");
    const std::string outPath = temp / "out";
    const std::string errPath = temp / "err";
    ShellHostRun run;
    {
        SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
        ferrow::UniqueFile out(::CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        ferrow::UniqueFile err;
        if (apart)
            err.Reset(::CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = out.Get();
        si.hStdError = apart ? err.Get() : out.Get();
        si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        std::string command = "\"" FERROW_BIN_DIR "\\ferrowsh.exe\" " + arguments;
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return run;
        ferrow::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
        for (const DWORD start = ::GetTickCount(); ::WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT;) {
            if (whileRunning) whileRunning();
            if (::GetTickCount() - start > timeoutMs) ::TerminateProcess(pi.hProcess, 99);
        }
        ::GetExitCodeProcess(pi.hProcess, &run.exitCode);
    }
    run.out = ReadTextFile(outPath);
    if (apart) run.err = ReadTextFile(errPath);
    return run;
}

}  // namespace

ShellHostRun RunShellHost(const std::string& arguments, const std::function<void()>& whileRunning, DWORD timeoutMs) {
    return Run("--dll \"" FERROW_DLL "\" " + arguments, false, whileRunning, timeoutMs);
}

ShellHostRun RunShellHostApart(const std::string& arguments, DWORD timeoutMs) {
    return Run(arguments, true, nullptr, timeoutMs);
}

}  // namespace testing_support

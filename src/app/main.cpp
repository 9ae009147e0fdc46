// Ferrow.exe: the program that runs what the shell handlers hand over (see program_commands.h). A GUI
// program: no console, so no client it starts can wait on one that nobody sees.
#include "app/core/program_args.h"
#include "app/program_commands.h"
#include "common/exception_guard.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "ops/path_file.h"
#include "resources/resource.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> CommandLineArguments() {
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
    ::LocalFree(argv);
    return args;
}

int Run() {
    const std::vector<std::wstring> arguments = CommandLineArguments();
    const app::ProgramArgs args = app::ParseProgramArgs(arguments);
    app::ProgramContext context{args, {}, nullptr};
    context.invoker = reinterpret_cast<HWND>(args.hwnd);
    if (context.invoker && !::IsWindow(context.invoker)) context.invoker = nullptr;
    if (!args.pathFile.empty()) {
        const HRESULT read = ops::ReadPathFile(args.pathFile, context.paths);
        if (args.deletePathFile) ::DeleteFileW(args.pathFile.c_str());
        if (FAILED(read)) return 1;
    }
    // "/register-menu" stands for "/command:register-menu" (the short form of commands a person types).
    std::wstring command = args.command;
    for (auto it = args.options.begin(); command.empty() && it != args.options.end(); ++it) {
        if (it->second.empty() && app::FindProgramCommand(it->first)) command = it->first;
    }
    const app::ProgramCommandEntry* entry = app::FindProgramCommand(command.empty() ? L"about" : command);
    if (!entry) {
        const std::string text = ferrow::LoadResString(IDS_PROGRAM_UNKNOWN_COMMAND) + "\r\n" +
                                 ferrow::WideToAnsi(args.command);
        ::MessageBoxA(nullptr, text.c_str(), ferrow::LoadResString(IDS_PROJNAME).c_str(), MB_ICONERROR);
        return 2;
    }
    return entry->run(context);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ferrow::SetModuleInstance(instance);
    const HRESULT ole = ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    const int code = ferrow::GuardedAnswer(1, [] { return Run(); });
    if (SUCCEEDED(ole)) ::OleUninitialize();
    return code;
}

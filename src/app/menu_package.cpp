#include "app/menu_package.h"

#include "app/core/menu_package_script.h"
#include "common/handles.h"
#include "common/hidden_child.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "resources/resource.h"

#include <cwchar>
#include <string>

namespace app {
namespace {

// A value of HKLM in the 64-bit view (the installer's searches read that one too).
bool ReadMachineValue(const wchar_t* key, const wchar_t* name, DWORD type, void* data, DWORD size) {
    ferrow::UniqueKey opened;
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &raw) != ERROR_SUCCESS)
        return false;
    opened.Reset(raw);
    DWORD found = 0;
    return ::RegQueryValueExW(opened.Get(), name, nullptr, &found, static_cast<BYTE*>(data), &size) ==
               ERROR_SUCCESS &&
           found == type;
}

// Windows' build number; 0 when unknown.
unsigned long WindowsBuild() {
    wchar_t text[32] = {};
    if (!ReadMachineValue(L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"CurrentBuildNumber", REG_SZ, text,
                          sizeof(text) - sizeof(wchar_t)))
        return 0;
    return std::wcstoul(text, nullptr, 10);
}

// Windows' first-run setup is not finished: the account running now is setup's, not a user's.
bool SetupUnfinished() {
    for (const wchar_t* name : {L"SystemSetupInProgress", L"OOBEInProgress"}) {
        DWORD value = 0;
        if (ReadMachineValue(L"SYSTEM\\Setup", name, REG_DWORD, &value, sizeof(value)) && value != 0) return true;
    }
    return false;
}

// The menu's folder, the package's external location: "menu\" in the program's folder.
std::wstring MenuFolder() {
    std::wstring path;
    if (FAILED(ferrow::ModuleFileName(nullptr, path))) return std::wstring();
    path.resize(path.find_last_of(L'\\') + 1);
    return path + L"menu\\";
}

std::wstring PowerShellPath() {
    wchar_t path[MAX_PATH] = {};
    if (ReadMachineValue(L"SOFTWARE\\Microsoft\\PowerShell\\1\\ShellIds\\Microsoft.PowerShell", L"Path", REG_SZ, path,
                         sizeof(path) - sizeof(wchar_t)))
        return path;
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return std::wstring(system) + L"\\WindowsPowerShell\\v1.0\\powershell.exe";
}

// Runs the script hidden and waits for it; its standard output and error go to `output`. The exit code,
// or -1 when PowerShell could not be started.
long RunPowerShell(const std::wstring& script, std::string& output) {
    const std::wstring program = PowerShellPath();
    if (program.empty()) return -1;
    HANDLE readRaw = nullptr, writeRaw = nullptr;
    if (!::CreatePipe(&readRaw, &writeRaw, nullptr, 0)) return -1;
    ferrow::UniqueKernelHandle reader(readRaw), writer(writeRaw);
    const std::wstring line = L"\"" + program +
                              L"\" -NoProfile -NonInteractive -ExecutionPolicy Bypass -EncodedCommand " +
                              EncodedCommand(script);
    PROCESS_INFORMATION info = {};
    if (!ferrow::StartHiddenChild(program, line, writer.Get(), info)) return -1;
    ferrow::UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    writer.Reset();  // the child holds the only writing end: the reads end when it does
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(reader.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) output.append(buffer, got);
    ::WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.Get(), &code);
    return static_cast<long>(code);
}

// Tells of a failure: on standard error when there is one, in a message box unless /quiet.
int Fail(const ProgramContext& context, unsigned messageId, const std::string& detail) {
    const std::string text = ferrow::LoadResString(messageId) + (detail.empty() ? "" : "\r\n\r\n" + detail);
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD wrote = 0;
    if (error && error != INVALID_HANDLE_VALUE)
        ::WriteFile(error, (text + "\r\n").data(), static_cast<DWORD>(text.size() + 2), &wrote, nullptr);
    if (!context.args.options.count(L"quiet")) {
        ::MessageBoxA(context.invoker, text.c_str(), ferrow::LoadResString(IDS_PROJNAME).c_str(), MB_ICONERROR);
    }
    return 1;
}

int RunScript(const ProgramContext& context, const std::wstring& script, unsigned failedId) {
    std::string output;
    const long code = RunPowerShell(script, output);
    if (code < 0) return Fail(context, failedId, ferrow::LoadResString(IDS_MENU_PACKAGE_NO_POWERSHELL));
    if (code != 0) return Fail(context, failedId, output);
    return 0;
}

}  // namespace

int RunRegisterMenu(const ProgramContext& context) {
    // Windows 10 has no such menu; setup's own account goes away when setup ends.
    if (WindowsBuild() < 22000 || SetupUnfinished()) return 0;
    const std::wstring folder = MenuFolder();
    return RunScript(context, RegisterMenuScript(folder + L"Ferrow.msix", folder), IDS_MENU_PACKAGE_REGISTER_FAILED);
}

int RunUnregisterMenu(const ProgramContext& context) {
    if (WindowsBuild() < 22000) return 0;
    const bool allUsers = context.args.options.count(L"allusers") != 0;
    return RunScript(context, UnregisterMenuScript(allUsers, MenuFolder()), IDS_MENU_PACKAGE_UNREGISTER_FAILED);
}

}  // namespace app

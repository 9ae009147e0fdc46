// FerrowSetup.dll, the x64 installer's custom action (in the package's Binary table, never installed).
// RunLogged runs the command line the installer hands it in CustomActionData (Ferrow.exe /register-menu,
// /unregister-menu) and writes how it ended to the installer's log, with what the program wrote to its
// standard output and error: a program the installer starts itself has both thrown away. It never fails
// the installation (the classic menu works without the Windows 11 entry).
// Threading: the installer calls the entry on a thread of its custom-action server and waits for it;
// nothing is kept between calls.
#include "setup/core/action_log.h"

#include "common/exception_guard.h"
#include "common/handles.h"
#include "common/hidden_child.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "resources/resource.h"

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>

namespace {

struct MsiHandleTraits {
    using Type = MSIHANDLE;
    static Type Invalid() noexcept { return 0; }
    static void Close(Type h) noexcept { ::MsiCloseHandle(h); }
};
using UniqueMsiHandle = ferrow::UniqueHandle<MsiHandleTraits>;

// Registering a package takes seconds. Past this the program is stopped, so that the removal after it can
// delete the program's file (the PowerShell it started runs on by itself).
constexpr DWORD kWaitMinutes = 5;
// The most of the program's output the log takes.
constexpr DWORD kOutputLimit = 16 * 1024;

// The deferred action's one property: the command line its setter action gave it.
std::wstring CustomActionData(MSIHANDLE install) {
    wchar_t none[1] = L"";
    DWORD size = 0;
    if (::MsiGetPropertyW(install, L"CustomActionData", none, &size) != ERROR_MORE_DATA) return std::wstring();
    std::wstring value(size + 1, L'\0');
    size = static_cast<DWORD>(value.size());
    if (::MsiGetPropertyW(install, L"CustomActionData", &value[0], &size) != ERROR_SUCCESS) return std::wstring();
    value.resize(size);
    return value;
}

// One line of the log: the string `id` with the command line for %1 and `number` for %2.
std::wstring Message(UINT id, const std::wstring& line, unsigned long number) {
    const std::wstring pattern = ferrow::LoadResStringW(id);
    const std::wstring count = std::to_wstring(number);
    DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(line.c_str()), reinterpret_cast<DWORD_PTR>(count.c_str())};
    wchar_t text[2048] = {};
    if (pattern.empty() || !::FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                             pattern.c_str(), 0, 0, text, ARRAYSIZE(text),
                                             reinterpret_cast<va_list*>(inserts)))
        return line + L": " + count;
    return text;
}

// Writes `text` to the installer's log as it is (its brackets and braces escaped from the formatting).
void Log(MSIHANDLE install, const std::wstring& text) {
    UniqueMsiHandle record(::MsiCreateRecord(1));
    if (!record) return;
    const std::wstring escaped = setup::EscapeFormatted(text);
    if (::MsiRecordSetStringW(record.Get(), 0, escaped.c_str()) != ERROR_SUCCESS) return;
    ::MsiProcessMessage(install, INSTALLMESSAGE_INFO, record.Get());
}

// Where the program's standard output and error go: a new file in the temporary folder, deleted when its
// last handle closes. A file rather than a pipe: nothing has to read while the program runs, so only the
// program bounds the wait, even when something it started still holds the handle.
ferrow::UniqueFile NewOutputFile() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(ARRAYSIZE(folder), folder);
    if (length == 0 || length >= ARRAYSIZE(folder)) return ferrow::UniqueFile();
    const std::wstring stem =
        std::wstring(folder) + L"FerrowSetup-" + std::to_wstring(::GetCurrentProcessId()) + L"-";
    for (DWORD attempt = 0; attempt < 16; ++attempt) {
        const std::wstring name = stem + std::to_wstring(::GetTickCount() + attempt) + L".txt";
        // CREATE_NEW: never a file (or a link) someone else put there.
        ferrow::UniqueFile file(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                              nullptr));
        if (file || ::GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return ferrow::UniqueFile();
}

// What the program wrote, from the file's start (its writes moved the shared position), as a paragraph of
// its own; empty when it wrote nothing. Its text is in the ANSI code page, as Ferrow.exe writes it.
std::wstring WrittenOutput(const ferrow::UniqueFile& file) {
    if (!file) return std::wstring();
    std::string bytes(kOutputLimit, '\0');
    OVERLAPPED at = {};  // offset 0
    DWORD got = 0;
    if (!::ReadFile(file.Get(), &bytes[0], kOutputLimit, &got, &at)) return std::wstring();
    bytes.resize(got);
    const std::string::size_type end = bytes.find_last_not_of(" \t\r\n");
    if (end == std::string::npos) return std::wstring();
    bytes.resize(end + 1);
    return L"\r\n" + ferrow::AnsiToWide(bytes);
}

void RunAndLog(MSIHANDLE install) {
    const std::wstring line = CustomActionData(install);
    const std::wstring program = setup::ProgramOfCommandLine(line);
    if (program.empty()) {
        Log(install, Message(IDS_SETUP_ACTION_NOT_STARTED, line, ERROR_BAD_ARGUMENTS));
        return;
    }
    const ferrow::UniqueFile output = NewOutputFile();
    PROCESS_INFORMATION info = {};
    if (!ferrow::StartHiddenChild(program, line, output.Get(), info)) {
        Log(install, Message(IDS_SETUP_ACTION_NOT_STARTED, line, ::GetLastError()));
        return;
    }
    const ferrow::UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    if (::WaitForSingleObject(process.Get(), kWaitMinutes * 60 * 1000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.Get(), ERROR_TIMEOUT);
        ::WaitForSingleObject(process.Get(), 10 * 1000);
        Log(install, Message(IDS_SETUP_ACTION_STOPPED, line, kWaitMinutes) + WrittenOutput(output));
        return;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.Get(), &code);
    Log(install, Message(IDS_SETUP_ACTION_ENDED, line, code) + WrittenOutput(output));
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    ferrow::SetModuleInstance(instance);
    ::DisableThreadLibraryCalls(instance);
    return TRUE;
}

// The custom action's entry (installer/ferrow.wxs): always ERROR_SUCCESS.
extern "C" UINT WINAPI RunLogged(MSIHANDLE install) {
    return ferrow::GuardedAnswer(static_cast<UINT>(ERROR_SUCCESS), [&] {
        RunAndLog(install);
        return static_cast<UINT>(ERROR_SUCCESS);
    });
}

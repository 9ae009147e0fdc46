#include "common/hidden_child.h"

#include "common/handles.h"

#include <vector>

namespace ferrow {

bool StartHiddenChild(const std::wstring& program, std::wstring commandLine, HANDLE output, PROCESS_INFORMATION& info) {
    info = PROCESS_INFORMATION();
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    const UniqueFile none(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        &inherit, OPEN_EXISTING, 0, nullptr));
    if (!none) return false;
    if (!output || output == INVALID_HANDLE_VALUE) output = none.Get();
    if (!::SetHandleInformation(output, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) return false;

    STARTUPINFOEXW startup = {};
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = none.Get();
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = output;
    // The handles the child inherits, and nothing else; without the list (older systems) it inherits
    // whatever of this process is inheritable.
    HANDLE handles[] = {none.Get(), output};
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<unsigned char> memory(size);
    auto* list = size ? reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(memory.data()) : nullptr;
    if (list && !::InitializeProcThreadAttributeList(list, 1, 0, &size)) list = nullptr;
    const SIZE_T listed = output == none.Get() ? sizeof(HANDLE) : sizeof handles;  // a handle at most once
    if (list && !::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles, listed, nullptr,
                                             nullptr)) {
        ::DeleteProcThreadAttributeList(list);
        list = nullptr;
    }
    startup.lpAttributeList = list;
    startup.StartupInfo.cb = list ? sizeof(STARTUPINFOEXW) : sizeof(STARTUPINFOW);
    const DWORD flags = CREATE_NO_WINDOW | (list ? EXTENDED_STARTUPINFO_PRESENT : 0);
    // CreateProcessW may write to the command line: this is the function's own copy.
    const BOOL started = ::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, flags, nullptr,
                                          nullptr, &startup.StartupInfo, &info);
    const DWORD error = ::GetLastError();
    if (list) ::DeleteProcThreadAttributeList(list);
    ::SetLastError(error);
    return started != FALSE;
}

}  // namespace ferrow

#include "ops/launch.h"

#include "common/handles.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "ops/path_file.h"

namespace ops {

std::wstring ProgramPath() {
    std::wstring path;
    if (FAILED(ferrow::ModuleFileName(ferrow::ModuleInstance(), path))) return std::wstring();
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return std::wstring();
    path.resize(slash + 1);
    path += L"Ferrow.exe";
    return path;
}

HRESULT StartProgram(const std::string& verb, const std::vector<std::string>& paths, HWND invoker,
                     const std::wstring& extra, HANDLE* process, const std::wstring& program) {
    if (process) *process = nullptr;
    const std::wstring exe = program.empty() ? ProgramPath() : program;
    if (exe.empty()) return E_FAIL;
    std::wstring pathFile;
    HRESULT hr = WritePathFile(paths, pathFile);
    if (FAILED(hr)) return hr;

    std::wstring line = L"\"" + exe + L"\" /command:" + ferrow::AnsiToWide(verb) + L" /pathfile:\"" + pathFile +
                        L"\" /deletepathfile /hwnd:" +
                        std::to_wstring(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(invoker)));
    if (!extra.empty()) line += L" " + extra;

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    // The program gets no handle of this process: a host's standard handles stay its own.
    if (!::CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        hr = HRESULT_FROM_WIN32(::GetLastError());
        ::DeleteFileW(pathFile.c_str());
        return FAILED(hr) ? hr : E_FAIL;
    }
    ferrow::UniqueKernelHandle processHandle(info.hProcess);
    ferrow::UniqueKernelHandle thread(info.hThread);
    ::AllowSetForegroundWindow(info.dwProcessId);
    if (process) *process = processHandle.Release();
    return S_OK;
}

}  // namespace ops

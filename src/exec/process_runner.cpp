#include "exec/process_runner.h"

#include "common/handles.h"
#include "common/module_instance.h"
#include "exec/capture_output.h"
#include "exec/command_line.h"
#include "exec/core/command_text.h"
#include "exec/message_wait.h"
#include "settings/settings_store.h"

#include <algorithm>
#include <cwctype>
#include <vector>

namespace {

// How long a cancelled run waits for its interpreter to be gone once the tree was ended.
constexpr DWORD kEndWaitMs = 5000;
// How long a run that nobody can cancel (no frame: a column's value) may take before it is ended: far
// beyond any answer worth waiting for, but never a thread of the shell held for good.
constexpr DWORD kUnwatchedRunLimitMs = 120000;

thread_local CRunFrame* t_frame = nullptr;

// Puts the earlier cursor back when the run ends, on every path.
class WaitCursor {
public:
    WaitCursor() : previous_(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

// An inheritable copy of `handle`, made just before the start and closed right after it, so that only
// the child it is meant for can inherit it.
HANDLE InheritableCopy(HANDLE handle) {
    HANDLE process = ::GetCurrentProcess();
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(process, handle, process, &copy, 0, TRUE, DUPLICATE_SAME_ACCESS)) return nullptr;
    return copy;
}

// The list of the only handles a child inherits. Where the platform has no such list, the start goes
// without it: the child then also inherits whatever else of the process is inheritable at that moment,
// but never a pipe of another run (those are inheritable only around their own start).
class InheritList {
public:
    explicit InheritList(const std::vector<HANDLE>& handles) : handles_(handles) {
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        if (size == 0) return;
        memory_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(memory_.data());
        if (!::InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        if (!::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                         handles_.size() * sizeof(HANDLE), nullptr, nullptr)) {
            ::DeleteProcThreadAttributeList(list);
            return;
        }
        list_ = list;
    }
    ~InheritList() {
        if (list_) ::DeleteProcThreadAttributeList(list_);
    }
    InheritList(const InheritList&) = delete;
    InheritList& operator=(const InheritList&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return list_; }

private:
    std::vector<HANDLE> handles_;  // the attribute refers to this storage until the list is deleted
    std::vector<unsigned char> memory_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// The program that answers ssh's prompts: Ferrow.exe beside this module. ssh runs SSH_ASKPASS as a program
// with the prompt as its one argument, so the variable names the program alone and FERROW_ASKPASS tells
// the program what that argument is (app/askpass.cpp).
std::wstring AskpassProgram() {
    std::wstring module;
    if (FAILED(ferrow::ModuleFileName(ferrow::ModuleInstance(), module))) return std::wstring();
    const size_t slash = module.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return std::wstring();
    return module.substr(0, slash + 1) + L"Ferrow.exe";
}

bool SameName(const std::wstring& entry, const wchar_t* name) {
    const size_t length = wcslen(name);
    if (entry.size() <= length || entry[length] != L'=') return false;
    for (size_t i = 0; i < length; ++i) {
        if (std::towupper(entry[i]) != std::towupper(name[i])) return false;
    }
    return true;
}

// The process's environment with the variables that route every prompt of ssh to Ferrow's dialog:
// SSH_ASKPASS_REQUIRE=force makes ssh use the program even with a console, DISPLAY (only when unset) is
// what older ssh versions check before they use it. A UTF-16 block; empty when the environment cannot be
// read (the child then inherits it as it is).
std::vector<wchar_t> ChildEnvironment() {
    std::vector<wchar_t> block;
    const std::wstring askpass = AskpassProgram();
    if (askpass.empty()) return block;
    wchar_t* strings = ::GetEnvironmentStringsW();
    if (!strings) return block;
    std::vector<std::wstring> entries;
    bool display = false;
    for (const wchar_t* p = strings; *p; p += wcslen(p) + 1) {
        std::wstring entry(p);
        if (SameName(entry, L"SSH_ASKPASS") || SameName(entry, L"SSH_ASKPASS_REQUIRE") ||
            SameName(entry, L"FERROW_ASKPASS"))
            continue;
        if (SameName(entry, L"DISPLAY")) display = true;
        entries.push_back(std::move(entry));
    }
    ::FreeEnvironmentStringsW(strings);
    entries.push_back(L"SSH_ASKPASS=" + askpass);
    entries.push_back(L"SSH_ASKPASS_REQUIRE=force");
    entries.push_back(L"FERROW_ASKPASS=1");
    if (!display) entries.push_back(L"DISPLAY=:0");
    for (const std::wstring& entry : entries) block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    block.push_back(L'\0');
    return block;
}

// Ends the run's process tree: the whole job, or only the interpreter when it is in none.
void EndTree(HANDLE job, HANDLE process) {
    if (!job || !::TerminateJobObject(job, ERROR_CANCELLED)) ::TerminateProcess(process, ERROR_CANCELLED);
    ::WaitForSingleObject(process, kEndWaitMs);
}

}  // namespace

CRunFrame* CurrentRunFrame() { return t_frame; }

CRunFrameScope::CRunFrameScope(CRunFrame* frame) : outer_(t_frame) { t_frame = frame; }
CRunFrameScope::~CRunFrameScope() { t_frame = outer_; }

HRESULT LastErrorResult() {
    DWORD error = ::GetLastError();
    if (static_cast<LONG>(error) > 0) return static_cast<HRESULT>(0x80070000u | (error & 0xFFFFu));
    return static_cast<HRESULT>(error);
}

HRESULT ExpandEnvironment(std::string& text) {
    DWORD needed = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (needed == 0) return LastErrorResult();
    std::vector<char> buffer(needed + 1);
    DWORD got = ::ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got == 0) return LastErrorResult();
    if (got > buffer.size()) return E_FAIL;  // the environment changed between the two calls
    text.assign(buffer.data());
    return S_OK;
}

bool GetInterpreter(std::string& path) {
    DWORD size = ::GetEnvironmentVariableA("COMSPEC", nullptr, 0);
    if (size == 0) return false;
    std::vector<char> buffer(size + 1);
    DWORD got = ::GetEnvironmentVariableA("COMSPEC", buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got == 0 || got >= buffer.size()) return false;
    path.assign(buffer.data(), got);
    return true;
}

std::string ClientCommand() {
    // Only the client setting is expanded: the rest of a line holds names, messages and tag names, which
    // reach the client as they are (quoted so that the interpreter expands nothing either).
    std::string client = settings::GetCvsCommand();
    ExpandEnvironment(client);  // on failure the setting is used unexpanded
    return client;
}

HRESULT RunCommandLine(const std::string& directory, const std::string& line) {
    if (CRunFrame* frame = CurrentRunFrame()) frame->OnCommandLine(line);

    std::string comspec;
    if (!GetInterpreter(comspec)) return E_FAIL;

    const std::string commandLine = cmdline::InterpreterCommandLine(comspec, line);
    WaitCursor cursor;
    return RunProcess(comspec, commandLine, directory);
}

HRESULT RunInDirectory(const std::string& directory, const std::string& command) {
    return RunCommandLine(directory, ReplaceVariable(command, cmdline::kClientVariable, ClientCommand()));
}

HRESULT RunProcess(const std::string& application, const std::string& commandLine, const std::string& directory) {
    CRunFrame* frame = CurrentRunFrame();
    if (frame && frame->CancelRequested()) return kRunCancelled;

    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    ferrow::UniqueFile nul(::CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         &inheritable, OPEN_EXISTING, 0, nullptr));
    if (!nul) return LastErrorResult();
    ferrow::UniqueKernelHandle out, err;
    if (HANDLE capture = CCaptureOutput::CurrentWriteEnd(STD_OUTPUT_HANDLE)) out.Reset(InheritableCopy(capture));
    if (HANDLE capture = CCaptureOutput::CurrentWriteEnd(STD_ERROR_HANDLE)) err.Reset(InheritableCopy(capture));

    STARTUPINFOEXA startup = {};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = nul.Get();
    startup.StartupInfo.hStdOutput = out ? out.Get() : nul.Get();
    startup.StartupInfo.hStdError = err ? err.Get() : nul.Get();

    std::vector<HANDLE> handles = {nul.Get()};
    for (HANDLE h : {startup.StartupInfo.hStdOutput, startup.StartupInfo.hStdError})
        if (std::find(handles.begin(), handles.end(), h) == handles.end()) handles.push_back(h);
    InheritList inherit(handles);
    startup.lpAttributeList = inherit.Get();
    if (!inherit.Get()) startup.StartupInfo.cb = sizeof startup.StartupInfo;

    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');

    // Started suspended, so that it is in the job before it can start a child of its own. Default
    // security and a process handle that later children do not inherit.
    //
    // The console: CREATE_NO_WINDOW gives the interpreter a console without a window, which every console
    // program it starts shares, so no window ever shows. A console-less start (DETACHED_PROCESS) would make
    // a console read fail at once, but a console program that the console-less interpreter starts gets a
    // new console of its own, shown, and its standard handles point there instead of the pipes. So a read
    // of this console waits unseen: ssh's prompts go to Ferrow's dialog instead (ChildEnvironment), and
    // the output window says when a command has been silent for long (exec/output_window.h).
    DWORD flags = CREATE_NO_WINDOW | CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT;
    if (inherit.Get()) flags |= EXTENDED_STARTUPINFO_PRESENT;
    std::vector<wchar_t> environment = ChildEnvironment();
    PROCESS_INFORMATION info = {};
    const BOOL started = ::CreateProcessA(application.c_str(), buffer.data(), nullptr, nullptr, TRUE, flags,
                                          environment.empty() ? nullptr : environment.data(),
                                          directory.empty() ? nullptr : directory.c_str(), &startup.StartupInfo, &info);
    const HRESULT startError = started ? S_OK : LastErrorResult();
    out.Reset();
    err.Reset();
    nul.Reset();
    if (!started) return startError;
    ferrow::UniqueKernelHandle process(info.hProcess);
    ferrow::UniqueKernelHandle thread(info.hThread);

    // A host that is in a job which allows no nested one (before Windows 8) runs the command without:
    // cancelling then ends the interpreter only.
    ferrow::UniqueKernelHandle job(::CreateJobObjectA(nullptr, nullptr));
    if (job && !::AssignProcessToJobObject(job.Get(), process.Get())) job.Reset();
    ::ResumeThread(thread.Get());
    thread.Reset();

    using exec::WaitResult;
    WaitResult waited;
    if (frame) {
        waited = exec::WaitDispatching(process.Get(), exec::Dispatch::kAll,
                                       [frame] { return frame->CancelRequested(); });
    } else {
        const DWORD start = ::GetTickCount();
        waited = exec::WaitDispatching(process.Get(), exec::Dispatch::kSentOnly,
                                       [start] { return ::GetTickCount() - start > kUnwatchedRunLimitMs; }, 1000);
    }
    if (waited == WaitResult::kSignalled) {
        DWORD exitCode = 1;
        if (!::GetExitCodeProcess(process.Get(), &exitCode)) return LastErrorResult();
        return exitCode == 0 ? S_OK : E_FAIL;
    }
    // Cancelled, or the thread is asked to end (WM_QUIT): nobody is left to see the command, so it ends
    // with the run, as a failed wait does rather than run on unwatched.
    const HRESULT failure = waited == WaitResult::kFailed ? LastErrorResult() : kRunCancelled;
    EndTree(job.Get(), process.Get());
    return failure;
}

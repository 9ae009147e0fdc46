#include "exec/process_runner.h"

#include "common/handles.h"
#include "common/module_instance.h"
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

// The pseudo console attribute, for headers that target Windows versions before it (its value is fixed).
constexpr DWORD_PTR kPseudoConsoleAttribute = 0x00020016;

// A console without a window whose input this side holds (a pseudo console, Windows 10 1809 and later):
// the child's console, shared by every console program of its tree. Its input is given an end-of-input
// (Ctrl+Z, Enter) before anything runs, so a read of the console that nobody sees ends at once: a key read
// (a password prompt's) gets those keys, a line read gets the end of input. Nothing it shows is kept: the
// standard streams go to the run's own handles, and what a program writes to the console itself goes to
// the null device. Empty where the platform has none (the child then gets a console without a window, on
// which a read waits; the output window's silence notice and Cancel cover that). Closing it ends what is
// still attached, so it lives exactly as long as its run.
class HiddenConsole {
public:
    HiddenConsole() {
        HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
        if (!kernel) return;
        create_ = reinterpret_cast<CreateFn>(::GetProcAddress(kernel, "CreatePseudoConsole"));
        close_ = reinterpret_cast<CloseFn>(::GetProcAddress(kernel, "ClosePseudoConsole"));
        if (!create_ || !close_) return;
        HANDLE inputRead = nullptr, inputWrite = nullptr;
        if (!::CreatePipe(&inputRead, &inputWrite, nullptr, 0)) return;
        ferrow::UniqueKernelHandle reader(inputRead);
        input_.Reset(inputWrite);
        ferrow::UniqueFile sink(::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        if (!sink) return;
        static const char kEndOfInput[] = "\x1a\r";
        DWORD written = 0;
        if (!::WriteFile(input_.Get(), kEndOfInput, sizeof kEndOfInput - 1, &written, nullptr)) return;
        void* console = nullptr;
        if (FAILED(create_(COORD{80, 25}, reader.Get(), sink.Get(), 0, &console))) return;
        console_ = console;  // it holds copies of both ends it was given
    }
    ~HiddenConsole() {
        if (console_) close_(console_);
    }
    HiddenConsole(const HiddenConsole&) = delete;
    HiddenConsole& operator=(const HiddenConsole&) = delete;
    void* Get() const { return console_; }

private:
    using CreateFn = HRESULT(WINAPI*)(COORD, HANDLE, HANDLE, DWORD, void**);
    using CloseFn = void(WINAPI*)(void*);
    CreateFn create_ = nullptr;
    CloseFn close_ = nullptr;
    ferrow::UniqueKernelHandle input_;  // open while the console lives: a broken input would end its programs
    void* console_ = nullptr;
};

// The child's attribute list: the only handles it inherits and, when there is one, its hidden console.
// Where the platform has no such list, the start goes without it: the child then also inherits whatever
// else of the process is inheritable at that moment, but never a pipe of another run (those are
// inheritable only around their own start), and gets a console without a window.
class ChildAttributes {
public:
    ChildAttributes(const std::vector<HANDLE>& handles, void* console) : handles_(handles), console_(console) {
        const DWORD count = console_ ? 2 : 1;
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, count, 0, &size);
        if (size == 0) return;
        memory_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(memory_.data());
        if (!::InitializeProcThreadAttributeList(list, count, 0, &size)) return;
        if (!::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                         handles_.size() * sizeof(HANDLE), nullptr, nullptr) ||
            (console_ && !::UpdateProcThreadAttribute(list, 0, kPseudoConsoleAttribute, console_, sizeof console_,
                                                      nullptr, nullptr))) {
            ::DeleteProcThreadAttributeList(list);
            return;
        }
        list_ = list;
    }
    ~ChildAttributes() {
        if (list_) ::DeleteProcThreadAttributeList(list_);
    }
    ChildAttributes(const ChildAttributes&) = delete;
    ChildAttributes& operator=(const ChildAttributes&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return list_; }
    bool HasConsole() const { return list_ && console_; }

private:
    std::vector<HANDLE> handles_;  // the attribute refers to this storage until the list is deleted
    void* console_;
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

HRESULT RunCommandLine(CRunFrame* frame, const std::string& directory, const std::string& line) {
    if (frame) frame->OnCommandLine(line);

    std::string comspec;
    if (!GetInterpreter(comspec)) return E_FAIL;

    const std::string commandLine = cmdline::InterpreterCommandLine(comspec, line);
    WaitCursor cursor;
    return RunProcess(frame, comspec, commandLine, directory);
}

HRESULT RunInDirectory(CRunFrame* frame, const std::string& directory, const std::string& command) {
    return RunCommandLine(frame, directory, ReplaceVariable(command, cmdline::kClientVariable, ClientCommand()));
}

HRESULT RunProcess(CRunFrame* frame, const std::string& application, const std::string& commandLine,
                   const std::string& directory) {
    if (frame && frame->CancelRequested()) return kRunCancelled;

    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    ferrow::UniqueFile nul(::CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         &inheritable, OPEN_EXISTING, 0, nullptr));
    if (!nul) return LastErrorResult();
    ferrow::UniqueKernelHandle out, err;
    if (HANDLE capture = frame ? frame->OutputEnd(STD_OUTPUT_HANDLE) : nullptr) out.Reset(InheritableCopy(capture));
    if (HANDLE capture = frame ? frame->OutputEnd(STD_ERROR_HANDLE) : nullptr) err.Reset(InheritableCopy(capture));

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
    HiddenConsole console;
    ChildAttributes inherit(handles, console.Get());
    startup.lpAttributeList = inherit.Get();
    if (!inherit.Get()) startup.StartupInfo.cb = sizeof startup.StartupInfo;

    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');

    // Started suspended, so that it is in the job before it can start a child of its own. Default
    // security and a process handle that later children do not inherit.
    //
    // The console: the hidden console above, whose reads end at once; where there is none,
    // CREATE_NO_WINDOW gives the interpreter a console without a window, which every console program it
    // starts shares, so no window ever shows. A console-less start (DETACHED_PROCESS) would make a console
    // read fail at once too, but a console program that the console-less interpreter starts gets a new
    // console of its own, shown, and its standard handles point there instead of the pipes. ssh's prompts
    // go to Ferrow's dialog (ChildEnvironment).
    DWORD flags = CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT;
    if (!inherit.HasConsole()) flags |= CREATE_NO_WINDOW;
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

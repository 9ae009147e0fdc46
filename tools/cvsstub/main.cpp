// cvsstub: a recording stand-in for the cvs command-line client. It does nothing a client does; it
// records how it was called and answers as told, so that tests can check the command lines and folders
// the extension produces and feed it any output and exit code.
//
// Controlled by environment variables (read at start):
//   CVSSTUB_LOG       file to which one record is appended per call:
//                       <working folder> TAB <arguments as passed, after the program name> CR LF
//   CVSSTUB_ARGV      file to which one line per call is appended: each argument as the program's runtime
//                     split it, in brackets ("[-q][commit]"), except that "-F <file>" (the file a client
//                     reads its log message from) is given as that file's text in angle brackets.
//   CVSSTUB_STDOUT    text written to standard output; CVSSTUB_STDERR the same for standard error.
//                     Escapes: \n (LF), \r (CR), \t (tab), \\ (backslash); {args} stands for the arguments.
//   CVSSTUB_STDOUT_BYTES  a count: that many bytes of the repeating pattern "0123456789abcdef...z\n"
//                     written to standard output after CVSSTUB_STDOUT, in one write.
//   CVSSTUB_LINES     a count: that many lines "line <n>" (n from 1) written to standard output after the
//                     rest of it, one write per line; CVSSTUB_LINE_MS milliseconds to wait after each.
//   CVSSTUB_EXIT      exit code (decimal, default 0).
//   CVSSTUB_SLEEP_MS  milliseconds to wait before answering.
//   CVSSTUB_WAIT      "stdin": first reads standard input to its end, then writes "stdin: end\n" to standard
//                     output when it ended, or "stdin: error <code>\n" when reading failed, before the rest;
//                     "forever": never ends after answering; "tree": the same, after starting a copy of
//                     itself that never ends either (a process tree, as a client starting ssh makes);
//                     "orphan": ends after answering, leaving a copy of itself that holds the standard
//                     handles for 4 s more and writes nothing (a process that outlives its command);
//                     "console": first reads one key from the console (_getch, as a client's password
//                     prompt does), then writes "console: <code>\n" to standard output.
//   CVSSTUB_ASKPASS   a prompt: first runs the program that SSH_ASKPASS names with it as its one argument,
//                     as ssh does, and writes "askpass: [<its output>] exit <code>\n" to standard output.
//   CVSSTUB_CONTROL   a file of NAME=VALUE lines that sets any of the above (without the CVSSTUB_ prefix,
//                     e.g. "EXIT=1"); environment variables win.
#include <windows.h>

#include <conio.h>
#include <cstdlib>
#include <map>
#include <string>

namespace {

std::map<std::string, std::string> g_control;

void LoadControlFile() {
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("CVSSTUB_CONTROL", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string data;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) data.append(buffer, got);
    CloseHandle(file);
    size_t pos = 0;
    while (pos < data.size()) {
        size_t end = data.find('\n', pos);
        if (end == std::string::npos) end = data.size();
        std::string line = data.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t eq = line.find('=');
        if (eq != std::string::npos) g_control[line.substr(0, eq)] = line.substr(eq + 1);
        pos = end + 1;
    }
}

std::string Setting(const char* name) {
    std::string var = std::string("CVSSTUB_") + name;
    DWORD n = GetEnvironmentVariableA(var.c_str(), nullptr, 0);
    if (n > 0) {
        std::string value(n, '\0');
        DWORD got = GetEnvironmentVariableA(var.c_str(), &value[0], n);
        value.resize(got);
        return value;
    }
    auto it = g_control.find(name);
    return it == g_control.end() ? std::string() : it->second;
}

// The command line after the program name, as the interpreter passed it.
std::string Arguments() {
    const char* p = GetCommandLineA();
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

std::string Unescape(const std::string& text, const std::string& args) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 6, "{args}") == 0) {
            out += args;
            i += 5;
        } else if (text[i] == '\\' && i + 1 < text.size()) {
            char c = text[++i];
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

void WriteAll(HANDLE handle, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        DWORD wrote = 0;
        if (!WriteFile(handle, data.data() + done, static_cast<DWORD>(data.size() - done), &wrote, nullptr) ||
            wrote == 0)
            return;
        done += wrote;
    }
}

void AppendRecord(const std::string& args) {
    std::string log = Setting("LOG");
    if (log.empty()) return;
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    std::string record = std::string(folder) + "\t" + args + "\r\n";
    // Several stand-ins may append at once (concurrency tests): retry while another one holds the file.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            WriteAll(file, record);
            CloseHandle(file);
            return;
        }
        Sleep(10);
    }
}

// Reads standard input until it ends; what happened, as one line.
std::string ReadInputToEnd() {
    char buffer[256];
    DWORD got = 0;
    for (;;) {
        if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr)) {
            const DWORD error = GetLastError();
            if (error == ERROR_BROKEN_PIPE) return "stdin: end\n";
            return "stdin: error " + std::to_string(error) + "\n";
        }
        if (got == 0) return "stdin: end\n";
    }
}

// A copy of this program with the same handles that records nothing, writes nothing and never ends (or,
// with `wait` "orphan-child", ends after 4 s).
void StartNeverEndingCopy(const char* wait = "forever") {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (const char* name : {"CVSSTUB_LOG", "CVSSTUB_STDOUT", "CVSSTUB_STDERR", "CVSSTUB_STDOUT_BYTES", "CVSSTUB_SLEEP_MS",
                             "CVSSTUB_CONTROL", "CVSSTUB_ARGV", "CVSSTUB_LINES", "CVSSTUB_ASKPASS"})
        SetEnvironmentVariableA(name, nullptr);
    SetEnvironmentVariableA("CVSSTUB_WAIT", wait);
    std::string line = std::string("\"") + self + "\" tree-child";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (CreateProcessA(self, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
}

// Runs SSH_ASKPASS with the prompt as ssh does; what it answered, as one line.
std::string AskThroughAskpass(const std::string& prompt) {
    const std::string program = [] {
        char value[MAX_PATH] = {};
        const DWORD n = GetEnvironmentVariableA("SSH_ASKPASS", value, MAX_PATH);
        return n > 0 && n < MAX_PATH ? std::string(value) : std::string();
    }();
    if (program.empty()) return "askpass: none\n";
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inheritable, 0)) return "askpass: no pipe\n";
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    std::string line = "\"" + program + "\" \"" + prompt + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = write;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info = {};
    const BOOL started = CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &info);
    CloseHandle(write);
    if (!started) {
        CloseHandle(read);
        return "askpass: not started\n";
    }
    std::string answer;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) answer.append(buffer, got);
    CloseHandle(read);
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return "askpass: [" + answer + "] exit " + std::to_string(code) + "\n";
}

// The arguments as this program's runtime split them, for CVSSTUB_ARGV (see the top).
void AppendSplitArguments(int argc, char** argv) {
    const std::string log = Setting("ARGV");
    if (log.empty()) return;
    std::string record;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) != "-F" || i + 1 == argc) {
            record += "[" + std::string(argv[i]) + "]";
            continue;
        }
        ++i;  // "-F <file>" is recorded as "<the file's text>"
        record += "<";
        HANDLE file = CreateFileA(argv[i], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        char buffer[4096];
        DWORD got = 0;
        while (file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
            record.append(buffer, got);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        record += ">";
    }
    HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    WriteAll(file, record + "\r\n");
    CloseHandle(file);
}

}  // namespace

int main(int argc, char** argv) {
    LoadControlFile();
    const std::string args = Arguments();
    AppendRecord(args);
    AppendSplitArguments(argc, argv);

    int sleepMs = std::atoi(Setting("SLEEP_MS").c_str());
    if (sleepMs > 0) Sleep(static_cast<DWORD>(sleepMs));

    const std::string wait = Setting("WAIT");
    std::string out = wait == "stdin" ? ReadInputToEnd() : std::string();
    if (wait == "console") out += "console: " + std::to_string(_getch()) + "\n";
    const std::string prompt = Setting("ASKPASS");
    if (!prompt.empty()) out += AskThroughAskpass(prompt);
    out += Unescape(Setting("STDOUT"), args);
    int bytes = std::atoi(Setting("STDOUT_BYTES").c_str());
    static const char kPattern[] = "0123456789abcdefghijklmnopqrstuvwxyz\n";
    for (int i = 0; i < bytes; ++i) out += kPattern[i % (sizeof kPattern - 1)];
    WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), out);
    const int lines = std::atoi(Setting("LINES").c_str());
    const int lineMs = std::atoi(Setting("LINE_MS").c_str());
    for (int i = 1; i <= lines; ++i) {
        WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), "line " + std::to_string(i) + "\n");
        if (lineMs > 0) Sleep(static_cast<DWORD>(lineMs));
    }
    WriteAll(GetStdHandle(STD_ERROR_HANDLE), Unescape(Setting("STDERR"), args));

    if (wait == "tree") StartNeverEndingCopy();
    if (wait == "orphan") StartNeverEndingCopy("orphan-child");
    if (wait == "orphan-child") Sleep(4000);
    if (wait == "tree" || wait == "forever") Sleep(INFINITE);
    return std::atoi(Setting("EXIT").c_str());
}

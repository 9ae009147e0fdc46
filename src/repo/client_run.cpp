#include "repo/client_run.h"

#include "common/module_instance.h"
#include "common/core/replace_all.h"
#include "exec/command_line.h"
#include "exec/output_window.h"
#include "exec/process_runner.h"
#include "exec/progress_dialog.h"
#include "repo/core/login_request.h"
#include "resources/resource.h"
#include "settings/settings_store.h"

#include <shlobj.h>

namespace repo {

namespace {

std::string CrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

}  // namespace

std::string ClientLine(const std::vector<std::string>& arguments) {
    std::string line = cmdline::kClientVariable;
    for (const std::string& argument : arguments) line += " " + QuoteArgument(argument);
    return line;
}

ClientResult RunClientInWindow(HWND owner, const std::string& name, const std::string& directory,
                               const std::vector<std::string>& arguments) {
    ClientResult result;
    exec::COutputWindow window;
    const std::string title =
        ferrow::ReplaceAll(ferrow::ReplaceAll(ferrow::LoadResString(IDS_OUTPUT_TITLE), "%1", name), "%2", directory);
    const bool inWindow = window.Open(owner, title);
    {
        CProgressDialog progress;
        if (inWindow) progress.AttachWindow(&window);
        result.hr = RunInDirectory(progress.Frame(), directory, ClientLine(arguments));
        progress.Stop();
        result.out = CrLf(progress.GetStdOutText());
        result.err = CrLf(progress.GetStdErrText());
    }
    using Result = exec::COutputWindow::Result;
    const bool cancelled = result.hr == kRunCancelled;
    const std::string verdict = cancelled ? ferrow::LoadResString(IDS_RUN_CANCELLED) + "\r\nfailed\r\n"
                                          : FAILED(result.hr) ? "failed\r\n" : "ok\r\n";
    window.Finish(cancelled ? Result::kCancelled : FAILED(result.hr) ? Result::kFailed : Result::kSucceeded, verdict);
    if (inWindow) {
        if (SUCCEEDED(result.hr) && result.err.empty() && settings::GetCloseOutputOnSuccess()) {
            window.Close();
        } else if (!(FAILED(result.hr) && AsksForLogin(result.err))) {
            // A refusal that a login answers goes on to the login dialog; the window stays beside it.
            window.WaitUntilClosed();
        }
    } else if (FAILED(result.hr) && !cancelled && !AsksForLogin(result.err)) {
        const std::string text = result.err.empty() ? ferrow::LoadResString(IDS_ERROR_TEXT) : result.err;
        ::MessageBoxA(owner, text.c_str(), ferrow::LoadResString(IDS_ERROR_CAPTION).c_str(), MB_ICONERROR);
    }
    return result;
}

ClientResult RunClientQuietly(const std::string& directory, const std::vector<std::string>& arguments) {
    ClientResult result;
    CProgressDialog progress;
    result.hr = RunInDirectory(progress.Frame(), directory, ClientLine(arguments));
    progress.Stop();
    result.out = CrLf(progress.GetStdOutText());
    result.err = CrLf(progress.GetStdErrText());
    return result;
}

void RefreshFolder(const std::string& folder) {
    ::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA | SHCNF_FLUSHNOWAIT, folder.c_str(), nullptr);
}

}  // namespace repo

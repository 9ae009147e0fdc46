#include "changes/change_commands.h"

#include "common/core/replace_all.h"
#include "common/handles.h"
#include "common/module_instance.h"
#include "exec/core/line_ends.h"
#include "exec/output_window.h"
#include "exec/process_runner.h"
#include "exec/progress_dialog.h"
#include "resources/resource.h"
#include "settings/settings_store.h"

namespace changes {

HRESULT RunSteps(HWND owner, unsigned operationId, const std::string& folder, const std::vector<CommandStep>& steps,
                 const std::function<std::string()>& after) {
    exec::COutputWindow window;
    const std::string title = ferrow::ReplaceAll(
        ferrow::ReplaceAll(ferrow::LoadResString(IDS_OUTPUT_TITLE), "%1", ferrow::LoadResString(operationId)), "%2",
        folder);
    const bool inWindow = window.Open(owner, title);
    HRESULT hr = S_OK;
    std::string out, err, refusedName;
    {
        CProgressDialog progress;
        if (inWindow) progress.AttachWindow(&window);
        for (const CommandStep& step : steps) {
            if (step.paths.empty()) continue;
            hr = ExecuteTemplate(progress.Frame(), step.commandTemplate, step.paths, step.values, &refusedName);
            if (FAILED(hr)) break;
        }
        out = exec::ToCrLf(progress.GetStdOutText());
        err = exec::ToCrLf(progress.GetStdErrText());
    }
    if (hr == kNameTooLong) {
        err = ferrow::LoadResString(IDS_NAME_TOO_LONG) + "\r\n" + refusedName + "\r\n";
        window.OnOutput(exec::OutputKind::kErr, err);
    }
    if (after) window.OnOutput(exec::OutputKind::kOut, after());
    using Result = exec::COutputWindow::Result;
    const std::string verdict = hr == kRunCancelled ? ferrow::LoadResString(IDS_RUN_CANCELLED) + "\r\nfailed\r\n"
                                : FAILED(hr)        ? std::string("failed\r\n")
                                                    : std::string("ok\r\n");
    window.Finish(hr == kRunCancelled ? Result::kCancelled : FAILED(hr) ? Result::kFailed : Result::kSucceeded,
                  verdict);
    if (inWindow) {
        if (SUCCEEDED(hr) && err.empty() && settings::GetCloseOutputOnSuccess()) {
            window.Close();
        } else {
            window.WaitUntilClosed();
        }
    } else if (FAILED(hr) && hr != kRunCancelled) {
        const std::string text = !err.empty() ? err : !out.empty() ? out : ferrow::LoadResString(IDS_ERROR_TEXT);
        ::MessageBoxA(owner, text.c_str(), ferrow::LoadResString(IDS_ERROR_CAPTION).c_str(), MB_ICONERROR);
    }
    if (hr == kRunCancelled) return hr;
    return FAILED(hr) ? E_FAIL : S_OK;
}

HRESULT CaptureCommand(const std::string& commandTemplate, const std::vector<std::string>& paths,
                       std::string& directory, std::string& out, std::string& err) {
    HRESULT hr;
    {
        CProgressDialog progress;
        hr = ExecuteTemplate(commandTemplate, paths, {}, [&](const std::string& dir, const std::string& line) {
            directory = dir;
            return RunCommandLine(progress.Frame(), dir, line);
        });
        out = progress.GetStdOutText();
        err = progress.GetStdErrText();
    }
    return hr;
}

}  // namespace changes

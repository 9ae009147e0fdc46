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
                 const RetryOffer& offerRetry, const std::function<std::string()>& after) {
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
        // The runs are planned the same way each round: a second one skips those that succeeded in the first.
        size_t succeeded = 0;
        std::string failedIn;
        for (int round = 0; round < 2; ++round) {
            size_t planned = 0;
            const CommandRunner run = [&](const std::string& directory, const std::string& line) {
                if (planned++ < succeeded) return S_OK;
                failedIn = directory;
                const HRESULT result = RunCommandLine(progress.Frame(), directory, line);
                if (SUCCEEDED(result)) ++succeeded;
                return result;
            };
            hr = S_OK;
            for (const CommandStep& step : steps) {
                if (step.paths.empty()) continue;
                hr = ExecuteTemplate(step.commandTemplate, step.paths, step.values, run, &refusedName);
                if (FAILED(hr)) break;
            }
            if (round > 0 || SUCCEEDED(hr) || hr == kRunCancelled || hr == kNameTooLong || !offerRetry ||
                !offerRetry(inWindow ? window.Handle() : owner, failedIn, progress.GetStdErrText()))
                break;
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

HRESULT CaptureCommand(HWND owner, const std::string& commandTemplate, const std::vector<std::string>& paths,
                       const RetryOffer& offerRetry, std::string& directory, std::string& out, std::string& err) {
    for (int round = 0;; ++round) {
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
        if (round > 0 || SUCCEEDED(hr) || hr == kRunCancelled || !offerRetry || !offerRetry(owner, directory, err))
            return hr;
    }
}

}  // namespace changes

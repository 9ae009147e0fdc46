// run <template> <paths...>: runs the template on the selection as a context-menu operation does (the
// console bar emptied, output captured, line ends made CR LF, then "ok" or "failed") with the console bar
// sited in a window of its own, and prints what the bar shows. Exit code 0 when the command succeeded.
#include "host.h"

#include "console/console_link.h"
#include "console/console_output.h"
#include "exec/command_line.h"
#include "exec/process_runner.h"
#include "exec/progress_dialog.h"
#include "menu/operation_output.h"

#include <string>

namespace ferrowsh {

int RunTemplate(Host& host, const Args& args) {
    if (args.size() < 2) {
        PrintError("usage: run <template> <paths...>");
        return kExitUsage;
    }
    Selection selection;
    for (size_t i = 1; i < args.size(); ++i) {
        std::string full;
        if (!host.ResolvePath(args[i], full)) return kExitUsage;
        selection.push_back(full);
    }

    CBandHost window(BandFactory(host), "Ferrow - run");
    if (FAILED(OpenConsoleBar(host, window))) return kExitFailed;
    console::ReplaceLink(window.Site());
    console::ShowIfAuto();
    console::Clear();

    HRESULT hr = S_OK;
    menu::CConsoleOutput bar;
    {
        CProgressDialog progress;
        progress.SetOutputSink(&bar);
        std::string commandTemplate = args[0];  // typed by the user: its %NAME% references are meant
        ExpandEnvironment(commandTemplate);
        hr = ExecuteTemplate(progress.Frame(), commandTemplate, selection);
        progress.GetStdOutText();
        progress.GetStdErrText();
    }
    bar.AppendLine(SUCCEEDED(hr) ? "ok\r\n" : "failed\r\n");

    HWND edit = nullptr;
    if (IDeskBand* bar = window.Band()) bar->GetWindow(&edit);
    std::string shown;
    if (edit) {
        shown.resize(static_cast<size_t>(::GetWindowTextLengthA(edit)) + 1);
        shown.resize(static_cast<size_t>(::GetWindowTextA(edit, &shown[0], static_cast<int>(shown.size()))));
    }
    // Byte for byte: the console's CR LF line ends must not pass through a text-mode stream.
    DWORD wrote = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), shown.data(), static_cast<DWORD>(shown.size()), &wrote, nullptr);
    console::DropLink();
    return SUCCEEDED(hr) ? kExitOk : kExitFailed;
}

}  // namespace ferrowsh

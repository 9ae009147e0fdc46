#include "config/settings_pages.h"

#include "common/module_instance.h"
#include "com/overlay_identifiers.h"
#include "config/file_version.h"
#include "settings/settings_store.h"

#include <algorithm>
#include <string>

namespace config {
namespace {

constexpr const char kBrowserHelperClsid[] = "{" FERROW_GUID_TEXT_BROWSER_HELPER "}";

// The text of an edit field, at most 259 characters.
std::string FieldText(HWND dialog, int id) {
    char text[MAX_PATH] = {};
    ::GetDlgItemTextA(dialog, id, text, MAX_PATH);
    return text;
}

struct ToolField {
    int id;
    const char* name;
};
const ToolField kToolFields[] = {
    {IDC_TOOLS_CVS, settings::kToolCvs},
    {IDC_TOOLS_DIFF, settings::kToolDiff},
    {IDC_TOOLS_VIEW, settings::kToolView},
};

// One registry view's verdict: are the module's two identifiers among those the shell loads?
std::wstring OverlayVerdict(REGSAM view) {
    ferrow::OverlayLoadOrder order;
    ferrow::ReadOverlayLoadOrder(view, order);
    wchar_t text[1024] = {};
    if (!order.Registered()) return ferrow::LoadResStringW(IDS_OVERLAYS_NOT_REGISTERED);
    if (order.Loaded()) {
        ::wsprintfW(text, ferrow::LoadResStringW(IDS_OVERLAYS_LOADED).c_str(),
                    static_cast<unsigned>(std::min(order.controlled, order.modified) + 1),
                    static_cast<unsigned>(std::max(order.controlled, order.modified) + 1),
                    static_cast<unsigned>(order.names.size()), static_cast<unsigned>(ferrow::kOverlaySlots));
    } else {
        ::wsprintfW(text, ferrow::LoadResStringW(IDS_OVERLAYS_NOT_LOADED).c_str(),
                    static_cast<unsigned>(order.OthersBefore()), static_cast<unsigned>(ferrow::kOverlaySlots));
    }
    return text;
}
// The entries of the output list, in their order.
struct OutputChoice {
    settings::OutputMode mode;
    UINT text;
};
const OutputChoice kOutputChoices[] = {
    {settings::OutputMode::kAuto, IDS_OPTIONS_OUTPUT_AUTO},
    {settings::OutputMode::kWindow, IDS_OPTIONS_OUTPUT_WINDOW},
    {settings::OutputMode::kBar, IDS_OPTIONS_OUTPUT_BAR},
};

}  // namespace

// On 64-bit Windows the 64-bit Explorer and 32-bit programs each load the identifiers of their own view.
std::wstring OverlayLoadText() {
    REGSAM other = 0;
    if (!ferrow::OtherRegistryView(other)) return OverlayVerdict(0);
    return ferrow::LoadResStringW(IDS_OVERLAYS_VIEW64) + OverlayVerdict(KEY_WOW64_64KEY) + L"\r\n" +
           ferrow::LoadResStringW(IDS_OVERLAYS_VIEW32) + OverlayVerdict(KEY_WOW64_32KEY);
}

BOOL COptionsPage::OnInitDialog(HWND dialog) {
    // A missing key or value reads as the CVS rule and the option off.
    const bool cvsnt = settings::UseCVSNTTimestamps();
    const DWORD autoShow = settings::GetAutoShowOutput();
    ::CheckRadioButton(dialog, IDC_OPTIONS_CVS, IDC_OPTIONS_CVSNT, cvsnt ? IDC_OPTIONS_CVSNT : IDC_OPTIONS_CVS);
    ::CheckDlgButton(dialog, IDC_OPTIONS_AUTOSHOW, autoShow != 0 ? BST_CHECKED : BST_UNCHECKED);
    ::SetDlgItemTextW(dialog, IDC_OPTIONS_OVERLAYS, OverlayLoadText().c_str());
    HWND output = ::GetDlgItem(dialog, IDC_OPTIONS_OUTPUT);
    for (const auto& choice : kOutputChoices) {
        ::SendMessageA(output, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ferrow::LoadResString(choice.text).c_str()));
    }
    const settings::OutputMode mode = settings::GetOutputMode();
    for (size_t i = 0; i < sizeof kOutputChoices / sizeof kOutputChoices[0]; ++i) {
        if (kOutputChoices[i].mode == mode) ::SendMessageA(output, CB_SETCURSEL, i, 0);
    }
    ::CheckDlgButton(dialog, IDC_OPTIONS_CLOSE_OUTPUT, settings::GetCloseOutputOnSuccess() ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(dialog, IDC_OPTIONS_OUTSIDE, settings::GetOutsideEntries() ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void COptionsPage::OnApply(HWND dialog) {
    const bool cvs = ::IsDlgButtonChecked(dialog, IDC_OPTIONS_CVS) == BST_CHECKED;
    const bool autoShow = ::IsDlgButtonChecked(dialog, IDC_OPTIONS_AUTOSHOW) == BST_CHECKED;
    settings::SaveOptions(!cvs, autoShow, kBrowserHelperClsid);
    const LRESULT chosen = ::SendDlgItemMessageA(dialog, IDC_OPTIONS_OUTPUT, CB_GETCURSEL, 0, 0);
    const bool known = chosen >= 0 && static_cast<size_t>(chosen) < sizeof kOutputChoices / sizeof kOutputChoices[0];
    settings::SaveOutputOptions(known ? kOutputChoices[chosen].mode : settings::OutputMode::kAuto,
                                ::IsDlgButtonChecked(dialog, IDC_OPTIONS_CLOSE_OUTPUT) == BST_CHECKED);
    settings::SetOutsideEntries(::IsDlgButtonChecked(dialog, IDC_OPTIONS_OUTSIDE) == BST_CHECKED);
}

BOOL CToolsPage::OnInitDialog(HWND dialog) {
    for (const auto& field : kToolFields) {
        std::string command;
        settings::GetTool(field.name, command);
        ::SetDlgItemTextA(dialog, field.id, command.c_str());
    }
    // The Diff field offers the default and "ferrow", Ferrow's own viewer (exec/tools.h).
    for (const char* choice : {settings::kDefaultDiff, "ferrow"}) {
        ::SendDlgItemMessageA(dialog, IDC_TOOLS_DIFF, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    }
    return TRUE;
}

void CToolsPage::OnApply(HWND dialog) {
    settings::SaveToolFields(FieldText(dialog, IDC_TOOLS_CVS), FieldText(dialog, IDC_TOOLS_DIFF),
                             FieldText(dialog, IDC_TOOLS_VIEW));
}

BOOL CAboutPage::OnInitDialog(HWND dialog) {
    // Whatever cannot be read keeps the template's placeholder.
    CFileVersion version;
    if (SUCCEEDED(version.Open(ferrow::ModuleInstance()))) {
        std::string text;
        if (version.GetString("FileVersion", text) == S_OK) ::SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, text.c_str());
        if (version.GetString("LegalCopyright", text) == S_OK)
            ::SetDlgItemTextA(dialog, IDC_ABOUT_COPYRIGHT, text.c_str());
    }
    ::SetDlgItemTextA(dialog, IDC_ABOUT_ADDRESS, kProductAddress);
    return TRUE;
}

}  // namespace config

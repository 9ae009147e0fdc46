#include "config/settings_pages.h"

#include "common/module_instance.h"
#include "config/file_version.h"
#include "settings/settings_store.h"

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

}  // namespace

BOOL COptionsPage::OnInitDialog(HWND dialog) {
    // A missing key or value reads as the CVS rule and the option off.
    const bool cvsnt = settings::UseCVSNTTimestamps();
    const DWORD autoShow = settings::GetAutoShowOutput();
    ::CheckRadioButton(dialog, IDC_OPTIONS_CVS, IDC_OPTIONS_CVSNT, cvsnt ? IDC_OPTIONS_CVSNT : IDC_OPTIONS_CVS);
    ::CheckDlgButton(dialog, IDC_OPTIONS_AUTOSHOW, autoShow != 0 ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void COptionsPage::OnApply(HWND dialog) {
    const bool cvs = ::IsDlgButtonChecked(dialog, IDC_OPTIONS_CVS) == BST_CHECKED;
    const bool autoShow = ::IsDlgButtonChecked(dialog, IDC_OPTIONS_AUTOSHOW) == BST_CHECKED;
    settings::SaveOptions(!cvs, autoShow, kBrowserHelperClsid);
}

BOOL CToolsPage::OnInitDialog(HWND dialog) {
    for (const auto& field : kToolFields) {
        std::string command;
        settings::GetTool(field.name, command);
        ::SetDlgItemTextA(dialog, field.id, command.c_str());
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

#include "changes/update_to_dialog.h"

#include "changes/change_commands.h"
#include "common/core/replace_all.h"
#include "common/module_instance.h"
#include "exec/command_line.h"
#include "exec/log_reader.h"
#include "model/admin_files.h"
#include "model/core/cvs_log.h"
#include "model/entries_index.h"
#include "resources/resource.h"

namespace changes {

namespace {

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The file whose log names the tags: the selected file, or a selected folder's first listed file.
std::string LogFile(const std::string& path) {
    if (!IsFolder(path)) return path;
    const std::shared_ptr<const CEntryIndex> index = GetEntryIndex(path, ClientWait::kUnlessWindowThread);
    if (!index) return std::string();
    const std::vector<CCVSEntry> entries = index->Entries();
    return entries.empty() ? std::string() : path + "\\" + entries.front().Name;
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

}  // namespace

CUpdateToDlg::CUpdateToDlg(std::vector<std::string> selection)
    : CDialog(IDD_UPDATE_TO), selection_(std::move(selection)) {}

BOOL CUpdateToDlg::OnInitDialog() {
    ::CheckRadioButton(Window(), IDC_UPDATETO_HEAD, IDC_UPDATETO_DATE, IDC_UPDATETO_HEAD);
    SetItemText(IDC_UPDATETO_CURRENT, selection_.empty() ? std::string() : StickyStateText(selection_.front()));
    const std::string file = selection_.empty() ? std::string() : LogFile(selection_.front());
    CCVSLog log;
    if (!file.empty() && GetLog(file.c_str(), log)) {
        std::vector<std::string> names;
        log.Tags.ForEach([&](const std::string& name, const std::string&) { names.push_back(name); });
        for (const std::string& name : SortedTagNames(std::move(names)))
            ::SendMessageA(Item(IDC_UPDATETO_TAG_LIST), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    EnableFields();
    CenterOverOwner();
    return TRUE;
}

void CUpdateToDlg::EnableFields() {
    ::EnableWindow(Item(IDC_UPDATETO_TAG_LIST), ::IsDlgButtonChecked(Window(), IDC_UPDATETO_TAG) == BST_CHECKED);
    ::EnableWindow(Item(IDC_UPDATETO_DATE_TEXT), ::IsDlgButtonChecked(Window(), IDC_UPDATETO_DATE) == BST_CHECKED);
}

bool CUpdateToDlg::OnCommand(WORD id, WORD code) {
    if (id == IDC_UPDATETO_TAG_LIST && (code == CBN_EDITCHANGE || code == CBN_SELCHANGE)) {
        ::CheckRadioButton(Window(), IDC_UPDATETO_HEAD, IDC_UPDATETO_DATE, IDC_UPDATETO_TAG);
        return true;
    }
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_UPDATETO_HEAD:
    case IDC_UPDATETO_TAG:
    case IDC_UPDATETO_DATE:
        EnableFields();
        return true;
    case IDOK:
        if (::IsDlgButtonChecked(Window(), IDC_UPDATETO_TAG) == BST_CHECKED) {
            target = UpdateTarget::kTag;
            value = ItemText(IDC_UPDATETO_TAG_LIST);
            if (!IsValidTagName(value)) {
                ::MessageBoxA(Window(), ferrow::LoadResString(IDS_UPDATETO_TAG_EMPTY).c_str(),
                              ferrow::LoadResString(IDS_PROJNAME).c_str(), MB_ICONWARNING);
                return true;
            }
        } else if (::IsDlgButtonChecked(Window(), IDC_UPDATETO_DATE) == BST_CHECKED) {
            target = UpdateTarget::kDate;
            value = ItemText(IDC_UPDATETO_DATE_TEXT);
            if (!IsPlausibleDate(value)) {
                ::MessageBoxA(Window(), ferrow::LoadResString(IDS_UPDATETO_DATE_INVALID).c_str(),
                              ferrow::LoadResString(IDS_PROJNAME).c_str(), MB_ICONWARNING);
                return true;
            }
        } else {
            target = UpdateTarget::kHead;
            value.clear();
        }
        End(IDOK);
        return true;
    case IDCANCEL:
        End(IDCANCEL);
        return true;
    default:
        return false;
    }
}

std::string StickyStateText(const std::string& path) {
    std::string tagText;
    if (IsFolder(path)) {
        std::string line;
        if (ReadTag(path.c_str(), line) && !line.empty()) {
            // ReadTag drops a leading "T"; "N" and "D" keep their letter.
            tagText = (line[0] == 'N' || line[0] == 'D') ? line : "T" + line;
        }
    } else {
        CCVSEntry entry;
        if (FindEntry(path.c_str(), entry)) tagText = entry.TagDate;
    }
    const auto sticky = ReadSticky(tagText);
    if (sticky.first.empty()) return ferrow::LoadResString(IDS_UPDATETO_NO_STICKY);
    return ferrow::ReplaceAll(ferrow::LoadResString(IDS_UPDATETO_STICKY), "%1",
                              sticky.first == "date" ? "-D " + sticky.second : sticky.second);
}

HRESULT UpdateSelectionTo(const std::vector<std::string>& selection, HWND owner, const RetryOffer& offerRetry) {
    if (selection.empty()) return E_INVALIDARG;
    CUpdateToDlg dialog(selection);
    if (dialog.DoModal(owner) != IDOK) return E_ABORT;
    TemplateValues values;
    if (dialog.target == UpdateTarget::kTag) values.push_back({kRevisionVariable, QuoteArgument(dialog.value)});
    if (dialog.target == UpdateTarget::kDate) values.push_back({kDateVariable, QuoteArgument(dialog.value)});
    const std::string first = selection.front();
    const std::string folder = selection.size() == 1 && IsFolder(first) ? first : ParentFolder(first);
    return RunSteps(owner, IDS_CHANGES_OP_UPDATETO, folder,
                    {{UpdateToTemplate(dialog.target), selection, values}}, offerRetry,
                    [&] { return StickyStateText(first) + "\r\n"; });
}

}  // namespace changes

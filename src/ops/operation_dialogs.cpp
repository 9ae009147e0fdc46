#include "ops/operation_dialogs.h"

#include "exec/tools.h"
#include "ops/core/operation_rules.h"
#include "model/admin_files.h"
#include "settings/settings_store.h"

namespace ops {

namespace {

// For exactly one selected item with an entry: its revision and tag for display. False otherwise.
bool ReadEntryTexts(size_t itemCount, const std::string& path, std::string& revision, std::string& tag) {
    if (itemCount != 1) return false;
    CCVSEntry entry;
    if (!FindEntry(path.c_str(), entry)) return false;
    tag = TagForDisplay(entry.TagDate);
    revision = RevisionForDisplay(entry.Revision);
    return true;
}

}  // namespace

CCommitDlg::CCommitDlg()
    : CDialog(IDD_COMMIT),
      recentMessages(HKEY_CURRENT_USER, settings::kMRUKey, settings::kMRULogMessage, settings::kMRUCapacity) {}

BOOL CCommitDlg::OnInitDialog() {
    SetItemText(IDC_COMMIT_MESSAGE, message);
    if (ReadEntryTexts(itemCount, path, revisionText, tagText)) {
        SetItemText(IDC_TAG, tagText);
        SetItemText(IDC_REVISION, revisionText);
        ::EnableWindow(Item(IDC_COMMIT_COMPARE), TRUE);
    }
    if (recentMessages.Load()) settings::FillRecentList(Item(IDC_COMMIT_PREVIOUS), recentMessages);
    CenterOverOwner(centreOn);
    return TRUE;
}

bool CCommitDlg::OnCommand(WORD id, WORD code) {
    if (settings::TakePreviousEntry(Window(), id, code, IDC_COMMIT_PREVIOUS, IDC_COMMIT_MESSAGE)) return true;
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_COMMIT_COMPARE:
        CompareRevisions(path, nullptr, nullptr);
        return true;
    case IDOK:
        message = MakeOneLine(ItemText(IDC_COMMIT_MESSAGE));
        settings::RememberEntry(recentMessages, message);
        End(IDOK);
        return true;
    case IDCANCEL:
        End(IDCANCEL);
        return true;
    default:
        return false;
    }
}

CTagDlg::CTagDlg()
    : CDialog(IDD_TAG),
      recentTags(HKEY_CURRENT_USER, settings::kMRUKey, settings::kMRUTag, settings::kMRUCapacity) {}

BOOL CTagDlg::OnInitDialog() {
    ::CheckDlgButton(Window(), IDC_TAG_MOVE, moveFlag ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(Window(), IDC_TAG_CHECK, checkFlag ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(Window(), IDC_TAG_BRANCH, branchFlag ? BST_CHECKED : BST_UNCHECKED);
    if (ReadEntryTexts(itemCount, path, revisionText, tagText)) {
        SetItemText(IDC_TAG, tagText);
        SetItemText(IDC_REVISION, revisionText);
    }
    if (recentTags.Load()) settings::FillRecentList(Item(IDC_TAG_NAME), recentTags);
    SetItemText(IDC_TAG_NAME, tagName);
    CenterOverOwner(centreOn);
    return TRUE;
}

bool CTagDlg::OnCommand(WORD id, WORD code) {
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDOK:
        tagName = ItemText(IDC_TAG_NAME);
        moveFlag = ::IsDlgButtonChecked(Window(), IDC_TAG_MOVE) == BST_CHECKED;
        checkFlag = ::IsDlgButtonChecked(Window(), IDC_TAG_CHECK) == BST_CHECKED;
        branchFlag = ::IsDlgButtonChecked(Window(), IDC_TAG_BRANCH) == BST_CHECKED;
        // Without a name there is nothing to tag: the dialog stays open.
        if (tagName.empty()) return true;
        settings::RememberEntry(recentTags, tagName);
        End(IDOK);
        return true;
    case IDCANCEL:
        End(IDCANCEL);
        return true;
    default:
        return false;
    }
}

CCustomCmdDlg::CCustomCmdDlg()
    : CDialog(IDD_CUSTOM_COMMAND),
      recentCommandLines(HKEY_CURRENT_USER, settings::kMRUKey, settings::kMRUCustomCommand,
                         settings::kMRUCapacity) {}

BOOL CCustomCmdDlg::OnInitDialog() {
    SetItemText(IDC_CUSTOM_COMMAND, commandLine);
    if (recentCommandLines.Load()) settings::FillRecentList(Item(IDC_CUSTOM_PREVIOUS), recentCommandLines);
    CenterOverOwner(centreOn);
    return TRUE;
}

bool CCustomCmdDlg::OnCommand(WORD id, WORD code) {
    if (settings::TakePreviousEntry(Window(), id, code, IDC_CUSTOM_PREVIOUS, IDC_CUSTOM_COMMAND)) return true;
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDOK:
        commandLine = ItemText(IDC_CUSTOM_COMMAND);
        settings::RememberEntry(recentCommandLines, commandLine);
        End(IDOK);
        return true;
    case IDCANCEL:
        End(IDCANCEL);
        return true;
    default:
        return false;
    }
}

}  // namespace ops

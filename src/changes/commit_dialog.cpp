#include "changes/commit_dialog.h"

#include "changes/change_commands.h"
#include "changes/change_scan.h"
#include "common/core/replace_all.h"
#include "common/handles.h"
#include "common/module_instance.h"
#include "exec/command_line.h"
#include "ops/core/operation_rules.h"
#include "ops/launch.h"
#include "ops/message_file.h"
#include "resources/resource.h"
#include "settings/settings_store.h"

#include <commctrl.h>

#include <set>

namespace changes {

namespace {

std::string FileHead(const std::string& path) {
    ferrow::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::string();
    std::string head(kBinaryHeadSize, '\0');
    DWORD got = 0;
    if (!::ReadFile(file.Get(), &head[0], static_cast<DWORD>(head.size()), &got, nullptr)) got = 0;
    head.resize(got);
    return head;
}

std::vector<std::string> Full(const std::string& base, const std::vector<std::string>& paths) {
    std::vector<std::string> full;
    for (const std::string& path : paths) full.push_back(FullPath(base, path));
    return full;
}

}  // namespace

CCommitChangesDlg::CCommitChangesDlg(std::vector<std::string> selection, std::vector<std::string> checked)
    : CListDialog(IDD_CHANGES_COMMIT),
      selection_(std::move(selection)),
      initiallyChecked_(std::move(checked)),
      recentMessages_(HKEY_CURRENT_USER, settings::kMRUKey, settings::kMRULogMessage, settings::kMRUCapacity) {}

BOOL CCommitChangesDlg::OnInitDialog() {
    for (int id : {IDOK, IDCANCEL}) layout_.Add(Window(), id, CAnchorLayout::kMoveX | CAnchorLayout::kMoveY);
    layout_.Add(Window(), IDC_CHANGES_MESSAGE, CAnchorLayout::kGrowX);
    layout_.Add(Window(), IDC_CHANGES_PREVIOUS, CAnchorLayout::kGrowX);
    layout_.Add(Window(), IDC_CHANGES_LIST, CAnchorLayout::kGrowX | CAnchorLayout::kGrowY);
    layout_.Add(Window(), IDC_CHANGES_SUMMARY, CAnchorLayout::kMoveY | CAnchorLayout::kGrowX);

    list_.Attach(Item(IDC_CHANGES_LIST));
    list_.onChecksChanged = [this] { UpdateSummary(); };
    list_.onOpen = [this](const ChangeItem& row) { ShowDiff(base, row, Window()); };
    ScanResult scan;
    ScanChanges(selection_, scan);
    base = scan.base;
    list_.SetRows(std::move(scan.rows), false);
    if (!initiallyChecked_.empty()) {
        std::set<std::string> wanted;
        for (const std::string& path : initiallyChecked_) wanted.insert(path);
        for (size_t i = 0; i < list_.Rows().size(); ++i)
            list_.SetChecked(i, wanted.count(FullPath(base, list_.Rows()[i].path)) > 0);
    }
    ::SetWindowTextA(Window(),
                     ferrow::ReplaceAll(ferrow::LoadResString(IDS_CHANGES_COMMIT_TITLE), "%1", base).c_str());
    SetItemText(IDC_CHANGES_MESSAGE, message);
    if (recentMessages_.Load()) settings::FillRecentList(Item(IDC_CHANGES_PREVIOUS), recentMessages_);
    UpdateSummary();
    CenterOverOwner();
    ::SetFocus(Item(IDC_CHANGES_MESSAGE));
    return FALSE;
}

void CCommitChangesDlg::UpdateSummary() {
    const size_t checked = list_.CheckedCount();
    ::EnableWindow(Item(IDOK), checked > 0);
    std::string text = list_.Rows().empty()
                           ? ferrow::LoadResString(IDS_CHANGES_NOTHING)
                           : ferrow::ReplaceAll(ferrow::ReplaceAll(ferrow::LoadResString(IDS_CHANGES_COUNT), "%1",
                                                                   std::to_string(checked)),
                                                "%2", std::to_string(list_.Rows().size()));
    SetItemText(IDC_CHANGES_SUMMARY, text);
}

bool CCommitChangesDlg::OnCommand(WORD id, WORD code) {
    if (settings::TakePreviousEntry(Window(), id, code, IDC_CHANGES_PREVIOUS, IDC_CHANGES_MESSAGE)) return true;
    if (code != BN_CLICKED) return false;
    if (id == IDOK) {
        if (list_.CheckedCount() == 0) return true;
        message = ItemText(IDC_CHANGES_MESSAGE);
        settings::RememberEntry(recentMessages_, message);
        rows = list_.CheckedRows();
        End(IDOK);
        return true;
    }
    if (id == IDCANCEL) {
        End(IDCANCEL);
        return true;
    }
    return false;
}

std::vector<CommandStep> CommitSteps(const std::string& base, const std::vector<ChangeItem>& checked,
                                     const std::string& message, const std::string& messageFile) {
    const CommitPlan plan = PlanCommit(checked, [&](const std::string& path) {
        return IsBinaryName(path) || LooksBinary(FileHead(FullPath(base, path)));
    });
    std::vector<CommandStep> steps;
    steps.push_back({"$(CVS) add $(Names)", Full(base, plan.addText), {}});
    steps.push_back({"$(CVS) add -kb $(Names)", Full(base, plan.addBinary), {}});
    steps.push_back({"$(CVS) remove $(Names)", Full(base, plan.remove), {}});
    // Through a file the message reaches the client byte for byte; on the command line only when no file
    // could be written.
    if (!messageFile.empty()) {
        steps.push_back({ops::CommitFileTemplate(), Full(base, plan.commit),
                         {{ops::kMessageFileVariable, QuoteArgument(messageFile)}}});
    } else {
        steps.push_back({"$(CVS) -q commit -m $(Message) $(Names)", Full(base, plan.commit),
                         {{"$(Message)", QuoteArgument(message)}}});
    }
    return steps;
}

HRESULT CommitSelection(const std::vector<std::string>& selection, HWND owner, const RetryOffer& offerRetry,
                        const std::vector<std::string>& checked) {
    CCommitChangesDlg dialog(selection, checked);
    if (dialog.DoModal(owner) != IDOK) return E_ABORT;
    ops::MessageFile file(dialog.message);
    return RunSteps(owner, IDS_CHANGES_OP_COMMIT, dialog.base,
                    CommitSteps(dialog.base, dialog.rows, dialog.message, file.Path()), offerRetry);
}

void ShowDiff(const std::string& base, const ChangeItem& row, HWND owner) {
    if (IsUnversioned(row) || row.local == IDS_CHANGES_MISSING || row.directory) return;
    ops::StartProgram("diff", {FullPath(base, row.path)}, owner);
}

}  // namespace changes

#include "changes/check_window.h"

#include "changes/change_commands.h"
#include "changes/change_scan.h"
#include "changes/commit_dialog.h"
#include "changes/core/update_output.h"
#include "common/core/replace_all.h"
#include "common/module_instance.h"
#include "exec/command_line.h"
#include "resources/resource.h"

#include <commctrl.h>
#include <shellapi.h>

namespace changes {

namespace {

constexpr int kRowButtons[] = {IDC_CHANGES_DIFF, IDC_CHANGES_COMMIT, IDC_CHANGES_UNDO,
                               IDC_CHANGES_ADD,  IDC_CHANGES_REMOVE, IDC_CHANGES_UPDATE};

bool Confirm(HWND owner, unsigned textId, size_t count) {
    const std::string text = ferrow::ReplaceAll(ferrow::LoadResString(textId), "%1", std::to_string(count));
    return ::MessageBoxA(owner, text.c_str(), ferrow::LoadResString(IDS_PROJNAME).c_str(),
                         MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) == IDOK;
}

// The client's paths (relative to the folder it ran in) as paths relative to the list's base; a path
// outside the base is left out.
std::vector<RemoteState> RelativeToBase(std::vector<RemoteState> states, const std::string& ranIn,
                                        const std::string& base) {
    std::vector<RemoteState> kept;
    for (RemoteState& state : states) {
        const std::string full = FullPath(ranIn, state.path);
        if (full.size() <= base.size() + 1 || ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, full.c_str(),
                                                               static_cast<int>(base.size()), base.c_str(),
                                                               static_cast<int>(base.size())) != CSTR_EQUAL ||
            full[base.size()] != '\\')
            continue;
        state.path = full.substr(base.size() + 1);
        kept.push_back(std::move(state));
    }
    return kept;
}

}  // namespace

CCheckDlg::CCheckDlg(std::vector<std::string> selection, RetryOffer offerRetry)
    : CListDialog(IDD_CHANGES_CHECK), selection_(std::move(selection)), offerRetry_(std::move(offerRetry)) {}

BOOL CCheckDlg::OnInitDialog() {
    layout_.Add(Window(), IDC_CHANGES_LIST, CAnchorLayout::kGrowX | CAnchorLayout::kGrowY);
    layout_.Add(Window(), IDC_CHANGES_SUMMARY, CAnchorLayout::kMoveY | CAnchorLayout::kGrowX);
    for (int id : kRowButtons) layout_.Add(Window(), id, CAnchorLayout::kMoveY);
    for (int id : {IDC_CHANGES_CHECK_REPO, IDC_CHANGES_REFRESH, IDCANCEL})
        layout_.Add(Window(), id, CAnchorLayout::kMoveX | CAnchorLayout::kMoveY);
    list_.Attach(Item(IDC_CHANGES_LIST));
    list_.onChecksChanged = [this] { UpdateButtons(); };
    list_.onOpen = [this](const ChangeItem& row) { ShowDiff(base_, row, Window()); };
    Refresh(false);
    ::SetWindowTextA(Window(),
                     ferrow::ReplaceAll(ferrow::LoadResString(IDS_CHANGES_CHECK_TITLE), "%1", base_).c_str());
    CenterOverOwner();
    ::SetFocus(Item(IDC_CHANGES_LIST));
    return FALSE;
}

void CCheckDlg::Refresh(bool repository) {
    ScanResult scan;
    ScanChanges(selection_, scan);
    base_ = scan.base;
    std::string note;
    if (repository) {
        ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
        SetItemText(IDC_CHANGES_SUMMARY, ferrow::LoadResString(IDS_CHANGES_CHECKING));
        std::string ranIn, out, err;
        const HRESULT hr = CaptureCommand(Window(), "$(CVS) -n -q update $(Names)", selection_, offerRetry_, ranIn, out, err);
        const std::vector<RemoteState> states = ParseUpdateOutput(out, err);
        if (FAILED(hr) && states.empty()) {
            const std::string text = ferrow::LoadResString(IDS_CHANGES_CHECK_FAILED) + "\r\n\r\n" + err;
            ::MessageBoxA(Window(), text.c_str(), ferrow::LoadResString(IDS_ERROR_CAPTION).c_str(), MB_ICONERROR);
        } else {
            MergeRemote(RelativeToBase(states, ranIn, base_), scan.rows);
            note = ferrow::LoadResString(IDS_CHANGES_CHECKED_AT);
        }
    }
    list_.SetRows(std::move(scan.rows), true);
    if (!note.empty()) SetItemText(IDC_CHANGES_SUMMARY, note);
}

void CCheckDlg::UpdateButtons() {
    const size_t checked = list_.CheckedCount();
    for (int id : kRowButtons) ::EnableWindow(Item(id), checked > 0);
    SetItemText(IDC_CHANGES_SUMMARY,
                list_.Rows().empty()
                    ? ferrow::LoadResString(IDS_CHANGES_NOTHING)
                    : ferrow::ReplaceAll(ferrow::ReplaceAll(ferrow::LoadResString(IDS_CHANGES_COUNT), "%1",
                                                            std::to_string(checked)),
                                         "%2", std::to_string(list_.Rows().size())));
}

std::vector<std::string> CCheckDlg::CheckedFullPaths(bool versioned, bool unversioned) const {
    std::vector<std::string> paths;
    for (const ChangeItem& row : list_.CheckedRows()) {
        if (IsUnversioned(row) ? unversioned : versioned) paths.push_back(FullPath(base_, row.path));
    }
    return paths;
}

void CCheckDlg::RunOnChecked(WORD id) {
    switch (id) {
    case IDC_CHANGES_DIFF:
        for (const ChangeItem& row : list_.CheckedRows()) ShowDiff(base_, row, Window());
        return;  // nothing changes
    case IDC_CHANGES_COMMIT:
        CommitSelection(selection_, Window(), offerRetry_, CheckedFullPaths(true, true));
        break;
    case IDC_CHANGES_UNDO: {
        const std::vector<std::string> paths = CheckedFullPaths(true, false);
        if (paths.empty() || !Confirm(Window(), IDS_CHANGES_UNDO_CONFIRM, paths.size())) return;
        RunSteps(Window(), IDS_CHANGES_OP_UNDO, base_, {{"$(CVS) update -C $(Names)", paths, {}}}, offerRetry_);
        break;
    }
    case IDC_CHANGES_ADD: {
        std::vector<ChangeItem> rows;
        for (const ChangeItem& row : list_.CheckedRows()) {
            if (IsUnversioned(row)) rows.push_back(row);
        }
        std::vector<CommandStep> steps = CommitSteps(base_, rows, std::string(), std::string());
        steps.resize(2);  // the two adds of the commit's plan, no commit
        RunSteps(Window(), IDS_CHANGES_OP_ADD, base_, steps, offerRetry_);
        break;
    }
    case IDC_CHANGES_REMOVE: {
        const std::vector<std::string> paths = CheckedFullPaths(true, false);
        if (paths.empty() || !Confirm(Window(), IDS_CHANGES_REMOVE_CONFIRM, paths.size())) return;
        // The local copies go to the Recycle Bin first; the client then schedules the removal.
        std::string from;
        for (const std::string& path : paths) {
            if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
            from += path;
            from += '\0';
        }
        if (!from.empty()) {
            from += '\0';
            SHFILEOPSTRUCTA op = {};
            op.hwnd = Window();
            op.wFunc = FO_DELETE;
            op.pFrom = from.c_str();
            op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
            if (::SHFileOperationA(&op) != 0 || op.fAnyOperationsAborted) break;
        }
        RunSteps(Window(), IDS_CHANGES_OP_REMOVE, base_, {{"$(CVS) remove $(Names)", paths, {}}}, offerRetry_);
        break;
    }
    case IDC_CHANGES_UPDATE:
        RunSteps(Window(), IDS_CHANGES_OP_UPDATE, base_,
                 {{"$(CVS) -q update $(Names)", CheckedFullPaths(true, false), {}}}, offerRetry_);
        break;
    default:
        return;
    }
    Refresh(false);
}

bool CCheckDlg::OnCommand(WORD id, WORD code) {
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_CHANGES_CHECK_REPO:
        Refresh(true);
        return true;
    case IDC_CHANGES_REFRESH:
        Refresh(false);
        return true;
    case IDCANCEL:
        End(IDCANCEL);
        return true;
    default:
        for (int button : kRowButtons) {
            if (button == id) {
                RunOnChecked(id);
                return true;
            }
        }
        return false;
    }
}

HRESULT ShowCheckForModifications(const std::vector<std::string>& selection, HWND owner,
                                  const RetryOffer& offerRetry) {
    CCheckDlg dialog(selection, offerRetry);
    dialog.DoModal(owner);
    return S_OK;
}

}  // namespace changes

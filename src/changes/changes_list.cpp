#include "changes/changes_list.h"

#include "common/module_instance.h"
#include "resources/resource.h"

#include <commctrl.h>

#include <set>

namespace changes {

namespace {

constexpr int kGroupChanged = 1;
constexpr int kGroupUnversioned = 2;

std::wstring Wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

void AddGroup(HWND list, int id, unsigned textId) {
    std::wstring text = Wide(ferrow::LoadResString(textId));
    LVGROUP group = {};
    group.cbSize = sizeof group;
    group.mask = LVGF_HEADER | LVGF_GROUPID;
    group.pszHeader = &text[0];
    group.iGroupId = id;
    ListView_InsertGroup(list, -1, &group);
}

std::string StateText(unsigned id) { return id ? ferrow::LoadResString(id) : std::string(); }

}  // namespace

void CChangesList::Attach(HWND list) {
    list_ = list;
    ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    const unsigned columns[] = {IDS_CHANGES_COL_PATH, IDS_CHANGES_COL_STATE, IDS_CHANGES_COL_REPOSITORY};
    for (int i = 0; i < 3; ++i) {
        std::string text = ferrow::LoadResString(columns[i]);
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = &text[0];
        column.cx = 100;
        column.iSubItem = i;
        ::SendMessageA(list_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    // Groups need the version 6 controls (the program's manifest); without them the order alone
    // separates the unversioned rows.
    if (ListView_EnableGroupView(list_, TRUE) >= 0) {
        AddGroup(list_, kGroupChanged, IDS_CHANGES_GROUP_CHANGED);
        AddGroup(list_, kGroupUnversioned, IDS_CHANGES_GROUP_UNVERSIONED);
    }
    FitColumns();
}

void CChangesList::FitColumns() {
    RECT client = {};
    ::GetClientRect(list_, &client);
    const int width = client.right - client.left - ::GetSystemMetrics(SM_CXVSCROLL);
    const int state = width / 5;
    ListView_SetColumnWidth(list_, 0, width - 2 * state);
    ListView_SetColumnWidth(list_, 1, state);
    ListView_SetColumnWidth(list_, 2, state);
}

void CChangesList::SetRows(std::vector<ChangeItem> rows, bool keepChecks) {
    std::set<std::string> checkedBefore, listedBefore;
    if (keepChecks) {
        for (size_t i = 0; i < rows_.size(); ++i) {
            listedBefore.insert(rows_[i].path);
            if (IsChecked(i)) checkedBefore.insert(rows_[i].path);
        }
    }
    filling_ = true;
    ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list_);
    rows_ = std::move(rows);
    for (size_t i = 0; i < rows_.size(); ++i) {
        const ChangeItem& row = rows_[i];
        std::string path = row.directory ? row.path + "\\" : row.path;
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_GROUPID | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = &path[0];
        item.iGroupId = IsUnversioned(row) ? kGroupUnversioned : kGroupChanged;
        item.lParam = static_cast<LPARAM>(i);
        const int at = static_cast<int>(::SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (at < 0) continue;
        std::string state = StateText(row.local), remote = StateText(row.remote);
        LVITEMA sub = {};
        sub.iSubItem = 1;
        sub.pszText = &state[0];
        ::SendMessageA(list_, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sub));
        sub.iSubItem = 2;
        sub.pszText = &remote[0];
        ::SendMessageA(list_, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sub));
        const bool checked = keepChecks && listedBefore.count(row.path) ? checkedBefore.count(row.path) > 0
                                                                          : CheckedByDefault(row);
        ListView_SetCheckState(list_, at, checked);
    }
    if (!rows_.empty()) ListView_SetItemState(list_, 0, LVIS_FOCUSED, LVIS_FOCUSED);
    ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    filling_ = false;
    if (onChecksChanged) onChecksChanged();
}

bool CChangesList::IsChecked(size_t row) const {
    return list_ && row < rows_.size() && ListView_GetCheckState(list_, static_cast<int>(row)) != 0;
}

void CChangesList::SetChecked(size_t row, bool checked) {
    if (row < rows_.size()) ListView_SetCheckState(list_, static_cast<int>(row), checked);
}

std::vector<ChangeItem> CChangesList::CheckedRows() const {
    std::vector<ChangeItem> checked;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (IsChecked(i)) checked.push_back(rows_[i]);
    }
    return checked;
}

std::vector<std::string> CChangesList::CheckedPaths() const {
    std::vector<std::string> paths;
    for (const ChangeItem& row : CheckedRows()) paths.push_back(row.path);
    return paths;
}

size_t CChangesList::CheckedCount() const {
    size_t count = 0;
    for (size_t i = 0; i < rows_.size(); ++i) count += IsChecked(i) ? 1 : 0;
    return count;
}

bool CChangesList::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != list_) return false;
    switch (header.code) {
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (!filling_ && (change.uChanged & LVIF_STATE) &&
            ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) && onChecksChanged)
            onChecksChanged();
        return false;
    }
    case NM_DBLCLK: {
        const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
        if (activate.iItem >= 0 && static_cast<size_t>(activate.iItem) < rows_.size() && onOpen)
            onOpen(rows_[static_cast<size_t>(activate.iItem)]);
        result = 0;
        return true;
    }
    case LVN_KEYDOWN: {
        const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
        const bool control = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
        if (key.wVKey == 'A' && control) {
            ListView_SetItemState(list_, -1, LVIS_SELECTED, LVIS_SELECTED);
        } else if (key.wVKey == VK_RETURN) {
            const int focused = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
            if (focused >= 0 && static_cast<size_t>(focused) < rows_.size() && onOpen)
                onOpen(rows_[static_cast<size_t>(focused)]);
        } else if (key.wVKey == VK_SPACE && ListView_GetSelectedCount(list_) > 1) {
            // The control toggles the focused row itself; the other selected rows follow it.
            const int focused = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
            const bool target = focused >= 0 && !IsChecked(static_cast<size_t>(focused));
            for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0;
                 i = ListView_GetNextItem(list_, i, LVNI_SELECTED)) {
                if (i != focused) ListView_SetCheckState(list_, i, target);
            }
        }
        return false;
    }
    default:
        return false;
    }
}

}  // namespace changes

// The "History" page: the revisions of one file from its full log (fetched on a worker thread), as a list
// or as a tree of branches; View and Compare in Ferrow.exe, Save as through the external tools.
#include "propsheet/prop_sheet_ext.h"

#include "common/dialog.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "exec/tools.h"
#include "model/admin_files.h"
#include "ops/launch.h"
#include "propsheet/core/history_tree.h"
#include "propsheet/log_fetch.h"
#include "exec/log_reader.h"
#include "resources/resource.h"

#include <memory>
#include <vector>

namespace propsheet {

namespace {

struct ListColumn {
    UINT title;
    int width;
};
const ListColumn kColumns[] = {{IDS_HIST_REVISION, 60}, {IDS_HIST_DATE, 115}, {IDS_HIST_AUTHOR, 85},
                               {IDS_HIST_CHANGES, 60},  {IDS_HIST_STATE, 60}, {IDS_HIST_MESSAGE, 300}};

bool ListShown(HWND page) {
    return (::GetWindowLongA(::GetDlgItem(page, IDC_HISTORY_LIST), GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string RowRevision(HWND list, int row) {
    char text[256] = {};
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(sizeof(text));
    ::SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

// The selected revisions: the count (0, 1 or 2) and their texts, the upper (newer) row first.
int SelectedRevisions(HWND page, std::string& first, std::string& second) {
    HWND list = ::GetDlgItem(page, IDC_HISTORY_LIST);
    if (ListShown(page)) {
        const int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        if (row < 0) return 0;
        first = RowRevision(list, row);
        const int next = ListView_GetNextItem(list, row, LVNI_SELECTED);
        if (next < 0) return 1;
        second = RowRevision(list, next);
        return 2;
    }
    HWND tree = ::GetDlgItem(page, IDC_HISTORY_TREE);
    HTREEITEM item = TreeView_GetSelection(tree);
    if (!item) return 0;
    TVITEMA data = {};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!TreeView_GetItem(tree, &data) || data.lParam < 0) return 0;  // the root or a branch node
    first = RowRevision(list, static_cast<int>(data.lParam));
    return 1;
}

std::string PagePath(HWND page) {
    char path[MAX_PATH] = {};
    ::GetDlgItemTextA(page, IDC_HISTORY_PATH, path, MAX_PATH);
    return path;
}

void UpdateButtons(HWND page) {
    std::string first, second;
    const HistoryButtons b = ButtonsForSelection(SelectedRevisions(page, first, second));
    ::EnableWindow(::GetDlgItem(page, IDC_HISTORY_VIEW), b.View);
    ::EnableWindow(::GetDlgItem(page, IDC_HISTORY_SAVE), b.SaveAs);
    ::EnableWindow(::GetDlgItem(page, IDC_HISTORY_COMPARE), b.Compare);
    ::EnableWindow(::GetDlgItem(page, IDC_HISTORY_MERGE), b.Merge);
}

void ShowList(HWND page, bool list) {
    ::ShowWindow(::GetDlgItem(page, IDC_HISTORY_TREE), list ? SW_HIDE : SW_SHOW);
    ::ShowWindow(::GetDlgItem(page, IDC_HISTORY_LIST), list ? SW_SHOW : SW_HIDE);
    UpdateButtons(page);
}

// View and Compare run in the program, which fetches the revisions with a Cancel of its own: nothing of
// theirs waits in the shell's process.
void View(HWND page) {
    const std::string path = PagePath(page);
    std::string first, second;
    if (path.empty() || SelectedRevisions(page, first, second) == 0) return;
    ops::StartProgram("view", {path}, ::GetAncestor(page, GA_ROOT), L"/rev:" + ferrow::AnsiToWide(first));
}

void SaveAs(HWND page) {
    const std::string path = PagePath(page);
    std::string first, second;
    if (path.empty() || SelectedRevisions(page, first, second) == 0) return;
    SaveRevisionAs(path, first);
}

void Compare(HWND page) {
    const std::string path = PagePath(page);
    std::string first, second;
    const int n = SelectedRevisions(page, first, second);
    if (path.empty() || n == 0) return;
    // Two rows: the lower (older) row is the old one; one row: against the working file (no /rev2).
    const std::wstring extra = n == 2 ? L"/rev1:" + ferrow::AnsiToWide(second) + L" /rev2:" + ferrow::AnsiToWide(first)
                                      : L"/rev1:" + ferrow::AnsiToWide(first);
    ops::StartProgram("compare", {path}, ::GetAncestor(page, GA_ROOT), extra);
}

void FillList(HWND list, const CCVSLog& log, const std::string& working) {
    for (size_t i = 0; i < log.Revisions.size(); ++i) {
        const CCVSRevision& r = log.Revisions[i];
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(r.Revision.c_str());
        item.iImage = RevisionImage(r.Revision, working);
        const int row = static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0) continue;
        const std::string* texts[] = {&r.Date, &r.Author, &r.Lines, &r.State, &r.Message};
        for (int column = 1; column <= 5; ++column) {
            LVITEMA sub = {};
            sub.iSubItem = column;
            sub.pszText = const_cast<char*>(texts[column - 1]->c_str());
            ::SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
        }
    }
}

void FillTree(HWND tree, const CHistoryTree& data) {
    std::vector<HTREEITEM> handles(data.Nodes.size(), nullptr);
    for (size_t i = 0; i < data.Nodes.size(); ++i) {
        const CHistoryNode& node = data.Nodes[i];
        TVINSERTSTRUCTA insert = {};
        insert.hParent = node.Parent >= 0 ? handles[node.Parent] : TVI_ROOT;
        insert.hInsertAfter = TVI_FIRST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        insert.item.pszText = const_cast<char*>(node.Label.c_str());
        insert.item.iImage = node.Image;
        insert.item.iSelectedImage = node.SelectedImage;
        insert.item.lParam = static_cast<LPARAM>(node.Param);
        handles[i] = reinterpret_cast<HTREEITEM>(
            ::SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    if (data.WorkingNode >= 0 && handles[data.WorkingNode]) {
        // Selecting brings the working revision into view; the selection itself is not kept.
        TreeView_SelectItem(tree, handles[data.WorkingNode]);
        TreeView_SelectItem(tree, nullptr);
    }
}

// One row that says what the list is waiting for, in a list that takes no selection meanwhile.
void ShowListNote(HWND list, UINT text) {
    ListView_DeleteAllItems(list);
    const std::string note = ferrow::LoadResString(text);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>(note.c_str());
    ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    ::EnableWindow(list, FALSE);
}

// Sets up the views; the log is fetched by the page.
void FillPage(HWND page, CCVSPropSheetExt* owner) {
    if (owner->Selection().empty()) return;
    const std::string path = owner->Selection()[0];

    ::CheckRadioButton(page, IDC_HISTORY_SHOW_LIST, IDC_HISTORY_SHOW_TREE, IDC_HISTORY_SHOW_LIST);
    ::SetDlgItemTextA(page, IDC_HISTORY_PATH, path.c_str());

    HWND list = ::GetDlgItem(page, IDC_HISTORY_LIST);
    HWND tree = ::GetDlgItem(page, IDC_HISTORY_TREE);
    for (int i = 0; i < 6; ++i) {
        const std::string title = ferrow::LoadResString(kColumns[i].title);
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = kColumns[i].width;
        column.pszText = const_cast<char*>(title.c_str());
        column.iSubItem = i;
        ::SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    TreeView_SetImageList(tree, owner->ImageList(), TVSIL_NORMAL);
    // The list must never destroy the object's image list.
    ::SetWindowLongA(list, GWL_STYLE, ::GetWindowLongA(list, GWL_STYLE) | LVS_SHAREIMAGELISTS);
    ListView_SetImageList(list, owner->ImageList(), LVSIL_SMALL);
}

class CHistoryPage : public CSheetPage {
public:
    using CSheetPage::CSheetPage;

protected:
    BOOL OnInitDialog() override {
        FillPage(Window(), Owner());
        StartFetch();
        UpdateButtons(Window());  // nothing is selected yet: all disabled
        return FALSE;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM) override {
        if (message == kLogFetched) {
            if (fetch_ && fetch_->Number() == wParam) Fetched();
            return true;
        }
        if (message == WM_DESTROY) fetch_.reset();  // cancels a running log
        return false;
    }
    bool OnCommand(WORD id, WORD) override {
        HWND page = Window();
        switch (id) {
        case IDC_HISTORY_SHOW_LIST: ShowList(page, true); break;
        case IDC_HISTORY_SHOW_TREE: ShowList(page, false); break;
        case IDC_HISTORY_VIEW: View(page); break;
        case IDC_HISTORY_SAVE: SaveAs(page); break;
        case IDC_HISTORY_COMPARE: Compare(page); break;
        default: break;  // "Merge" has no action on this page
        }
        return false;
    }
    bool OnNotify(const NMHDR& header, LRESULT& result) override {
        const bool fromViews = header.idFrom == IDC_HISTORY_LIST || header.idFrom == IDC_HISTORY_TREE;
        if (header.code == static_cast<UINT>(LVN_ITEMCHANGED) || header.code == static_cast<UINT>(TVN_SELCHANGEDA) ||
            header.code == static_cast<UINT>(TVN_SELCHANGEDW)) {
            if (fromViews) UpdateButtons(Window());
        } else if (header.code == static_cast<UINT>(NM_DBLCLK)) {
            if (fromViews) View(Window());
        }
        return CSheetPage::OnNotify(header, result);
    }

private:
    void StartFetch() {
        if (Owner()->Selection().empty()) return;
        const std::string path = Owner()->Selection()[0];
        HWND list = Item(IDC_HISTORY_LIST);
        ShowListNote(list, IDS_PAGE_LOG_LOADING);
        CCVSLog* log = &log_;
        fetch_ = std::make_unique<LogFetch>(Window(), 1, [path, log](CRunFrame* frame) {
            return GetLog(path.c_str(), *log, frame);
        });
        if (!fetch_->Started()) {
            fetch_.reset();
            ShowListNote(list, IDS_PAGE_LOG_FAILED);
        }
    }
    void Fetched() {
        const bool ok = fetch_->Succeeded();
        fetch_.reset();
        HWND list = Item(IDC_HISTORY_LIST);
        if (!ok) {
            ShowListNote(list, IDS_PAGE_LOG_FAILED);
            return;
        }
        const std::string path = Owner()->Selection()[0];
        CCVSEntry entry;
        const std::string working = FindEntry(path.c_str(), entry) ? WorkingRevision(entry.Revision) : std::string();
        ListView_DeleteAllItems(list);
        ::EnableWindow(list, TRUE);
        FillList(list, log_, working);
        FillTree(Item(IDC_HISTORY_TREE), BuildHistoryTree(log_, working));
        UpdateButtons(Window());
    }

    std::unique_ptr<LogFetch> fetch_;
    CCVSLog log_;  // the worker's, until kLogFetched
};

}  // namespace

INT_PTR CALLBACK HistoryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return ferrow::CDialog::SheetPageProc<CHistoryPage, CCVSPropSheetExt>(page, message, wParam, lParam);
}

}  // namespace propsheet

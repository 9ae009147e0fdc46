// The Properties pages of a file with a branch and tags, filled from the real client's log.
#include "e2e/e2e_support.h"

#include "common/module_instance.h"
#include "hostsupport/hdrop_data_object.h"
#include "hostsupport/band_host.h"
#include "resources/resource.h"
#include "com/guids.h"
#include "support/settings_guard.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstring>

namespace {

std::vector<HPROPSHEETPAGE>* g_pages = nullptr;

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM) {
    g_pages->push_back(page);
    return TRUE;
}

// The handler's pages in a modeless sheet, each page created by selecting it.
class Sheet {
public:
    explicit Sheet(const std::vector<std::string>& paths) {
        handler_ = e2e::Create<IShellExtInit>(CLSID_CCVSPropSheetExt);
        if (!handler_) return;
        auto data = ferrow::MakeHDropDataObject(paths);
        if (handler_->Initialize(nullptr, data.Get(), nullptr) != S_OK) return;
        ferrow::ComPtr<IShellPropSheetExt> sheet;
        if (FAILED(handler_.As(sheet))) return;
        std::vector<HPROPSHEETPAGE> pages;
        g_pages = &pages;
        sheet->AddPages(CollectPage, 0);
        g_pages = nullptr;
        pageCount_ = pages.size();
        if (pages.empty()) return;
        PROPSHEETHEADERA header = {};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
        header.pszCaption = "Properties";
        header.nPages = static_cast<UINT>(pages.size());
        header.phpage = pages.data();
        window_ = reinterpret_cast<HWND>(::PropertySheetA(&header));
        for (UINT i = 0; i < header.nPages; ++i) PropSheet_SetCurSel(window_, nullptr, i);
        // The pages fetch their logs on workers and fill in when the results are posted.
        for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 20000 && Loading(); ::Sleep(10)) {
            CBandHost::PumpMessages();
        }
    }
    bool Loading() const {
        const std::string loading = ferrow::LoadResString(IDS_PAGE_LOG_LOADING);
        for (size_t i = 0; i < pageCount_; ++i) {
            HWND page = Page(static_cast<int>(i));
            if (::GetDlgItem(page, IDC_CVS_LOG) && e2e::ItemText(page, IDC_CVS_LOG) == loading) return true;
            char row[256] = {};
            if (HWND list = ::GetDlgItem(page, IDC_HISTORY_LIST)) ListView_GetItemText(list, 0, 0, row, sizeof row);
            if (loading == row) return true;
        }
        return false;
    }
    ~Sheet() {
        if (window_) ::DestroyWindow(window_);
    }
    size_t PageCount() const { return pageCount_; }
    HWND Page(int index) const { return window_ ? PropSheet_IndexToHwnd(window_, index) : nullptr; }

private:
    ferrow::ComPtr<IShellExtInit> handler_;
    size_t pageCount_ = 0;
    HWND window_ = nullptr;
};

// The tree's labels below a node, in shown order, with their children in brackets.
std::string TreeShape(HWND tree, HTREEITEM parent) {
    std::string out;
    for (HTREEITEM item = TreeView_GetChild(tree, parent); item; item = TreeView_GetNextSibling(tree, item)) {
        char text[256] = {};
        TVITEMA data = {};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = sizeof text;
        TreeView_GetItem(tree, &data);
        if (!out.empty()) out += ' ';
        out += text;
        const std::string below = TreeShape(tree, item);
        if (!below.empty()) out += "[" + below + "]";
    }
    return out;
}

// The list's rows as "revision/author/state" with "*" on the row that carries the working-copy image.
std::string Rows(HWND list) {
    std::string out;
    const int count = ListView_GetItemCount(list);
    for (int row = 0; row < count; ++row) {
        char cells[6][256] = {};
        LVITEMA item = {};
        item.iItem = row;
        for (int column = 0; column < 6; ++column) {
            item.mask = LVIF_TEXT | (column == 0 ? LVIF_IMAGE : 0);
            item.iSubItem = column;
            item.pszText = cells[column];
            item.cchTextMax = sizeof cells[column];
            ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            if (column == 0 && item.iImage == 3) std::strcat(cells[0], "*");
        }
        if (!out.empty()) out += ' ';
        out += std::string(cells[0]) + "/" + cells[4] + "/" + cells[5];
    }
    return out;
}

class Pages : public ::testing::Test {
protected:
    testing_support::SettingsGuard settings_;
    e2e::Sandbox box_;
};

TEST_F(Pages, CvsPageShowsTheFilesLog) {
    Sheet sheet({box_ / "hist.c"});
    ASSERT_EQ(2u, sheet.PageCount());
    HWND page = sheet.Page(0);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(box_.Root(), e2e::ItemText(page, IDC_CVS_ROOT));
    EXPECT_EQ("proj", e2e::ItemText(page, IDC_CVS_REPOSITORY));
    EXPECT_EQ("", e2e::ItemText(page, IDC_CVS_TAG));
    const std::string log = e2e::ItemText(page, IDC_CVS_LOG);
    for (const char* part : {"RCS file: ", "Working file: hist.c", "\tREL_2: 1.3\r\n", "\tBR_1: 1.2.0.2\r\n",
                             "\tREL_1: 1.2\r\n", "revision 1.3\r\n", "third revision\r\n", "revision 1.2.2.1\r\n",
                             "on the branch\r\n", "first import\r\n"}) {
        EXPECT_NE(std::string::npos, log.find(part)) << part << " in\n" << log;
    }
}

TEST_F(Pages, CvsPageOfAStickyFolder) {
    ASSERT_EQ(0u, e2e::RunCvs(box_.Wc(), "-Q update -r REL_1").exitCode);
    Sheet sheet({box_.Wc(), box_ / "hist.c"});
    ASSERT_EQ(1u, sheet.PageCount());  // two items: no History page
    HWND page = sheet.Page(0);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ("NREL_1", e2e::ItemText(page, IDC_CVS_TAG));  // a non-branch tag keeps its letter
    EXPECT_EQ("proj", e2e::ItemText(page, IDC_CVS_REPOSITORY));
}

TEST_F(Pages, HistoryOfAFileWithABranchAndTags) {
    Sheet sheet({box_ / "hist.c"});
    ASSERT_EQ(2u, sheet.PageCount());
    HWND page = sheet.Page(1);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(box_ / "hist.c", e2e::ItemText(page, IDC_HISTORY_PATH));
    // The client's "branches:" line after a branch point's date line is read as the start of the message.
    EXPECT_EQ("1.3*/Exp/third revision 1.2/Exp/branches:  1.2.2; / second revision "
              "1.1/Exp/branches:  1.1.1; / Initial revision 1.1.1.1/Exp/first import 1.2.2.1/Exp/on the branch",
              Rows(::GetDlgItem(page, IDC_HISTORY_LIST)));
    EXPECT_EQ("1[1.1[1.1.1  vendor[1.1.1.1  start]] 1.2  REL_1[1.2.2  BR_1[1.2.2.1]] 1.3  REL_2]",
              TreeShape(::GetDlgItem(page, IDC_HISTORY_TREE), TVI_ROOT));
}

}  // namespace

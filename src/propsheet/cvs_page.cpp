// The "CVS" page: root, repository and tag of the first selected item, the selected paths, and the local
// log of the path chosen among them.
#include "propsheet/prop_sheet_ext.h"

#include "common/dialog.h"
#include "model/admin_files.h"
#include "exec/log_reader.h"
#include "resources/resource.h"

namespace propsheet {

namespace {

// Shows the local log of the path chosen in the File list; on failure the log keeps what it showed.
void ShowChosenLog(HWND page) {
    HWND files = ::GetDlgItem(page, IDC_CVS_FILES);
    const LRESULT index = ::SendMessageA(files, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return;
    // The entry must fit the 260-character buffer it is read into.
    const LRESULT length = ::SendMessageA(files, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR || length >= MAX_PATH) return;
    char path[MAX_PATH] = {};
    if (::SendMessageA(files, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(path)) == CB_ERR) return;
    std::string text;
    if (GetLocalLogText(path, text)) ::SetDlgItemTextA(page, IDC_CVS_LOG, text.c_str());
}

void FillPage(HWND page, CCVSPropSheetExt* owner) {
    owner->SetCvsPageWindow(page);
    const std::vector<std::string>& selection = owner->Selection();
    if (selection.empty()) return;
    std::string text;
    if (ReadRoot(selection[0].c_str(), text)) ::SetDlgItemTextA(page, IDC_CVS_ROOT, text.c_str());
    text.clear();
    if (ReadRepository(selection[0].c_str(), text)) ::SetDlgItemTextA(page, IDC_CVS_REPOSITORY, text.c_str());
    text.clear();
    if (ReadTag(selection[0].c_str(), text)) ::SetDlgItemTextA(page, IDC_CVS_TAG, text.c_str());

    HWND files = ::GetDlgItem(page, IDC_CVS_FILES);
    for (const std::string& path : selection) {
        ::SendMessageA(files, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    }
    ::SendMessageA(files, CB_SETCURSEL, 0, 0);
    ShowChosenLog(page);
}

class CCvsPage : public CSheetPage {
public:
    using CSheetPage::CSheetPage;

protected:
    BOOL OnInitDialog() override {
        FillPage(Window(), Owner());
        return FALSE;  // the dialog manager keeps its default focus
    }
    bool OnCommand(WORD id, WORD code) override {
        if (code == CBN_SELCHANGE && id == IDC_CVS_FILES) ShowChosenLog(Window());
        return false;
    }
};

}  // namespace

INT_PTR CALLBACK CvsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return ferrow::CDialog::SheetPageProc<CCvsPage, CCVSPropSheetExt>(page, message, wParam, lParam);
}

}  // namespace propsheet

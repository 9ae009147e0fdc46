// The "CVS" page: root, repository and tag of the first selected item, the selected paths, and the local
// log of the path chosen among them.
#include "propsheet/prop_sheet_ext.h"

#include "common/dialog.h"
#include "common/module_instance.h"
#include "model/admin_files.h"
#include "exec/log_reader.h"
#include "propsheet/log_fetch.h"
#include "resources/resource.h"

#include <memory>

namespace propsheet {

namespace {

// The path chosen in the File list, or empty.
std::string ChosenPath(HWND page) {
    HWND files = ::GetDlgItem(page, IDC_CVS_FILES);
    const LRESULT index = ::SendMessageA(files, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return std::string();
    // The entry must fit the 260-character buffer it is read into.
    const LRESULT length = ::SendMessageA(files, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR || length >= MAX_PATH) return std::string();
    char path[MAX_PATH] = {};
    if (::SendMessageA(files, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(path)) == CB_ERR) return std::string();
    return path;
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
}

class CCvsPage : public CSheetPage {
public:
    using CSheetPage::CSheetPage;

protected:
    BOOL OnInitDialog() override {
        FillPage(Window(), Owner());
        ShowChosenLog();
        return FALSE;  // the dialog manager keeps its default focus
    }
    bool OnCommand(WORD id, WORD code) override {
        if (code == CBN_SELCHANGE && id == IDC_CVS_FILES) ShowChosenLog();
        return false;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM) override {
        if (message == kLogFetched) {
            if (fetch_ && fetch_->Number() == wParam) Fetched();
            return true;
        }
        if (message == WM_DESTROY) fetch_.reset();  // cancels a running log
        return false;
    }

private:
    // Fetches the local log of the chosen path; the text says so meanwhile, and the log replaces it when
    // it arrives (a failure says so). A fetch still running for another path is cancelled.
    void ShowChosenLog() {
        fetch_.reset();
        const std::string path = ChosenPath(Window());
        if (path.empty()) return;
        SetItemText(IDC_CVS_LOG, ferrow::LoadResString(IDS_PAGE_LOG_LOADING));
        text_.clear();
        std::string* text = &text_;
        fetch_ = std::make_unique<LogFetch>(Window(), ++fetches_, [path, text](CRunFrame* frame) {
            return GetLocalLogText(path.c_str(), *text, frame);
        });
        if (!fetch_->Started()) {
            fetch_.reset();
            SetItemText(IDC_CVS_LOG, ferrow::LoadResString(IDS_PAGE_LOG_FAILED));
        }
    }
    void Fetched() {
        const bool ok = fetch_->Succeeded();
        fetch_.reset();
        SetItemText(IDC_CVS_LOG, ok ? text_ : ferrow::LoadResString(IDS_PAGE_LOG_FAILED));
    }

    std::unique_ptr<LogFetch> fetch_;
    std::string text_;  // the worker's, until kLogFetched
    unsigned fetches_ = 0;
};

}  // namespace

INT_PTR CALLBACK CvsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return ferrow::CDialog::SheetPageProc<CCvsPage, CCVSPropSheetExt>(page, message, wParam, lParam);
}

}  // namespace propsheet

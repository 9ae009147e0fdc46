#include "exec/progress_dialog.h"

#include "common/module_instance.h"
#include "common/text.h"
#include "resources/resource.h"

#include <shlobj.h>

namespace {

constexpr UINT kProgressAnimation = IDR_PROGRESS_AVI;  // the window goes without animation when absent

}  // namespace

void CProgressDialog::CCaptureStdOut::OnOutput(const char* bytes, DWORD count) {
    AppendText(bytes, count);
    if (owner_) owner_->OnCommandOutput(bytes, count);
}

void CProgressDialog::CCaptureStdErr::OnOutput(const char* bytes, DWORD count) {
    AppendText(bytes, count);
    if (owner_) owner_->OnCommandOutput(bytes, count);
}

CProgressDialog::CProgressDialog() {
    stdOut_.owner_ = this;
    stdErr_.owner_ = this;
}

CProgressDialog::~CProgressDialog() {
    if (progress_) Stop();
    // The reverse order of installation, before the members go, so no reader calls into a half-destroyed
    // capture.
    stdErr_.End();
    stdOut_.End();
}

HRESULT CProgressDialog::Start(HWND owner) {
    if (progress_) Stop();
    HRESULT hr = ::CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IProgressDialog,
                                    progress_.PutVoid());
    if (FAILED(hr)) return hr;

    const std::wstring title = ferrow::AnsiToWide(ferrow::LoadResString(IDS_PROGRESS_TITLE));
    hr = progress_->SetTitle(title.c_str());
    if (FAILED(hr)) return hr;
    progress_->SetAnimation(ferrow::ModuleInstance(), kProgressAnimation);
    const std::wstring cancelling = ferrow::AnsiToWide(ferrow::LoadResString(IDS_PROGRESS_CANCELLING));
    progress_->SetCancelMsg(cancelling.c_str(), nullptr);
    progress_->Timer(PDTIMER_RESET, nullptr);
    progress_->SetProgress(50, 100);
    // The window runs on the object's own thread, so it stays alive while this thread waits for the command.
    if (SUCCEEDED(progress_->StartProgressDialog(owner, nullptr, PROGDLG_NORMAL | PROGDLG_NOMINIMIZE, nullptr))) {
        shown_ = true;
        owner_ = ::IsWindow(owner) ? owner : nullptr;
    }
    return S_OK;
}

HRESULT CProgressDialog::Stop() {
    if (progress_ && shown_) progress_->StopProgressDialog();
    shown_ = false;
    owner_ = nullptr;
    progress_.Reset();
    return S_OK;
}

void CProgressDialog::OnCommandLine(const std::string& line) {
    if (echo_) echo_(line);
}

bool CProgressDialog::CancelRequested() {
    if (cancelled_) return true;
    if (!progress_ || !shown_) return false;
    cancelled_ = progress_->HasUserCancelled() || (owner_ && !::IsWindow(owner_));
    return cancelled_;
}

std::string CProgressDialog::GetStdOutText() { return stdOut_.GetText(); }
std::string CProgressDialog::GetStdErrText() { return stdErr_.GetText(); }

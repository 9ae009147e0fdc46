#include "exec/progress_dialog.h"

#include "common/exception_guard.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "exec/output_window.h"
#include "resources/resource.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

constexpr UINT kProgressAnimation = IDR_PROGRESS_AVI;  // the window goes without animation when absent
constexpr UINT kWakeMessage = WM_APP + 1;               // to the pump window: output is queued
constexpr UINT_PTR kPumpSubclass = 1;

}  // namespace

void CProgressDialog::CCaptureStdOut::OnOutput(const char* bytes, DWORD count) {
    AppendText(bytes, count);
    if (owner_) owner_->OnCommandOutput(exec::OutputKind::kOut, bytes, count);
}

void CProgressDialog::CCaptureStdErr::OnOutput(const char* bytes, DWORD count) {
    AppendText(bytes, count);
    if (owner_) owner_->OnCommandOutput(exec::OutputKind::kErr, bytes, count);
}

CProgressDialog::CProgressDialog() {
    // A plain control class needs no registration of our own; the subclass hands the wake-ups to Deliver.
    pump_ = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ferrow::ModuleInstance(), nullptr);
    if (pump_ && !::SetWindowSubclass(pump_, PumpProc, kPumpSubclass, reinterpret_cast<DWORD_PTR>(this))) {
        ::DestroyWindow(pump_);
        pump_ = nullptr;
    }
    stdOut_.owner_ = this;
    stdErr_.owner_ = this;
}

CProgressDialog::~CProgressDialog() {
    if (progress_) Stop();
    // The reverse order of installation, before the members go, so no reader calls into a half-destroyed
    // capture.
    stdErr_.End();
    stdOut_.End();
    Deliver();
    if (pump_) {
        ::RemoveWindowSubclass(pump_, PumpProc, kPumpSubclass);
        ::DestroyWindow(pump_);
    }
}

void CProgressDialog::AttachWindow(exec::COutputWindow* window) {
    window_ = window;
    owner_ = window && ::IsWindow(window->Owner()) ? window->Owner() : nullptr;
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
    if (!window_) owner_ = nullptr;
    progress_.Reset();
    return S_OK;
}

void CProgressDialog::OnCommandLine(const std::string& line) {
    // What the previous command wrote comes before this one's echo.
    stdOut_.Drain();
    stdErr_.Drain();
    Deliver();
    Hand(exec::OutputKind::kCommand, exec::EchoText(line));
}

bool CProgressDialog::CancelRequested() {
    if (cancelled_) return true;
    if (window_) {
        cancelled_ = window_->CancelRequested() || (owner_ && !::IsWindow(owner_));
        return cancelled_;
    }
    if (!progress_ || !shown_) return false;
    cancelled_ = progress_->HasUserCancelled() || (owner_ && !::IsWindow(owner_));
    return cancelled_;
}

HANDLE CProgressDialog::OutputEnd(DWORD stream) {
    if (stream == STD_OUTPUT_HANDLE) return stdOut_.WriteEnd();
    if (stream == STD_ERROR_HANDLE) return stdErr_.WriteEnd();
    return nullptr;
}

void CProgressDialog::OnCommandOutput(exec::OutputKind kind, const char* bytes, DWORD count) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> guard(queueLock_);
        if (!queue_.empty() && queue_.back().kind == kind) {
            queue_.back().text.append(bytes, count);
        } else {
            queue_.push_back({kind, std::string(bytes, count)});
        }
        wake = !woken_;
        woken_ = true;
    }
    // Posted, never sent: a reader thread does not wait for this thread.
    if (wake && pump_) ::PostMessageA(pump_, kWakeMessage, 0, 0);
}

void CProgressDialog::Deliver() {
    if (delivering_) return;  // a sink that dispatches messages meets the next wake-up here
    delivering_ = true;
    for (;;) {
        std::vector<Piece> pieces;
        {
            std::lock_guard<std::mutex> guard(queueLock_);
            pieces.swap(queue_);
            woken_ = false;
        }
        if (pieces.empty()) break;
        for (const Piece& piece : pieces) {
            exec::LineEndStream& ends = piece.kind == exec::OutputKind::kErr ? errEnds_ : outEnds_;
            Hand(piece.kind, ends.Feed(piece.text));
        }
    }
    delivering_ = false;
}

void CProgressDialog::Hand(exec::OutputKind kind, const std::string& text) {
    if (text.empty()) return;
    if (window_) window_->OnOutput(kind, text);
    if (sink_) sink_->OnOutput(kind, text);
}

LRESULT CALLBACK CProgressDialog::PumpProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
    if (message != kWakeMessage) return ::DefSubclassProc(window, message, wParam, lParam);
    // No exception leaves the window procedure: what could not be shown stays in the captured texts.
    ferrow::GuardedAnswer(false, [&] {
        reinterpret_cast<CProgressDialog*>(data)->Deliver();
        return true;
    });
    return 0;
}

std::string CProgressDialog::GetStdOutText() {
    std::string text = stdOut_.GetText();
    Deliver();
    return text;
}

std::string CProgressDialog::GetStdErrText() {
    std::string text = stdErr_.GetText();
    Deliver();
    return text;
}

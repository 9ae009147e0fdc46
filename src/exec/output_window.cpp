#include "exec/output_window.h"

#include "common/module_instance.h"
#include "exec/message_wait.h"
#include "resources/resource.h"

#include <commctrl.h>
#include <richedit.h>

namespace exec {
namespace {

// As much text as the window keeps: far beyond any command's output, so nothing is cut silently.
constexpr LPARAM kTextLimit = 256 * 1024 * 1024;
constexpr COLORREF kEchoColour = RGB(0, 0, 160);
constexpr COLORREF kErrorColour = RGB(176, 0, 0);
constexpr COLORREF kOwnColour = CLR_DEFAULT;  // the control's text colour
constexpr UINT kMarqueeMs = 40;
constexpr UINT_PTR kSilenceTimer = 1;
// How often the silence is looked at: a fraction of the notice's delay, at most a second.
DWORD SilenceCheckMs(DWORD silenceMs) {
    const DWORD part = silenceMs / 4;
    return part == 0 ? 1 : part < 1000 ? part : 1000;
}

thread_local COutputWindow* t_window = nullptr;

}  // namespace

COutputWindow::COutputWindow() : CDialog(IDD_OUTPUT) {}

COutputWindow::~COutputWindow() {
    Close();
    if (t_window == this) t_window = outer_;
}

COutputWindow* COutputWindow::OfThisThread() { return t_window; }

bool COutputWindow::Open(HWND owner, const std::string& title, DWORD silenceMs) {
    if (IsOpen()) return true;
    // The control class lives in this library; it stays loaded as long as the object.
    if (!richEdit_) richEdit_.Reset(::LoadLibraryA("riched20.dll"));
    if (!richEdit_) return false;
    closed_.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!closed_) return false;
    owner_ = ::IsWindow(owner) ? owner : nullptr;
    running_ = true;
    cancelRequested_ = false;
    silenceMs_ = silenceMs;
    lastOutput_ = ::GetTickCount();
    silenceShown_ = false;
    if (!CreateChild(owner_)) return false;
    ::SetTimer(Window(), kSilenceTimer, SilenceCheckMs(silenceMs_), nullptr);
    ::SetWindowTextA(Window(), title.c_str());
    ::ShowWindow(Window(), SW_SHOWNORMAL);
    ::UpdateWindow(Window());
    SetKeyboardDialog(Window());
    if (t_window != this) {
        outer_ = t_window;
        t_window = this;
    }
    return true;
}

BOOL COutputWindow::OnInitDialog() {
    RECT frame = {};
    ::GetWindowRect(Window(), &frame);
    minimum_ = {(frame.right - frame.left) / 2, (frame.bottom - frame.top) / 2};
    HWND text = Item(IDC_OUTPUT_TEXT);
    ::SendMessageA(text, EM_EXLIMITTEXT, 0, kTextLimit);
    ::SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(ANSI_FIXED_FONT)), FALSE);
    ::SendDlgItemMessageA(Window(), IDC_OUTPUT_PROGRESS, PBM_SETMARQUEE, TRUE, kMarqueeMs);
    SetItemText(IDCANCEL, ferrow::LoadResString(IDS_OUTPUT_CANCEL));
    SetItemText(IDC_OUTPUT_STATUS, ferrow::LoadResString(IDS_OUTPUT_RUNNING));
    CenterOverOwner();
    Layout();
    ::SetFocus(Item(IDCANCEL));
    return FALSE;  // the focus is set: on the button, so that Enter cancels nothing
}

bool COutputWindow::OnCommand(WORD id, WORD) {
    if (id != IDCANCEL && id != IDOK) return false;
    if (running_) {
        // Enter is no Cancel; the button, Escape and the close box are.
        if (id == IDCANCEL && !cancelRequested_) {
            cancelRequested_ = true;
            ::EnableWindow(Item(IDCANCEL), FALSE);
            SetItemText(IDC_OUTPUT_STATUS, ferrow::LoadResString(IDS_PROGRESS_CANCELLING));
        }
        return true;
    }
    Close();
    return true;
}

bool COutputWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        Layout();
        return true;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = minimum_;
        return true;
    case WM_TIMER:
        if (wParam != kSilenceTimer) return false;
        CheckSilence();
        return true;
    case WM_DESTROY:
        // Also when the owner goes first: the wait for the window ends, and the keys are no longer ours.
        SetKeyboardDialog(nullptr);
        if (closed_) ::SetEvent(closed_.Get());
        return false;
    default:
        return false;
    }
}

void COutputWindow::Layout() {
    HWND dialog = Window();
    RECT client = {};
    ::GetClientRect(dialog, &client);
    RECT margin = {7, 7, 4, 4};  // dialog units: the margin, the gap between the controls
    ::MapDialogRect(dialog, &margin);
    RECT button = {};
    ::GetWindowRect(Item(IDCANCEL), &button);
    const int buttonWidth = button.right - button.left;
    const int buttonHeight = button.bottom - button.top;
    const int stripTop = client.bottom - margin.top - buttonHeight;
    const int textHeight = stripTop - margin.bottom - margin.top;
    ::MoveWindow(Item(IDC_OUTPUT_TEXT), margin.left, margin.top, client.right - 2 * margin.left,
                 textHeight > 0 ? textHeight : 0, TRUE);
    ::MoveWindow(Item(IDCANCEL), client.right - margin.left - buttonWidth, stripTop, buttonWidth, buttonHeight, TRUE);
    RECT progress = {};
    ::GetWindowRect(Item(IDC_OUTPUT_PROGRESS), &progress);
    const int progressWidth = progress.right - progress.left;
    const int progressHeight = progress.bottom - progress.top;
    ::MoveWindow(Item(IDC_OUTPUT_PROGRESS), margin.left, stripTop + (buttonHeight - progressHeight) / 2, progressWidth,
                 progressHeight, TRUE);
    RECT status = {};
    ::GetWindowRect(Item(IDC_OUTPUT_STATUS), &status);
    const int statusHeight = status.bottom - status.top;
    const int statusLeft = margin.left + progressWidth + margin.right;
    const int statusWidth = client.right - margin.left - buttonWidth - margin.right - statusLeft;
    ::MoveWindow(Item(IDC_OUTPUT_STATUS), statusLeft, stripTop + (buttonHeight - statusHeight) / 2,
                 statusWidth > 0 ? statusWidth : 0, statusHeight, TRUE);
}

void COutputWindow::CheckSilence() {
    if (!running_ || cancelRequested_ || silenceShown_) return;
    if (::GetTickCount() - lastOutput_ < silenceMs_) return;
    silenceShown_ = true;
    Append(ferrow::LoadResString(IDS_OUTPUT_SILENT), kErrorColour, true);
    SetItemText(IDC_OUTPUT_STATUS, ferrow::LoadResString(IDS_OUTPUT_SILENT_STATUS));
}

void COutputWindow::OnOutput(OutputKind kind, const std::string& text) {
    if (!IsOpen() || text.empty()) return;
    // Output again: the notice is past (it stays in the text, where it happened).
    lastOutput_ = ::GetTickCount();
    if (silenceShown_) {
        silenceShown_ = false;
        if (running_ && !cancelRequested_) SetItemText(IDC_OUTPUT_STATUS, ferrow::LoadResString(IDS_OUTPUT_RUNNING));
    }
    switch (kind) {
    case OutputKind::kCommand:
        Append(text, kEchoColour, false);
        break;
    case OutputKind::kErr:
        Append(text, kErrorColour, false);
        break;
    case OutputKind::kOut:
        Append(text, kOwnColour, false);
        break;
    }
}

void COutputWindow::Append(const std::string& text, COLORREF colour, bool bold) {
    HWND edit = Item(IDC_OUTPUT_TEXT);
    if (!edit) return;
    SCROLLINFO scroll = {sizeof scroll, SIF_ALL};
    const bool atEnd = !::GetScrollInfo(edit, SB_VERT, &scroll) ||
                       scroll.nPos + static_cast<int>(scroll.nPage) >= scroll.nMax;
    CHARRANGE kept = {};
    ::SendMessageA(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    const LONG length = static_cast<LONG>(::SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0));
    const bool selectionAtEnd = kept.cpMin == kept.cpMax && kept.cpMin >= length;

    CHARRANGE end = {-1, -1};
    ::SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_BOLD;
    format.dwEffects = (colour == kOwnColour ? CFE_AUTOCOLOR : 0) | (bold ? CFE_BOLD : 0);
    format.crTextColor = colour == kOwnColour ? 0 : colour;
    ::SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    ::SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));

    if (!selectionAtEnd) ::SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    if (atEnd) ::SendMessageA(edit, WM_VSCROLL, SB_BOTTOM, 0);
}

void COutputWindow::Finish(Result result, const std::string& resultLine) {
    running_ = false;
    if (!IsOpen()) return;
    ::KillTimer(Window(), kSilenceTimer);
    Append(resultLine, result == Result::kSucceeded ? kOwnColour : kErrorColour, true);
    HWND progress = Item(IDC_OUTPUT_PROGRESS);
    ::SendMessageA(progress, PBM_SETMARQUEE, FALSE, 0);
    ::ShowWindow(progress, SW_HIDE);
    const UINT status = result == Result::kSucceeded ? IDS_OUTPUT_DONE
                      : result == Result::kFailed    ? IDS_OUTPUT_FAILED
                                                     : IDS_RUN_CANCELLED;
    SetItemText(IDC_OUTPUT_STATUS, ferrow::LoadResString(status));
    SetItemText(IDCANCEL, ferrow::LoadResString(IDS_OUTPUT_CLOSE));
    ::EnableWindow(Item(IDCANCEL), TRUE);
    ::SendMessageA(Window(), DM_SETDEFID, IDCANCEL, 0);
    ::SetFocus(Item(IDCANCEL));
}

void COutputWindow::WaitUntilClosed() {
    if (!IsOpen() || !closed_) return;
    // A WM_QUIT (the thread is asked to end) or a failed wait closes the window: nothing waits for good.
    if (WaitDispatching(closed_.Get(), Dispatch::kAll) != WaitResult::kSignalled) Close();
}

void COutputWindow::Close() {
    HWND window = Window();
    if (window && ::IsWindow(window)) ::DestroyWindow(window);
}

void COutputWindow::Attention() {
    HWND window = Window();
    if (!window) return;
    if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
    ::SetForegroundWindow(window);
    ::FlashWindow(window, TRUE);
}

}  // namespace exec

#include "diffview/annotate_window.h"

#include "common/dialog.h"
#include "common/handles.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "diffview/core/text_decode.h"
#include "diffview/diff_document.h"
#include "exec/command_line.h"
#include "exec/log_reader.h"
#include "resources/resource.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>

namespace diffview {

namespace {

constexpr char kAnnotateTemplate[] = "$(CVS) annotate $(RevisionOption) $(Names) > $(AnnotateFile)";

enum Column { kLine = 0, kRevision, kAuthor, kDate, kText, kColumnCount };

// The line's age as its background: white for the oldest change, a warm yellow for the newest.
COLORREF AgeColour(int percent) {
    auto blend = [&](int from, int to) { return from + (to - from) * percent / 100; };
    return RGB(255, blend(255, 214), blend(255, 120));
}

class CAnnotateWindow : public ferrow::CDialog {
public:
    CAnnotateWindow(const std::string& path, const std::string& revision, std::vector<AnnotatedLine>& lines,
                    unsigned closeAfterMs)
        : CDialog(IDD_ANNOTATE), path_(path), revision_(revision), lines_(lines), ages_(AgePercent(lines)),
          closeAfterMs_(closeAfterMs) {
        // The texts as the client wrote them: UTF-8 when the whole output is, else the ANSI code page.
        std::string all;
        for (const AnnotatedLine& l : lines_) all += l.text;
        const UINT codePage = IsValidUtf8(all.data(), all.size()) ? CP_UTF8 : CP_ACP;
        texts_.reserve(lines_.size());
        for (const AnnotatedLine& l : lines_) texts_.push_back(ToShownText(l.text, codePage));
    }

protected:
    BOOL OnInitDialog() override {
        list_ = Item(IDC_ANNOTATE_LIST);
        const std::string name = ::PathFindFileNameA(path_.c_str());
        std::wstring title = ferrow::AnsiToWide(name);
        if (!revision_.empty()) title += L" " + ferrow::AnsiToWide(revision_);
        title += L" - " + ferrow::LoadResStringW(IDS_ANNOTATE_TITLE);
        ::SetWindowTextW(Window(), title.c_str());
        SetItemText(IDC_ANNOTATE_STATUS, ferrow::LoadResString(IDS_ANNOTATE_HINT));

        HDC dc = ::GetDC(Window());
        const int height = -::MulDiv(9, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
        ::ReleaseDC(Window(), dc);
        font_.Reset(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Consolas"));
        if (font_) ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
        const UINT headers[kColumnCount] = {IDS_COLUMN_LINE, IDS_COLUMN_REVISION, IDS_COLUMN_AUTHOR, IDS_COLUMN_DATE,
                                            IDS_COLUMN_TEXT};
        for (int column = 0; column < kColumnCount; ++column) {
            std::wstring header = ferrow::LoadResStringW(headers[column]);
            LVCOLUMNW c = {};
            c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
            c.fmt = column == kLine ? LVCFMT_RIGHT : LVCFMT_LEFT;
            c.cx = 60;
            c.pszText = &header[0];
            c.iSubItem = column;
            ::SendMessageW(list_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
        }
        ::SendMessageW(list_, LVM_SETITEMCOUNT, lines_.size(), LVSICF_NOINVALIDATEALL);
        for (int column = kLine; column < kText; ++column) {
            // As wide as the longest cell (by characters: the cells are short) or the header.
            std::wstring longest = ferrow::LoadResStringW(headers[column]);
            for (std::size_t i = 0; i < lines_.size(); ++i) {
                std::wstring cell = CellText(static_cast<int>(i), column);
                if (cell.size() > longest.size()) longest = std::move(cell);
            }
            const int width = static_cast<int>(
                ::SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>((longest + L"0").c_str())));
            ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, column, width + 12);
        }
        RECT dlu = {7, 14, 0, 0};
        ::MapDialogRect(Window(), &dlu);
        margin_ = dlu.left;
        buttonHeight_ = dlu.top;
        RECT window = {};
        ::GetWindowRect(Window(), &window);
        minSize_ = {(window.right - window.left) / 2, (window.bottom - window.top) / 2};
        Layout();
        if (closeAfterMs_) ::SetTimer(Window(), 1, closeAfterMs_, nullptr);
        ::SetFocus(list_);
        return FALSE;
    }

    bool OnCommand(WORD id, WORD) override {
        if (id != IDCANCEL && id != IDOK) return false;
        if (id == IDOK && ::GetFocus() == list_) {
            ShowLogOfSelection();  // Enter on a line
            return true;
        }
        End(IDCANCEL);
        return true;
    }

    bool OnNotify(const NMHDR& header, LRESULT& result) override {
        if (header.hwndFrom != list_) return false;
        switch (header.code) {
        case LVN_GETDISPINFOW: {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header))->item;
            if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
                lstrcpynW(item.pszText, CellText(item.iItem, item.iSubItem).c_str(), item.cchTextMax);
            }
            return true;
        }
        case LVN_GETDISPINFOA: {
            LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(&header))->item;
            if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
                lstrcpynA(item.pszText, ferrow::WideToAnsi(CellText(item.iItem, item.iSubItem)).c_str(), item.cchTextMax);
            }
            return true;
        }
        case NM_CUSTOMDRAW: {
            auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header));
            if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
                result = CDRF_NOTIFYITEMDRAW;
            } else if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && draw.nmcd.dwItemSpec < ages_.size()) {
                draw.clrTextBk = AgeColour(ages_[draw.nmcd.dwItemSpec]);
                draw.clrText = ::GetSysColor(COLOR_WINDOWTEXT);
                result = CDRF_NEWFONT;
            } else {
                result = CDRF_DODEFAULT;
            }
            return true;
        }
        case NM_DBLCLK:
            ShowLogOfSelection();
            return true;
        default:
            return false;
        }
    }

    bool OnMessage(UINT message, WPARAM, LPARAM lParam) override {
        if (message == WM_SIZE) {
            Layout();
            return true;
        }
        if (message == WM_TIMER) {
            End(IDCANCEL);
            return true;
        }
        if (message == WM_GETMINMAXINFO) {
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = minSize_;
            return true;
        }
        return false;
    }

private:
    std::wstring CellText(int index, int column) const {
        if (index < 0 || static_cast<std::size_t>(index) >= lines_.size()) return std::wstring();
        const AnnotatedLine& line = lines_[static_cast<std::size_t>(index)];
        switch (column) {
        case kLine:
            return std::to_wstring(index + 1);
        case kRevision:
            return ferrow::AnsiToWide(line.revision);
        case kAuthor:
            return ferrow::AnsiToWide(line.author);
        case kDate:
            return ferrow::AnsiToWide(line.date);
        default:
            return texts_[static_cast<std::size_t>(index)];
        }
    }

    // The log is read once, at the first request, for every revision of the file.
    void ShowLogOfSelection() {
        const LRESULT index = ::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
        if (index < 0 || static_cast<std::size_t>(index) >= lines_.size()) return;
        const std::string& revision = lines_[static_cast<std::size_t>(index)].revision;
        if (!logRead_) {
            ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
            logRead_ = GetLog(path_.c_str(), log_);
        }
        const std::string caption = ferrow::LoadResString(IDS_DIFF_REVISION) + " " + revision;
        for (const CCVSRevision& r : log_.Revisions) {
            if (r.Revision != revision) continue;
            const std::string text = r.Author + ", " + r.Date + "\r\n\r\n" + r.Message;
            ::MessageBoxA(Window(), text.c_str(), caption.c_str(), MB_ICONINFORMATION);
            return;
        }
        ::MessageBoxA(Window(), ferrow::LoadResString(IDS_ANNOTATE_NO_LOG).c_str(), caption.c_str(), MB_ICONWARNING);
    }

    void Layout() {
        RECT clientRect = {};
        ::GetClientRect(Window(), &clientRect);
        const int right = static_cast<int>(clientRect.right), bottom = static_cast<int>(clientRect.bottom);
        const int m = margin_, width = right - 2 * m;
        if (width <= 0) return;
        const int buttonsTop = bottom - m - buttonHeight_;
        ::MoveWindow(list_, m, m, width, std::max(0, buttonsTop - 2 * m), TRUE);
        const int closeWidth = buttonHeight_ * 4;
        ::MoveWindow(Item(IDCANCEL), right - m - closeWidth, buttonsTop, closeWidth, buttonHeight_, TRUE);
        ::MoveWindow(Item(IDC_ANNOTATE_STATUS), m, buttonsTop + 3, std::max(0, width - closeWidth - m), buttonHeight_ - 3,
                     TRUE);
        RECT listClient = {};
        ::GetClientRect(list_, &listClient);
        const int listWidth = static_cast<int>(listClient.right);
        int used = 0;
        for (int column = kLine; column < kText; ++column) {
            used += static_cast<int>(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, column, 0));
        }
        ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, kText, std::max(100, listWidth - used));
    }

    const std::string& path_;
    const std::string& revision_;
    std::vector<AnnotatedLine>& lines_;
    std::vector<int> ages_;
    std::vector<std::wstring> texts_;
    HWND list_ = nullptr;
    ferrow::UniqueGdiObject font_;
    CCVSLog log_;
    bool logRead_ = false;
    unsigned closeAfterMs_ = 0;
    int margin_ = 10;
    int buttonHeight_ = 24;
    POINT minSize_ = {300, 200};
};

}  // namespace

HRESULT RunAnnotate(const std::string& path, const std::string& revision, std::vector<AnnotatedLine>& lines) {
    std::string output;
    HRESULT hr = MakeTempFileName("fan", output);
    if (FAILED(hr)) return hr;
    const std::string option = revision.empty() ? std::string() : "-r " + QuoteArgument(revision);
    const std::string commandTemplate = ReplaceVariable(kAnnotateTemplate, "$(RevisionOption)", option);
    hr = ExecuteTemplate(nullptr, commandTemplate, {ferrow::CopyPath(path)}, {{"$(AnnotateFile)", QuoteArgument(output)}});
    std::string bytes;
    if (SUCCEEDED(hr)) hr = ReadFileBytes(output, bytes);
    ::DeleteFileA(output.c_str());
    if (FAILED(hr)) return hr;
    lines = ParseAnnotate(bytes);
    return S_OK;
}

HRESULT ShowAnnotateWindow(HWND owner, const std::string& path, const std::string& revision, unsigned closeAfterMs) {
    std::vector<AnnotatedLine> lines;
    const HRESULT ran = RunAnnotate(path, revision, lines);
    if (FAILED(ran) || lines.empty()) {
        const std::string text = ferrow::LoadResString(IDS_ANNOTATE_EMPTY) + "\r\n" + path +
                                 (revision.empty() ? std::string() : " " + revision);
        ::MessageBoxA(owner, text.c_str(), ferrow::LoadResString(IDS_ANNOTATE_TITLE).c_str(), MB_ICONINFORMATION);
        return FAILED(ran) ? ran : S_FALSE;
    }
    CAnnotateWindow window(path, revision, lines, closeAfterMs);
    return window.DoModal(owner) == -1 ? E_FAIL : S_OK;
}

}  // namespace diffview

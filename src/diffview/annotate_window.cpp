#include "diffview/annotate_window.h"

#include "common/module_instance.h"
#include "common/text.h"
#include "diffview/core/text_decode.h"
#include "diffview/diff_document.h"
#include "diffview/text_list_window.h"
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

class CAnnotateWindow : public CTextListWindow {
public:
    CAnnotateWindow(const std::string& path, const std::string& revision, std::vector<AnnotatedLine>& lines,
                    unsigned closeAfterMs)
        : CTextListWindow(IDD_ANNOTATE, closeAfterMs), path_(path), revision_(revision), lines_(lines),
          ages_(AgePercent(lines)) {
        // The texts as the client wrote them: UTF-8 when the whole output is, else the ANSI code page.
        std::string all;
        for (const AnnotatedLine& l : lines_) all += l.text;
        const UINT codePage = IsValidUtf8(all.data(), all.size()) ? CP_UTF8 : CP_ACP;
        texts_.reserve(lines_.size());
        for (const AnnotatedLine& l : lines_) texts_.push_back(ToShownText(l.text, codePage));
    }

protected:
    BOOL OnInitDialog() override {
        AttachList(Item(IDC_ANNOTATE_LIST));
        const std::string name = ::PathFindFileNameA(path_.c_str());
        std::wstring title = ferrow::AnsiToWide(name);
        if (!revision_.empty()) title += L" " + ferrow::AnsiToWide(revision_);
        title += L" - " + ferrow::LoadResStringW(IDS_ANNOTATE_TITLE);
        ::SetWindowTextW(Window(), title.c_str());
        SetItemText(IDC_ANNOTATE_STATUS, ferrow::LoadResString(IDS_ANNOTATE_HINT));
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
        FinishInit();
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
        if (AnswerDisplayInfo(header)) return true;
        switch (header.code) {
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

private:
    std::wstring CellText(int index, int column) const override {
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

    void Layout() override {
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
    CCVSLog log_;
    bool logRead_ = false;
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

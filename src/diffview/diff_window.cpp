#include "diffview/diff_window.h"

#include "common/handles.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "diffview/core/line_diff.h"
#include "diffview/diff_document.h"
#include "diffview/patch.h"
#include "diffview/text_list_window.h"
#include "exec/command_line.h"
#include "resources/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <unordered_map>

namespace diffview {

namespace {

enum Column { kLeftNumber = 0, kLeftText = 1, kRightNumber = 2, kRightText = 3 };

const COLORREF kNumberBack = RGB(240, 240, 240);
const COLORREF kNumberText = RGB(110, 110, 110);
const COLORREF kRemovedBack = RGB(255, 224, 224);
const COLORREF kRemovedMark = RGB(255, 168, 168);
const COLORREF kAddedBack = RGB(221, 255, 221);
const COLORREF kAddedMark = RGB(150, 230, 150);
const COLORREF kChangedLeftBack = RGB(255, 240, 214);
const COLORREF kChangedRightBack = RGB(255, 248, 204);
const COLORREF kAbsentBack = RGB(228, 228, 228);

class CDiffWindow : public CTextListWindow {
public:
    CDiffWindow(const DiffRequest& request, DiffDocument& document)
        : CTextListWindow(IDD_DIFFVIEW, request.closeAfterMs), request_(request), doc_(document) {}

protected:
    BOOL OnInitDialog() override {
        AttachList(Item(IDC_DIFF_LIST));
        std::wstring title = ferrow::LoadResStringW(IDS_DIFF_TITLE);
        if (!request_.title.empty()) {
            title = ferrow::AnsiToWide(request_.title) + L": " + ferrow::AnsiToWide(request_.oldCaption) +
                    L" / " + ferrow::AnsiToWide(request_.newCaption) + L" - " + title;
        }
        ::SetWindowTextW(Window(), title.c_str());
        SetItemText(IDC_DIFF_LEFT_CAPTION, request_.oldCaption + "  (" + DescribeSide(doc_.left) + ")");
        SetItemText(IDC_DIFF_RIGHT_CAPTION, request_.newCaption + "  (" + DescribeSide(doc_.right) + ")");
        SetItemText(IDC_DIFF_STATUS, doc_.changeStarts.empty()
                                         ? ferrow::LoadResString(IDS_DIFF_IDENTICAL)
                                         : ferrow::LoadResString(IDS_DIFF_CHANGES) + " " +
                                               std::to_string(doc_.changeStarts.size()));
        ::EnableWindow(Item(IDC_DIFF_PATCH), !request_.path.empty());
        for (int column = kLeftNumber; column <= kRightText; ++column) {
            LVCOLUMNW c = {};
            c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
            c.fmt = (column == kLeftNumber || column == kRightNumber) ? LVCFMT_RIGHT : LVCFMT_LEFT;
            c.cx = 50;
            c.iSubItem = column;
            ::SendMessageW(list_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
        }
        ::SendMessageW(list_, LVM_SETITEMCOUNT, doc_.rows.size(), LVSICF_NOINVALIDATEALL);
        FinishInit();
        if (!doc_.changeStarts.empty()) Select(doc_.changeStarts.front());
        return FALSE;
    }

    bool OnCommand(WORD id, WORD) override {
        switch (id) {
        case IDC_DIFF_NEXT:
            Move(true);
            return true;
        case IDC_DIFF_PREVIOUS:
            Move(false);
            return true;
        case IDC_DIFF_PATCH: {
            std::string revisions;
            if (!request_.oldRevision.empty()) revisions += "-r " + QuoteArgument(request_.oldRevision);
            if (!request_.newRevision.empty()) revisions += " -r " + QuoteArgument(request_.newRevision);
            SaveAsPatch(Window(), {request_.path}, revisions);
            return true;
        }
        case IDCANCEL:
        case IDOK:
            End(IDCANCEL);
            return true;
        default:
            return false;
        }
    }

    bool OnNotify(const NMHDR& header, LRESULT& result) override {
        if (header.hwndFrom != list_) return false;
        if (AnswerDisplayInfo(header)) return true;
        switch (header.code) {
        case NM_CUSTOMDRAW:
            result = CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
            return true;
        case LVN_KEYDOWN: {
            const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey;
            const bool shift = ::GetKeyState(VK_SHIFT) < 0;
            if (key == VK_F7) Move(!shift);
            if (key == 'N') Move(true);
            if (key == 'P') Move(false);
            return true;
        }
        default:
            return false;
        }
    }

private:
    std::wstring CellText(int index, int column) const override {
        if (index < 0 || static_cast<std::size_t>(index) >= doc_.rows.size()) return std::wstring();
        const Row& row = doc_.rows[static_cast<std::size_t>(index)];
        const std::ptrdiff_t line = column <= kLeftText ? row.left : row.right;
        if (line < 0) return std::wstring();
        if (column == kLeftNumber || column == kRightNumber) return std::to_wstring(line + 1);
        const DiffSide& side = column == kLeftText ? doc_.left : doc_.right;
        return side.lines[static_cast<std::size_t>(line)];
    }

    const InlineMarks& MarksOf(std::size_t index) {
        auto found = marks_.find(index);
        if (found != marks_.end()) return found->second;
        const Row& row = doc_.rows[index];
        return marks_[index] = InlineChanges(doc_.left.lines[static_cast<std::size_t>(row.left)],
                                             doc_.right.lines[static_cast<std::size_t>(row.right)]);
    }

    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) {
        if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
        const std::size_t index = draw.nmcd.dwItemSpec;
        if (index >= doc_.rows.size()) return CDRF_DODEFAULT;
        DrawRow(draw.nmcd.hdc, index);
        return CDRF_SKIPDEFAULT;
    }

    // The whole row: number cells, then each side's text on the colour of its kind, changed parts marked.
    void DrawRow(HDC dc, std::size_t index) {
        RECT bounds = {};
        bounds.left = LVIR_BOUNDS;
        if (!::SendMessageW(list_, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&bounds))) return;
        const Row& row = doc_.rows[index];
        const bool selected =
            (::SendMessageW(list_, LVM_GETITEMSTATE, index, LVIS_SELECTED) & LVIS_SELECTED) != 0;
        HGDIOBJ oldFont = font_ ? ::SelectObject(dc, font_.Get()) : nullptr;
        int x = bounds.left;
        for (int column = kLeftNumber; column <= kRightText; ++column) {
            const int width = static_cast<int>(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, column, 0));
            RECT cell = {x, bounds.top, x + width, bounds.bottom};
            x += width;
            const std::wstring text = CellText(static_cast<int>(index), column);
            if (column == kLeftNumber || column == kRightNumber) {
                FillSolid(dc, cell, selected ? ::GetSysColor(COLOR_HIGHLIGHT) : kNumberBack);
                ::SetTextColor(dc, selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : kNumberText);
                ::SetBkMode(dc, TRANSPARENT);
                RECT inner = cell;
                inner.right -= 4;
                ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inner,
                            DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
                continue;
            }
            const bool left = column == kLeftText;
            COLORREF back = ::GetSysColor(COLOR_WINDOW), mark = back;
            switch (row.kind) {
            case RowKind::kSame:
                break;
            case RowKind::kRemoved:
                back = left ? kRemovedBack : kAbsentBack;
                break;
            case RowKind::kAdded:
                back = left ? kAbsentBack : kAddedBack;
                break;
            case RowKind::kChanged:
                back = left ? kChangedLeftBack : kChangedRightBack;
                mark = left ? kRemovedMark : kAddedMark;
                break;
            }
            FillSolid(dc, cell, back);
            const int textLeft = cell.left + 4;
            if (row.kind == RowKind::kChanged) {
                const InlineMarks& marks = MarksOf(index);
                for (const Span& span : left ? marks.left : marks.right) {
                    RECT r = cell;
                    r.left = textLeft + TextWidth(dc, text, span.begin);
                    r.right = textLeft + TextWidth(dc, text, span.end);
                    IntersectRect(&r, &r, &cell);
                    FillSolid(dc, r, mark);
                }
            }
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            ::SetBkMode(dc, TRANSPARENT);
            RECT inner = cell;
            inner.left = textLeft;
            ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inner,
                        DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_EXPANDTABS);
        }
        if (oldFont) ::SelectObject(dc, oldFont);
    }

    static void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
        ::SetBkColor(dc, colour);
        ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    }

    static int TextWidth(HDC dc, const std::wstring& text, std::size_t count) {
        SIZE size = {};
        count = std::min(count, text.size());
        if (count == 0) return 0;
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(count), &size);
        return size.cx;
    }

    void Layout() override {
        RECT clientRect = {};
        ::GetClientRect(Window(), &clientRect);
        const int right = static_cast<int>(clientRect.right), bottom = static_cast<int>(clientRect.bottom);
        const int m = margin_, width = right - 2 * m;
        if (width <= 0) return;
        const int captionHeight = buttonHeight_ - 4;
        const int half = width / 2;
        ::MoveWindow(Item(IDC_DIFF_LEFT_CAPTION), m, m, half - m / 2, captionHeight, TRUE);
        ::MoveWindow(Item(IDC_DIFF_RIGHT_CAPTION), m + half + m / 2, m, half - m / 2, captionHeight, TRUE);
        const int listTop = m + captionHeight + 2;
        const int buttonsTop = bottom - m - buttonHeight_;
        ::MoveWindow(list_, m, listTop, width, std::max(0, buttonsTop - m - listTop), TRUE);
        const int buttonWidth = buttonHeight_ * 6;
        int x = m;
        for (int id : {IDC_DIFF_PREVIOUS, IDC_DIFF_NEXT, IDC_DIFF_PATCH}) {
            ::MoveWindow(Item(id), x, buttonsTop, buttonWidth, buttonHeight_, TRUE);
            x += buttonWidth + m / 2;
        }
        const int closeWidth = buttonHeight_ * 4;
        ::MoveWindow(Item(IDCANCEL), right - m - closeWidth, buttonsTop, closeWidth, buttonHeight_, TRUE);
        ::MoveWindow(Item(IDC_DIFF_STATUS), x + m, buttonsTop + 3, std::max(0, right - 2 * m - closeWidth - x - m),
                     buttonHeight_ - 3, TRUE);

        // Columns: the two numbers as wide as the largest, the texts share the rest.
        RECT listClient = {};
        ::GetClientRect(list_, &listClient);
        const int listWidth = static_cast<int>(listClient.right);
        const std::wstring widest = std::to_wstring(std::max(doc_.left.lines.size(), doc_.right.lines.size())) + L"00";
        const int numberWidth = static_cast<int>(::SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0,
                                                                reinterpret_cast<LPARAM>(widest.c_str())));
        const int textWidth = std::max(50, (listWidth - 2 * numberWidth) / 2);
        ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, kLeftNumber, numberWidth);
        ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, kLeftText, textWidth);
        ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, kRightNumber, numberWidth);
        ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, kRightText, textWidth);
    }

    void Select(std::size_t index) {
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list_, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
        // Some context below the change, then the change itself in view.
        const std::size_t below = std::min(doc_.rows.size() - 1, index + 8);
        ::SendMessageW(list_, LVM_ENSUREVISIBLE, below, FALSE);
        ::SendMessageW(list_, LVM_ENSUREVISIBLE, index, FALSE);
    }

    void Move(bool forward) {
        const LRESULT focused = ::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
        std::size_t target = 0;
        bool found;
        if (focused < 0) {
            found = !doc_.changeStarts.empty();
            if (found) target = forward ? doc_.changeStarts.front() : doc_.changeStarts.back();
        } else if (forward) {
            found = NextChange(doc_.changeStarts, static_cast<std::size_t>(focused), target);
        } else {
            found = PreviousChange(doc_.changeStarts, static_cast<std::size_t>(focused), target);
        }
        if (!found) {
            ::MessageBeep(MB_OK);
            return;
        }
        Select(target);
    }

    const DiffRequest& request_;
    DiffDocument& doc_;
    std::unordered_map<std::size_t, InlineMarks> marks_;
};

}  // namespace

HRESULT ShowDiffWindow(HWND owner, const DiffRequest& request) {
    DiffDocument document;
    std::string failedFile;
    const HRESULT loaded = LoadDiffDocument(request.oldFile, request.newFile, document, failedFile);
    if (FAILED(loaded)) {
        const UINT message = loaded == kBinaryFile ? IDS_DIFF_BINARY : IDS_DIFF_READ_FAILED;
        const std::string text = ferrow::LoadResString(message) + "\r\n" + failedFile;
        ::MessageBoxA(owner, text.c_str(), ferrow::LoadResString(IDS_DIFF_TITLE).c_str(),
                      loaded == kBinaryFile ? MB_ICONINFORMATION : MB_ICONERROR);
        return loaded;
    }
    CDiffWindow window(request, document);
    return window.DoModal(owner) == -1 ? E_FAIL : S_OK;
}

}  // namespace diffview

#include "diffview/diff_document.h"

#include "common/handles.h"
#include "common/module_instance.h"
#include "diffview/core/line_diff.h"
#include "resources/resource.h"

#include <algorithm>

namespace diffview {

HRESULT ReadFileBytes(const std::string& file, std::string& bytes) {
    ferrow::UniqueFile handle(::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return HRESULT_FROM_WIN32(::GetLastError());
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(handle.Get(), &size)) return HRESULT_FROM_WIN32(::GetLastError());
    // The viewer holds both files and their lines in memory; a file of a gigabyte is not for it.
    constexpr LONGLONG kLargest = 512LL * 1024 * 1024;
    if (size.QuadPart > kLargest) return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        if (!::ReadFile(handle.Get(), &bytes[done], chunk, &read, nullptr)) return HRESULT_FROM_WIN32(::GetLastError());
        if (read == 0) break;  // the file shrank meanwhile
        done += read;
    }
    bytes.resize(done);
    return S_OK;
}

namespace {

std::wstring ToWide(const std::string& text, UINT codePage) {
    if (text.empty()) return std::wstring();
    const int n = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::wstring ExpandTabs(const std::wstring& line) {
    if (line.find(L'\t') == std::wstring::npos) return line;
    constexpr std::size_t kTab = 4;
    std::wstring shown;
    for (wchar_t c : line) {
        if (c == L'\t') {
            shown.append(kTab - shown.size() % kTab, L' ');
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace

std::wstring ToShownText(const std::string& text, UINT codePage) { return ExpandTabs(ToWide(text, codePage)); }

HRESULT LoadDiffSide(const std::string& file, DiffSide& side) {
    std::string bytes;
    const HRESULT read = ReadFileBytes(file, bytes);
    if (FAILED(read)) return read;
    std::size_t bomLength = 0;
    const DecodedText facts = InspectText(bytes, bomLength);
    if (facts.binary) return kBinaryFile;
    side.encoding = facts.encoding;
    side.lineEnds = facts.lineEnds;
    side.finalLineEnd = facts.finalLineEnd;
    // One conversion of the whole text, then the lines: converting line by line costs a call per line.
    const UINT codePage = facts.encoding == TextEncoding::kAnsi ? CP_ACP : CP_UTF8;
    std::wstring wide = ToWide(bytes.substr(bomLength), codePage);
    std::string().swap(bytes);
    side.lines = SplitTextLines(wide);
    return S_OK;
}

HRESULT LoadDiffDocument(const std::string& oldFile, const std::string& newFile, DiffDocument& document,
                         std::string& failedFile) {
    HRESULT hr = LoadDiffSide(oldFile, document.left);
    if (FAILED(hr)) {
        failedFile = oldFile;
        return hr;
    }
    hr = LoadDiffSide(newFile, document.right);
    if (FAILED(hr)) {
        failedFile = newFile;
        return hr;
    }
    {
        // Compared as read (a tab is not four spaces), shown with tabs expanded.
        std::vector<std::uint32_t> a, b;
        NumberElements(document.left.lines, document.right.lines, a, b);
        document.rows = AlignRows(DiffSequences(a, b));
    }
    for (std::wstring& line : document.left.lines) line = ExpandTabs(line);
    for (std::wstring& line : document.right.lines) line = ExpandTabs(line);
    document.changeStarts = ChangeStarts(document.rows);
    return S_OK;
}

std::string DescribeSide(const DiffSide& side) {
    std::string text = ferrow::LoadResString(side.encoding == TextEncoding::kUtf8Bom ? IDS_DIFF_ENC_UTF8_BOM
                                             : side.encoding == TextEncoding::kUtf8  ? IDS_DIFF_ENC_UTF8
                                                                                     : IDS_DIFF_ENC_ANSI);
    if (side.lineEnds != LineEndStyle::kNone) {
        text += ", " + ferrow::LoadResString(side.lineEnds == LineEndStyle::kLf     ? IDS_DIFF_LINES_LF
                                             : side.lineEnds == LineEndStyle::kCrLf ? IDS_DIFF_LINES_CRLF
                                                                                    : IDS_DIFF_LINES_MIXED);
    }
    if (!side.finalLineEnd && !side.lines.empty()) text += ", " + ferrow::LoadResString(IDS_DIFF_NO_FINAL_LINE_END);
    return text;
}

}  // namespace diffview

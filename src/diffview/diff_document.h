// Two files read and compared for the viewer: each decoded (diffview/core/text_decode.h) and converted to
// UTF-16 for display, their lines diffed and aligned as side-by-side rows. No window: the viewer and the
// tests build one from two file names.
#pragma once

#include "diffview/core/side_by_side.h"
#include "diffview/core/text_decode.h"

#include <windows.h>

#include <string>
#include <vector>

namespace diffview {

// A file that holds binary content (not shown): HRESULT_FROM_WIN32(ERROR_BAD_FORMAT).
constexpr HRESULT kBinaryFile = static_cast<HRESULT>(0x8007000B);

// A whole file's bytes (shared for reading and writing, never for deletion); at most 512 MiB.
HRESULT ReadFileBytes(const std::string& file, std::string& bytes);

// Text in `codePage` as UTF-16, tabs expanded to the next multiple of 4 columns.
std::wstring ToShownText(const std::string& text, UINT codePage);

struct DiffSide {
    TextEncoding encoding = TextEncoding::kAnsi;
    LineEndStyle lineEnds = LineEndStyle::kNone;
    bool finalLineEnd = false;
    std::vector<std::wstring> lines;  // as shown: tabs expanded to the next multiple of 4 columns
};

// Reads a whole file (shared for reading and writing, never for deletion) and decodes it: UTF-8 (with or
// without BOM) through UTF-8, anything else through the ANSI code page. kBinaryFile for binary content;
// the failure of the read otherwise.
HRESULT LoadDiffSide(const std::string& file, DiffSide& side);

struct DiffDocument {
    DiffSide left, right;
    std::vector<Row> rows;
    std::vector<std::size_t> changeStarts;
};

// Loads both files and aligns them. On failure `failedFile` names the file that failed.
HRESULT LoadDiffDocument(const std::string& oldFile, const std::string& newFile, DiffDocument& document,
                         std::string& failedFile);

// The side's encoding and line ends as shown in its caption ("UTF-8, CR LF").
std::string DescribeSide(const DiffSide& side);

}  // namespace diffview

// Arbitrary bytes as two files for the viewer: decoding, then the diff of the first half against the
// second, whose rows must show every line of each side once and in order, and the marks within lines.
#include "diffview/core/line_diff.h"
#include "diffview/core/side_by_side.h"
#include "diffview/core/text_decode.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const diffview::DecodedText a = diffview::DecodeText(bytes.substr(0, size / 2));
    const diffview::DecodedText b = diffview::DecodeText(bytes.substr(size / 2));
    size_t total = 0;
    for (const std::string& line : a.lines) total += line.size();
    if (total > size) __builtin_trap();
    if (a.binary && !a.lines.empty()) __builtin_trap();

    std::vector<std::uint32_t> na, nb;
    diffview::NumberElements(a.lines, b.lines, na, nb);
    const std::vector<diffview::Row> rows = diffview::AlignRows(diffview::DiffSequences(na, nb));
    std::ptrdiff_t left = 0, right = 0;
    for (const diffview::Row& r : rows) {
        if (r.left >= 0 && r.left != left++) __builtin_trap();
        if (r.right >= 0 && r.right != right++) __builtin_trap();
        if (r.kind == diffview::RowKind::kSame && a.lines[r.left] != b.lines[r.right]) __builtin_trap();
        if (r.kind == diffview::RowKind::kChanged) {
            const diffview::InlineMarks m = diffview::InlineChanges(a.lines[r.left], b.lines[r.right]);
            for (const diffview::Span& s : m.left) {
                if (s.begin >= s.end || s.end > a.lines[r.left].size()) __builtin_trap();
            }
            for (const diffview::Span& s : m.right) {
                if (s.begin >= s.end || s.end > b.lines[r.right].size()) __builtin_trap();
            }
        }
    }
    if (left != static_cast<std::ptrdiff_t>(a.lines.size()) || right != static_cast<std::ptrdiff_t>(b.lines.size()))
        __builtin_trap();
    return 0;
}

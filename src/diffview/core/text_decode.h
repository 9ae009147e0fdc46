// A file's bytes as lines of text for the viewer: the encoding decided (UTF-8 with or without its byte
// order mark, else the ANSI code page), the line ends recognised, binary content refused. Platform-free:
// the lines stay bytes in the decided encoding; the Windows side converts them for display.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace diffview {

enum class TextEncoding {
    kAnsi,     // not valid UTF-8 (or plain ASCII, which reads the same either way)
    kUtf8,     // valid UTF-8 with at least one non-ASCII character, no byte order mark
    kUtf8Bom,  // began with EF BB BF (removed from the first line)
};

enum class LineEndStyle {
    kNone,   // no line end at all (empty or a single unterminated line)
    kLf,
    kCrLf,
    kMixed,
};

struct DecodedText {
    bool binary = false;  // holds a NUL byte: not shown; the other members are empty
    TextEncoding encoding = TextEncoding::kAnsi;
    LineEndStyle lineEnds = LineEndStyle::kNone;
    bool finalLineEnd = false;       // the last line ends with a line end (false for an empty file)
    std::vector<std::string> lines;  // without their line ends (LF or CR LF; a lone CR stays in the text)
};

// Reads the whole content. An empty content is an empty text with no lines.
DecodedText DecodeText(const std::string& bytes);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const char* data, std::size_t size);

}  // namespace diffview

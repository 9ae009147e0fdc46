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
    bool binary = false;  // a NUL byte or a UTF-16 byte order mark: not shown; the other members are empty
    TextEncoding encoding = TextEncoding::kAnsi;
    LineEndStyle lineEnds = LineEndStyle::kNone;
    bool finalLineEnd = false;       // the last line ends with a line end (false for an empty file)
    std::vector<std::string> lines;  // without their line ends (LF or CR LF; a lone CR stays in the text)
};

// Reads the whole content. An empty content is an empty text with no lines.
DecodedText DecodeText(const std::string& bytes);

// The same facts without the lines (`lines` stays empty); `bomLength` is the number of bytes of the byte
// order mark (3 or 0). For a caller that converts the whole text first and splits it after
// (SplitTextLines), which is much cheaper than converting line by line.
DecodedText InspectText(const std::string& bytes, std::size_t& bomLength);

// The lines of a text by the rule of DecodeText (LF or CR LF ends a line; a last line without an end
// counts; nothing after a final line end), for any character type.
template <class String>
std::vector<String> SplitTextLines(const String& text) {
    std::vector<String> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find(static_cast<typename String::value_type>('\n'), start);
        if (lf == String::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        std::size_t end = lf;
        if (end > start && text[end - 1] == static_cast<typename String::value_type>('\r')) --end;
        lines.push_back(text.substr(start, end - start));
        start = lf + 1;
    }
    return lines;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const char* data, std::size_t size);

}  // namespace diffview

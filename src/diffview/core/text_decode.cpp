#include "diffview/core/text_decode.h"

#include "model/core/binary_files.h"

namespace diffview {

bool IsValidUtf8(const char* data, std::size_t size) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(data);
    std::size_t i = 0;
    while (i < size) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t extra;
        unsigned char lo = 0x80, hi = 0xBF;  // the allowed range of the first continuation byte
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0) lo = 0xA0;  // overlong
            if (c == 0xED) hi = 0x9F;  // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0) lo = 0x90;  // overlong
            if (c == 0xF4) hi = 0x8F;  // above U+10FFFF
        } else {
            return false;
        }
        if (size - i <= extra) return false;
        if (s[i + 1] < lo || s[i + 1] > hi) return false;
        for (std::size_t k = 2; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

DecodedText InspectText(const std::string& bytes, std::size_t& bomLength) {
    DecodedText text;
    bomLength = 0;
    if (IsBinaryContent(bytes)) {
        text.binary = true;
        return text;
    }
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.encoding = TextEncoding::kUtf8Bom;
        bomLength = 3;
    } else {
        bool ascii = true;
        for (char c : bytes) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
        }
        text.encoding = !ascii && IsValidUtf8(bytes.data(), bytes.size()) ? TextEncoding::kUtf8 : TextEncoding::kAnsi;
    }
    bool sawLf = false, sawCrLf = false;
    for (std::size_t lf = bytes.find('\n', bomLength); lf != std::string::npos; lf = bytes.find('\n', lf + 1)) {
        if (lf > bomLength && bytes[lf - 1] == '\r') {
            sawCrLf = true;
        } else {
            sawLf = true;
        }
    }
    text.finalLineEnd = bytes.size() > bomLength && bytes.back() == '\n';
    text.lineEnds = sawLf && sawCrLf ? LineEndStyle::kMixed
                    : sawCrLf        ? LineEndStyle::kCrLf
                    : sawLf          ? LineEndStyle::kLf
                                     : LineEndStyle::kNone;
    return text;
}

DecodedText DecodeText(const std::string& bytes) {
    std::size_t bomLength = 0;
    DecodedText text = InspectText(bytes, bomLength);
    if (!text.binary) text.lines = SplitTextLines(bomLength ? bytes.substr(bomLength) : bytes);
    return text;
}

}  // namespace diffview

#include "diffview/core/text_decode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using diffview::LineEndStyle;
using diffview::TextEncoding;

TEST(DecodeText, EncodingsLineEndsAndBinary) {
    struct Case {
        const char* name;
        std::string bytes;
        bool binary;
        TextEncoding encoding;
        LineEndStyle lineEnds;
        bool finalLineEnd;
        std::vector<std::string> lines;
    } const cases[] = {
        {"empty", "", false, TextEncoding::kAnsi, LineEndStyle::kNone, false, {}},
        {"one line without end", "abc", false, TextEncoding::kAnsi, LineEndStyle::kNone, false, {"abc"}},
        {"LF", "a\n\nb\n", false, TextEncoding::kAnsi, LineEndStyle::kLf, true, {"a", "", "b"}},
        {"CR LF, lone CR kept", "a\r\nb\rc\r\n", false, TextEncoding::kAnsi, LineEndStyle::kCrLf, true,
         {"a", "b\rc"}},
        {"mixed", "a\r\nb\nc", false, TextEncoding::kAnsi, LineEndStyle::kMixed, false, {"a", "b", "c"}},
        {"UTF-8 with BOM", "\xEF\xBB\xBF\xC3\xA4\r\n", false, TextEncoding::kUtf8Bom, LineEndStyle::kCrLf, true,
         {"\xC3\xA4"}},
        {"BOM alone", "\xEF\xBB\xBF", false, TextEncoding::kUtf8Bom, LineEndStyle::kNone, false, {}},
        {"UTF-8 without BOM", "gr\xC3\xBC\xC3\x9F\n", false, TextEncoding::kUtf8, LineEndStyle::kLf, true,
         {"gr\xC3\xBC\xC3\x9F"}},
        // Windows-1252 "grüß": not UTF-8, so the ANSI code page.
        {"ANSI", "gr\xFC\xDF\n", false, TextEncoding::kAnsi, LineEndStyle::kLf, true, {"gr\xFC\xDF"}},
        {"truncated UTF-8 sequence", "ok \xE2\x82", false, TextEncoding::kAnsi, LineEndStyle::kNone, false,
         {"ok \xE2\x82"}},
        {"NUL byte: binary", std::string("GIF89a\0\1", 8), true, TextEncoding::kAnsi, LineEndStyle::kNone, false,
         {}},
        {"UTF-16 without a NUL: binary", "\xFF\xFE\x2D\x4E\x87\x65", true, TextEncoding::kAnsi, LineEndStyle::kNone,
         false, {}},
        {"NUL late in a text", std::string("text\n", 5) + std::string(1, '\0'), true, TextEncoding::kAnsi,
         LineEndStyle::kNone, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const diffview::DecodedText t = diffview::DecodeText(c.bytes);
        EXPECT_EQ(c.binary, t.binary);
        EXPECT_EQ(c.encoding, t.encoding);
        EXPECT_EQ(c.lineEnds, t.lineEnds);
        EXPECT_EQ(c.finalLineEnd, t.finalLineEnd);
        EXPECT_EQ(c.lines, t.lines);
    }
}

TEST(IsValidUtf8, RejectsWhatWindowsWouldMisread) {
    struct Case {
        const char* bytes;
        bool valid;
    } const cases[] = {
        {"\xE2\x82\xAC", true},       // U+20AC
        {"\xF0\x9F\x98\x80", true},   // U+1F600
        {"\xC0\xAF", false},          // overlong "/"
        {"\xE0\x80\xAF", false},      // overlong
        {"\xED\xA0\x80", false},      // surrogate
        {"\xF4\x90\x80\x80", false},  // above U+10FFFF
        {"\x80", false},              // lone continuation
        {"\xC3", false},              // cut short
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(c.valid, diffview::IsValidUtf8(c.bytes, std::string(c.bytes).size()));
    }
}

}  // namespace

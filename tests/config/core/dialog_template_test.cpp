#include "config/core/dialog_template.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Builds template headers the way the resource compiler lays them out (little-endian WORDs).
class Bytes {
public:
    Bytes& Word(std::uint16_t v) {
        b_.push_back(static_cast<std::uint8_t>(v & 0xFF));
        b_.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    Bytes& Dword(std::uint32_t v) { return Word(static_cast<std::uint16_t>(v)).Word(static_cast<std::uint16_t>(v >> 16)); }
    Bytes& Byte(std::uint8_t v) {
        b_.push_back(v);
        return *this;
    }
    Bytes& String(const std::u16string& s) {
        for (char16_t c : s) Word(static_cast<std::uint16_t>(c));
        return Word(0);
    }
    const std::vector<std::uint8_t>& Get() const { return b_; }

private:
    std::vector<std::uint8_t> b_;
};

constexpr std::uint32_t kChild = 0x40000000, kSetFont = 0x40, kShellFont = 0x48;

std::vector<std::uint8_t> Extended(std::uint32_t style, std::int16_t cx, std::int16_t cy, bool menuOrdinal,
                                   const std::u16string& caption, std::uint16_t points, const std::u16string& face) {
    Bytes b;
    b.Word(1).Word(0xFFFF).Dword(0).Dword(0).Dword(style).Word(3).Word(0).Word(0).Word(static_cast<std::uint16_t>(cx))
        .Word(static_cast<std::uint16_t>(cy));
    if (menuOrdinal)
        b.Word(0xFFFF).Word(7);
    else
        b.Word(0);
    b.String(u"MyClass").String(caption);
    if (style & kSetFont) b.Word(points).Word(700).Byte(1).Byte(0).String(face);
    return b.Get();
}

std::vector<std::uint8_t> Classic(std::uint32_t style, std::int16_t cx, std::int16_t cy, const std::u16string& face) {
    Bytes b;
    b.Dword(style).Dword(0).Word(0).Word(0).Word(0).Word(static_cast<std::uint16_t>(cx)).Word(static_cast<std::uint16_t>(cy));
    b.Word(0).Word(0).String(u"Caption");
    if (style & kSetFont) b.Word(9).String(face);
    return b.Get();
}

TEST(DialogTemplate, ReadsSizeAndFont) {
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool extended;
        std::int16_t cx, cy;
        bool hasFont;
        std::uint16_t points;
        std::u16string face;
    } cases[] = {
        {"extended page", Extended(kChild | kSetFont, 272, 86, false, u"", 8, u"MS Sans Serif"), true, 272, 86, true, 8,
         u"MS Sans Serif"},
        {"extended, shell font, menu ordinal, caption", Extended(kShellFont, 238, 145, true, u"CVS Commit", 8, u"MS Shell Dlg"),
         true, 238, 145, true, 8, u"MS Shell Dlg"},
        {"extended without a font", Extended(kChild, 10, 20, false, u"x", 0, u""), true, 10, 20, false, 0, u""},
        {"classic with a font", Classic(kSetFont, 100, 50, u"Tahoma"), false, 100, 50, true, 9, u"Tahoma"},
        {"classic without a font", Classic(kChild, 1, 2, u""), false, 1, 2, false, 0, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        config::DialogHeader h;
        ASSERT_TRUE(config::ReadDialogHeader(c.bytes.data(), c.bytes.size(), h));
        EXPECT_EQ(c.extended, h.extended);
        EXPECT_EQ(c.cx, h.cx);
        EXPECT_EQ(c.cy, h.cy);
        EXPECT_EQ(c.hasFont, h.hasFont);
        EXPECT_EQ(c.points, h.pointSize);
        EXPECT_EQ(c.face, h.face);
    }
}

// Every truncation of a valid template is rejected, without reading past the end (ASan watches), and
// leaves the output as it was.
TEST(DialogTemplate, RejectsEveryTruncation) {
    for (const auto& full : {Extended(kShellFont, 238, 145, true, u"CVS Commit", 8, u"MS Shell Dlg"),
                             Classic(kSetFont, 100, 50, u"Tahoma")}) {
        for (std::size_t n = 0; n < full.size(); ++n) {
            std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
            config::DialogHeader h;
            h.cx = 1234;
            EXPECT_FALSE(config::ReadDialogHeader(cut.empty() ? nullptr : cut.data(), n, h)) << n;
            EXPECT_EQ(1234, h.cx);
        }
    }
    config::DialogHeader h;
    EXPECT_FALSE(config::ReadDialogHeader(nullptr, 100, h));
}

// A face name without its terminating NUL runs into the end of the data: rejected.
TEST(DialogTemplate, RejectsUnterminatedFaceName) {
    auto bytes = Extended(kShellFont, 5, 5, false, u"", 8, u"Face");
    bytes.resize(bytes.size() - 2);
    config::DialogHeader h;
    EXPECT_FALSE(config::ReadDialogHeader(bytes.data(), bytes.size(), h));
}

}  // namespace

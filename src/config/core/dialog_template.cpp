#include "config/core/dialog_template.h"

#include <cstring>

namespace config {
namespace {

class Reader {
public:
    Reader(const void* data, std::size_t size) : p_(static_cast<const std::uint8_t*>(data)), size_(data ? size : 0) {}

    bool ok() const { return ok_; }

    std::uint16_t Word() {
        if (!ok_ || size_ - pos_ < 2) return Fail();
        std::uint16_t v = static_cast<std::uint16_t>(p_[pos_] | (p_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::uint32_t Dword() {
        std::uint32_t low = Word();
        std::uint32_t high = Word();
        return low | (high << 16);
    }
    std::uint8_t Byte() {
        if (!ok_ || size_ - pos_ < 1) return Fail();
        return p_[pos_++];
    }
    // A NUL-terminated UTF-16 string.
    std::u16string String() {
        std::u16string s;
        for (;;) {
            std::uint16_t c = Word();
            if (!ok_ || c == 0) return s;
            s += static_cast<char16_t>(c);
        }
    }
    // A menu or class field: 0 (none), 0xFFFF and an ordinal, or a string.
    void NameOrOrdinal() {
        std::uint16_t first = Word();
        if (!ok_ || first == 0) return;
        if (first == 0xFFFF) {
            Word();
            return;
        }
        String();
    }

private:
    std::uint16_t Fail() {
        ok_ = false;
        return 0;
    }

    const std::uint8_t* p_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace

bool ReadDialogHeader(const void* data, std::size_t size, DialogHeader& header) {
    DialogHeader h;
    Reader r(data, size);
    std::uint16_t first = r.Word();
    std::uint16_t second = r.Word();
    if (!r.ok()) return false;
    if (first == 1 && second == 0xFFFF) {
        h.extended = true;
        r.Dword();  // help id
        r.Dword();  // extended style
        h.style = r.Dword();
    } else {
        h.style = first | (static_cast<std::uint32_t>(second) << 16);
        r.Dword();  // extended style
    }
    r.Word();  // number of controls
    r.Word();  // x
    r.Word();  // y
    h.cx = static_cast<std::int16_t>(r.Word());
    h.cy = static_cast<std::int16_t>(r.Word());
    r.NameOrOrdinal();  // menu
    r.NameOrOrdinal();  // window class
    r.String();         // caption
    if (h.style & kDsSetFont) {
        h.hasFont = true;
        h.pointSize = r.Word();
        if (h.extended) {
            h.weight = r.Word();
            h.italic = r.Byte() != 0;
            r.Byte();  // character set
        }
        h.face = r.String();
    }
    if (!r.ok()) return false;
    header = h;
    return true;
}

}  // namespace config

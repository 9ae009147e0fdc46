#include "resource_reader.h"

#include <cstring>

namespace restest {

std::vector<std::uint8_t> ResourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) {
    HRSRC info = ::FindResourceExW(module, type, name, language);
    if (!info) return {};
    HGLOBAL handle = ::LoadResource(module, info);
    const void* data = handle ? ::LockResource(handle) : nullptr;
    DWORD size = ::SizeofResource(module, info);
    if (!data || size == 0) return {};
    const auto* p = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(p, p + size);
}

namespace {

// A bounds-checked cursor over the template; any overrun marks it failed.
class Cursor {
public:
    explicit Cursor(const std::vector<std::uint8_t>& b) : bytes_(b) {}
    bool ok() const { return ok_; }

    template <typename T>
    T Read() {
        T value{};
        if (pos_ + sizeof(T) > bytes_.size()) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, bytes_.data() + pos_, sizeof(T));
        pos_ += sizeof(T);
        return value;
    }
    std::wstring ReadString() {
        std::wstring s;
        for (;;) {
            wchar_t c = static_cast<wchar_t>(Read<WORD>());
            if (!ok_ || c == 0) return s;
            s += c;
        }
    }
    // A name or an ordinal: 0 (none), 0xFFFF followed by an ordinal, or a string.
    void ReadNameOrOrdinal(std::wstring& name, int& ordinal) {
        WORD first = Read<WORD>();
        if (!ok_ || first == 0) return;
        if (first == 0xFFFF) {
            ordinal = Read<WORD>();
            return;
        }
        name = static_cast<wchar_t>(first);
        name += ReadString();
    }
    void AlignDword() { pos_ = (pos_ + 3) & ~size_t(3); }
    void Skip(size_t n) {
        if (pos_ + n > bytes_.size()) ok_ = false;
        pos_ += n;
    }

private:
    const std::vector<std::uint8_t>& bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

std::wstring PredefinedClass(int ordinal) {
    switch (ordinal) {
    case 0x80: return L"Button";
    case 0x81: return L"Edit";
    case 0x82: return L"Static";
    case 0x83: return L"ListBox";
    case 0x84: return L"ScrollBar";
    case 0x85: return L"ComboBox";
    default: return L"#" + std::to_wstring(ordinal);
    }
}

}  // namespace

bool ParseDialog(const std::vector<std::uint8_t>& bytes, DialogTemplate& out) {
    out = DialogTemplate();
    Cursor c(bytes);
    WORD version = c.Read<WORD>();
    WORD signature = c.Read<WORD>();
    if (!c.ok() || version != 1 || signature != 0xFFFF) return false;
    out.extended = true;
    c.Read<DWORD>();  // help id
    out.exStyle = c.Read<DWORD>();
    out.style = c.Read<DWORD>();
    WORD count = c.Read<WORD>();
    c.Read<short>();
    c.Read<short>();
    out.cx = c.Read<short>();
    out.cy = c.Read<short>();
    std::wstring name;
    int ordinal = -1;
    c.ReadNameOrOrdinal(name, ordinal);  // menu
    c.ReadNameOrOrdinal(name, ordinal);  // window class
    out.caption = c.ReadString();
    if (out.style & DS_SETFONT) {
        out.pointSize = c.Read<WORD>();
        c.Read<WORD>();  // weight
        c.Read<BYTE>();  // italic
        c.Read<BYTE>();  // character set
        out.font = c.ReadString();
    }
    for (WORD i = 0; i < count && c.ok(); ++i) {
        c.AlignDword();
        DialogItem item;
        c.Read<DWORD>();  // help id
        item.exStyle = c.Read<DWORD>();
        item.style = c.Read<DWORD>();
        item.x = c.Read<short>();
        item.y = c.Read<short>();
        item.cx = c.Read<short>();
        item.cy = c.Read<short>();
        item.id = static_cast<int>(c.Read<DWORD>());
        int classOrdinal = -1;
        c.ReadNameOrOrdinal(item.className, classOrdinal);
        if (classOrdinal >= 0) item.className = PredefinedClass(classOrdinal);
        c.ReadNameOrOrdinal(item.text, item.textOrdinal);
        WORD extra = c.Read<WORD>();
        c.Skip(extra);
        out.items.push_back(item);
    }
    return c.ok() && out.items.size() == count;
}

}  // namespace restest

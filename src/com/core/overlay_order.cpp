#include "com/core/overlay_order.h"

#include <algorithm>

namespace ferrow {
namespace {

// The registry's upper-casing of one UTF-16 unit, for the letters of the ASCII and Latin-1 ranges (key
// names outside them are rare; their order may then differ from the system's table).
unsigned Upper(wchar_t c) {
    const unsigned u = static_cast<unsigned>(c) & 0xFFFF;
    if (u >= 'a' && u <= 'z') return u - 0x20;
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return u - 0x20;
    if (u == 0xFF) return 0x178;
    return u;
}

}  // namespace

bool OverlayKeyBefore(const std::wstring& a, const std::wstring& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](wchar_t x, wchar_t y) { return Upper(x) < Upper(y); });
}

size_t OverlayLoadOrder::OthersBefore() const {
    if (!Registered()) return 0;
    const size_t later = std::max(controlled, modified);
    return later - 1;  // every place before it but the module's other one
}

OverlayLoadOrder MakeOverlayLoadOrder(std::vector<std::wstring> names) {
    OverlayLoadOrder order;
    std::stable_sort(names.begin(), names.end(), OverlayKeyBefore);
    const auto same = [](const std::wstring& a, const std::wstring& b) {
        return !OverlayKeyBefore(a, b) && !OverlayKeyBefore(b, a);
    };
    for (size_t i = 0; i < names.size(); ++i) {
        if (order.controlled == OverlayLoadOrder::npos && same(names[i], kOverlayKeyControlled)) order.controlled = i;
        if (order.modified == OverlayLoadOrder::npos && same(names[i], kOverlayKeyModified)) order.modified = i;
    }
    order.names = std::move(names);
    return order;
}

}  // namespace ferrow

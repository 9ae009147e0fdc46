// The named replacements of a registration script ("%Module%", "%APPID%", ...): a small ordered table.
// Names are compared without regard to ASCII case; a later Add of the same name replaces the earlier value.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ferrow {

class RegistryReplacements {
public:
    void Add(std::wstring name, std::wstring value) {
        for (auto& item : items_) {
            if (SameName(item.first, name)) {
                item.second = std::move(value);
                return;
            }
        }
        items_.emplace_back(std::move(name), std::move(value));
    }
    // The value of a name, or null when the name is unknown.
    const std::wstring* Find(const std::wstring& name) const {
        for (const auto& item : items_) {
            if (SameName(item.first, name)) return &item.second;
        }
        return nullptr;
    }

    static bool SameName(const std::wstring& a, const std::wstring& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (Lower(a[i]) != Lower(b[i])) return false;
        }
        return true;
    }

private:
    static wchar_t Lower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

    std::vector<std::pair<std::wstring, std::wstring>> items_;
};

}  // namespace ferrow

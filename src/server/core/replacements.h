// The named replacements of a registration script ("%Module%", "%APPID%", ...): a small ordered table.
// Names are compared exactly; a later Add of the same name replaces the earlier value.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ferrow {

class RegistryReplacements {
public:
    void Add(std::wstring name, std::wstring value) {
        for (auto& item : items_) {
            if (item.first == name) {
                item.second = std::move(value);
                return;
            }
        }
        items_.emplace_back(std::move(name), std::move(value));
    }
    // The value of a name, or null when the name is unknown.
    const std::wstring* Find(const std::wstring& name) const {
        for (const auto& item : items_) {
            if (item.first == name) return &item.second;
        }
        return nullptr;
    }

private:
    std::vector<std::pair<std::wstring, std::wstring>> items_;
};

}  // namespace ferrow

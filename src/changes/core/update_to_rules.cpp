#include "changes/core/update_to_rules.h"

#include <algorithm>

namespace changes {

std::string UpdateToTemplate(UpdateTarget target) {
    switch (target) {
    case UpdateTarget::kTag: return "$(CVS) -q update -d -P -r $(Revision) $(Names)";
    case UpdateTarget::kDate: return "$(CVS) -q update -d -P -D $(Date) $(Names)";
    case UpdateTarget::kHead:
    default: return "$(CVS) -q update -d -P -A $(Names)";
    }
}

bool IsValidTagName(const std::string& name) {
    if (name.empty()) return false;
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!letter(name[0])) return false;
    return std::all_of(name.begin(), name.end(), [&](char c) {
        return letter(c) || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
}

bool IsPlausibleDate(const std::string& date) {
    if (date.empty() || date[0] == '-') return false;
    return date.find_first_of("\r\n") == std::string::npos && date.find_first_not_of(' ') != std::string::npos;
}

std::pair<std::string, std::string> ReadSticky(const std::string& tagText) {
    if (tagText.size() < 2) return {};
    switch (tagText[0]) {
    case 'T':
    case 'N': return {"tag", tagText.substr(1)};
    case 'D': return {"date", tagText.substr(1)};
    default: return {};
    }
}

std::vector<std::string> SortedTagNames(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

}  // namespace changes

#include "common/core/replace_all.h"

namespace ferrow {

std::string ReplaceAll(std::string text, const std::string& variable, const std::string& value) {
    if (variable.empty()) return text;
    size_t found = text.find(variable);
    if (found == std::string::npos) return text;
    // Built anew rather than replaced in place: captured output of megabytes with a line end every few
    // bytes would otherwise move the rest of the text once per line.
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    do {
        out.append(text, pos, found - pos);
        out += value;
        pos = found + variable.size();
    } while ((found = text.find(variable, pos)) != std::string::npos);
    out.append(text, pos, std::string::npos);
    return out;
}

}  // namespace ferrow

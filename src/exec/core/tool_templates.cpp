#include "exec/core/tool_templates.h"

namespace tools {

namespace {

// Variables begin with "$", never the trail byte of a double-byte character, so a byte search is exact.
std::string ReplaceVariable(std::string text, const char* variable, const std::string& value) {
    const std::string name(variable);
    size_t pos = 0;
    while ((pos = text.find(name, pos)) != std::string::npos) {
        text.replace(pos, name.size(), value);
        pos += value.size();
    }
    return text;
}

}  // namespace

std::string BuildFetchTemplate(const std::string& revision, const std::string& quotedTarget) {
    std::string command = "$(CVS) -q update -p -r $(Revision) $(Names) > " + quotedTarget;
    return ReplaceVariable(command, "$(Revision)", revision);
}

std::string BuildDiffCommand(const std::string& diffTemplate, const std::string& quotedOld,
                             const std::string& quotedNew) {
    return ReplaceVariable(ReplaceVariable(diffTemplate, "$(OldFile)", quotedOld), "$(NewFile)", quotedNew);
}

std::string BuildViewCommand(const std::string& viewTemplate, const std::string& quotedFile) {
    return ReplaceVariable(viewTemplate, "$(File)", quotedFile);
}

std::string RevisionFileName(const std::string& tempDir, const std::string& fileName, const std::string& revision) {
    return tempDir + fileName + "_" + revision;
}

}  // namespace tools

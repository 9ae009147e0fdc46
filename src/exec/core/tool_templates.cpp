#include "exec/core/tool_templates.h"

#include "common/core/replace_all.h"

namespace tools {

std::string BuildFetchTemplate(const std::string& revision, const std::string& quotedTarget) {
    std::string command = "$(CVS) -q update -p -r $(Revision) $(Names) > " + quotedTarget;
    return ferrow::ReplaceAll(command, "$(Revision)", revision);
}

std::string BuildDiffCommand(const std::string& diffTemplate, const std::string& quotedOld,
                             const std::string& quotedNew) {
    return ferrow::ReplaceAll(ferrow::ReplaceAll(diffTemplate, "$(OldFile)", quotedOld), "$(NewFile)", quotedNew);
}

std::string BuildViewCommand(const std::string& viewTemplate, const std::string& quotedFile) {
    return ferrow::ReplaceAll(viewTemplate, "$(File)", quotedFile);
}

std::string RevisionFileName(const std::string& tempDir, const std::string& fileName, const std::string& revision) {
    return tempDir + fileName + "_" + revision;
}

}  // namespace tools

#include "exec/core/tool_templates.h"

#include "common/core/replace_all.h"
#include "exec/core/command_text.h"

namespace tools {

std::string BuildDiffCommand(const std::string& diffTemplate, const std::string& quotedOld,
                             const std::string& quotedNew) {
    // One pass: an old file's name holding "$(NewFile)" stays as it is.
    return cmdline::FillTemplate(diffTemplate, {{"$(OldFile)", quotedOld}, {"$(NewFile)", quotedNew}},
                                 cmdline::NoLeadBytes);
}

std::string BuildViewCommand(const std::string& viewTemplate, const std::string& quotedFile) {
    return ferrow::ReplaceAll(viewTemplate, "$(File)", quotedFile);
}

std::string RevisionFileName(const std::string& tempDir, const std::string& fileName, const std::string& revision) {
    return tempDir + fileName + "_" + revision;
}

}  // namespace tools

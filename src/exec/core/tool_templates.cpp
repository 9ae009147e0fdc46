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

std::string TemplateProgram(const std::string& toolTemplate) {
    std::size_t start = toolTemplate.find_first_not_of(" \t");
    if (start == std::string::npos) return std::string();
    if (toolTemplate[start] == '"') {
        const std::size_t close = toolTemplate.find('"', start + 1);
        return toolTemplate.substr(start + 1, (close == std::string::npos ? toolTemplate.size() : close) - start - 1);
    }
    const std::size_t end = toolTemplate.find_first_of(" \t", start);
    return toolTemplate.substr(start, (end == std::string::npos ? toolTemplate.size() : end) - start);
}

bool NamesBuiltInViewer(const std::string& diffTemplate) {
    std::string program = TemplateProgram(diffTemplate);
    for (char& c : program) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return program == "ferrow" || program == "ferrow.exe";
}

std::string RevisionFileName(const std::string& tempDir, const std::string& fileName, const std::string& revision) {
    return tempDir + fileName + "_" + revision;
}

}  // namespace tools

// Command lines of the external tools: the revision fetch and the diff and view programs. Platform-free;
// names arrive already quoted.
#pragma once

#include <string>

namespace tools {

// "$(CVS) -q update -p -r $(Revision) $(Names) > " + quotedTarget, then every "$(Revision)" replaced by
// the revision (unquoted). The result still holds "$(CVS)" and "$(Names)" for the command composition.
std::string BuildFetchTemplate(const std::string& revision, const std::string& quotedTarget);

// The diff template with every "$(OldFile)", then every "$(NewFile)", replaced.
std::string BuildDiffCommand(const std::string& diffTemplate, const std::string& quotedOld,
                             const std::string& quotedNew);

// The view template with every "$(File)" replaced.
std::string BuildViewCommand(const std::string& viewTemplate, const std::string& quotedFile);

// The revision file's name inside tempDir (which ends with its separator): "<file name>_<revision>".
std::string RevisionFileName(const std::string& tempDir, const std::string& fileName, const std::string& revision);

}  // namespace tools

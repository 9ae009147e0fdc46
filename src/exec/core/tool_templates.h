// Command lines of the external tools: the revision fetch and the diff and view programs. Platform-free;
// names arrive already quoted.
#pragma once

#include <string>

namespace tools {

// The revision fetch: the client writes the revision of the one name into the revision file. Beside
// "$(CVS)" and "$(Names)" the fetch fills its two variables with the quoted revision and file name.
constexpr char kFetchTemplate[] = "$(CVS) -q update -p -r $(Revision) $(Names) > $(RevisionFile)";
constexpr char kRevisionVariable[] = "$(Revision)";
constexpr char kRevisionFileVariable[] = "$(RevisionFile)";

// The diff template with every "$(OldFile)" and every "$(NewFile)" replaced (the names are not searched).
std::string BuildDiffCommand(const std::string& diffTemplate, const std::string& quotedOld,
                             const std::string& quotedNew);

// The view template with every "$(File)" replaced.
std::string BuildViewCommand(const std::string& viewTemplate, const std::string& quotedFile);

// The program a tool template starts: its first argument, without its quotes ("C:\\Program Files\\x.exe"
// of "\"C:\\Program Files\\x.exe\" $(File)"). Empty for an empty template.
std::string TemplateProgram(const std::string& toolTemplate);

// A Diff setting that chooses Ferrow's own viewer: its program is "ferrow" (any case, with or without
// ".exe", without a folder), e.g. just "ferrow". The files need not be named: the viewer gets them.
bool NamesBuiltInViewer(const std::string& diffTemplate);

// The revision file's name inside tempDir (which ends with its separator): "<file name>_<revision>".
std::string RevisionFileName(const std::string& tempDir, const std::string& fileName, const std::string& revision);

}  // namespace tools

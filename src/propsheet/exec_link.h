// What the log reader needs of command composition and running (exec/). Declared here until the exec
// subsystem's own header is available; the declarations match its design.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Runs the template with "$(Names)" replaced by the selection's names relative to their common folder, in
// that folder; returns after the command has ended. Negative when the command could not run or failed.
HRESULT ExecuteTemplate(const std::string& commandTemplate, const std::vector<std::string>& selection);
// Encloses the text in double quotes when the command interpreter needs them.
std::string QuoteArgument(const std::string& text);

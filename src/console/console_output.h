// The one way for the rest of the system to write to the console bar of the Explorer window in which a
// context menu was last created. Each call is a no-op returning false when there is no current link, the
// window has no open console bar, or the bar was closed. Safe from any thread.
#pragma once

#include <string>

namespace console {

// Appends the text at the caret of the console bar.
bool Append(const std::string& text);
// Empties the console bar.
bool Clear();
// Opens the console bar of the window when the option "AutoShowOutput" was 1 when the link was made.
bool ShowIfAuto();
// A console link exists (a context menu was sited in this process).
bool HasLink();

}  // namespace console

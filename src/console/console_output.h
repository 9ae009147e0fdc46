// The one way for the rest of the system to write to the console bar of the Explorer window in which a
// context menu was last created on the calling thread (console/console_link.h). Each call is a no-op
// returning false when the thread has no link, the window has no open console bar, or the bar was closed.
// Callable from any thread; only the window's own thread ever reaches its bar.
#pragma once

#include <cstddef>
#include <string>

namespace console {

constexpr size_t kConsoleTextLimit = 8u << 20;

// Appends the text at the caret of the console bar. The bar keeps at most kConsoleTextLimit characters:
// before it would hold more, its oldest lines go, and a line saying so takes their place.
bool Append(const std::string& text);
// Empties the console bar.
bool Clear();
// Opens the console bar of the window when the option "AutoShowOutput" was 1 when the link was made.
bool ShowIfAuto();
// A console link exists (a context menu was sited in this process).
bool HasLink();
// The link's window has an open console bar with its text control (output appended now would show).
bool HasBar();

}  // namespace console

#include "console/console_output.h"

namespace console {

bool Append(const std::string&) { return false; }
bool Clear() { return false; }
bool ShowIfAuto() { return false; }
bool HasLink() { return false; }

}  // namespace console

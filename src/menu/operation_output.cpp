#include "menu/operation_output.h"

#include "console/console_output.h"

namespace menu {

void CConsoleOutput::OnOutput(exec::OutputKind kind, const std::string& text) {
    switch (kind) {
    case exec::OutputKind::kCommand:
        FlushErrors();
        console::Append(text);
        break;
    case exec::OutputKind::kOut:
        console::Append(text);
        break;
    case exec::OutputKind::kErr:
        errors_ += text;
        break;
    }
}

void CConsoleOutput::AppendLine(const std::string& line) {
    FlushErrors();
    console::Append(line);
}

void CConsoleOutput::FlushErrors() {
    if (errors_.empty()) return;
    console::Append(errors_);
    errors_.clear();
}

}  // namespace menu

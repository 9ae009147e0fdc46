// Where the output of an operation of the context menu goes besides its output window: the console bar of
// the Explorer window (console/console_output.h), growing while the commands run.
#pragma once

#include "exec/output_sink.h"

#include <string>

namespace menu {

// The console bar's share of an operation's output (the sink of its CProgressDialog): each echo line and
// standard output as they come; a command's standard error after its standard output, before the next
// command's echo, so that the bar reads as it did when it was written at the end.
class CConsoleOutput : public exec::IOutputSink {
public:
    void OnOutput(exec::OutputKind kind, const std::string& text) override;
    // Appends a closing line ("ok", "failed", the cancel text), after the errors still held.
    void AppendLine(const std::string& line);

private:
    void FlushErrors();
    std::string errors_;
};

}  // namespace menu

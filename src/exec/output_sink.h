// Where an operation's output goes while its commands run: the echo of each command line, standard output
// and standard error, in the order they arrived, with CR LF line ends. CProgressDialog hands them to its
// sinks on the operation's thread (never on a reader thread).
#pragma once

#include <string>

namespace exec {

enum class OutputKind {
    kCommand,  // the echo of a command line, EchoText
    kOut,      // standard output
    kErr,      // standard error
};

class IOutputSink {
public:
    // Called on the operation's thread, pieces of one kind merged as they came.
    virtual void OnOutput(OutputKind kind, const std::string& text) = 0;

protected:
    IOutputSink() = default;
    ~IOutputSink() = default;
};

// The echo of a command line as every output shows it: ">", the line, CR LF.
inline std::string EchoText(const std::string& commandLine) { return ">" + commandLine + "\r\n"; }

}  // namespace exec

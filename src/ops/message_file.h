// The commit message in a temporary file, for the client's -F option: through a file it reaches the client
// byte for byte (double quotes and percent signs included).
#pragma once

#include <string>

namespace ops {

// Writes the file at construction and removes it when the object ends (after the run). Path() is empty
// when the file could not be written: the caller then passes the message on the command line, quoted.
class MessageFile {
public:
    explicit MessageFile(const std::string& message);
    ~MessageFile();
    MessageFile(const MessageFile&) = delete;
    MessageFile& operator=(const MessageFile&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace ops

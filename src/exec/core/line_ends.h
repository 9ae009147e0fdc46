// Captured output with CR LF line ends, for text controls, chunk by chunk as it arrives: every LF that
// follows no CR becomes CR LF, a CR LF stays, a lone CR stays. Fed the whole text at once or in any split,
// the result is the same. Platform-free.
#pragma once

#include <cstddef>
#include <string>

namespace exec {

class LineEndStream {
public:
    // The chunk with its line ends made CR LF; remembers whether it ended with a CR.
    std::string Feed(const char* data, size_t size);
    std::string Feed(const std::string& text) { return Feed(text.data(), text.size()); }

private:
    bool afterCR_ = false;
};

// A whole text through a fresh stream.
std::string ToCrLf(const std::string& text);

}  // namespace exec

#include "exec/core/line_ends.h"

namespace exec {

std::string LineEndStream::Feed(const char* data, size_t size) {
    std::string out;
    out.reserve(size + size / 16);
    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n' && !afterCR_) out += '\r';
        out += c;
        afterCR_ = c == '\r';
    }
    return out;
}

std::string ToCrLf(const std::string& text) { return LineEndStream().Feed(text); }

}  // namespace exec

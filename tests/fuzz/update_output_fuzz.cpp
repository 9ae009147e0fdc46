// The reader of "cvs -n -q update" output and the ignore patterns on any bytes: the first byte splits the
// input into standard output and standard error; every state names a file the output named, with a path
// no longer than the input; a .cvsignore text of any words and any name never hang or fault.
#include "changes/core/ignore_rules.h"
#include "changes/core/update_output.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t split = data[0] * text.size() / 255;
    const auto states = changes::ParseUpdateOutput(text.substr(0, split), text.substr(split));
    for (const auto& state : states) {
        if (state.path.size() > text.size()) __builtin_trap();
        if (state.local == 0 && state.remote == 0) __builtin_trap();
    }
    const changes::CIgnoreList list = changes::CIgnoreList().With(text.substr(0, split));
    list.Matches(text.substr(split, 64));
    return 0;
}

// Arbitrary bytes as the client's annotate output: the parser and the age of each line.
#include "diffview/core/annotate.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string output(reinterpret_cast<const char*>(data), size);
    const std::vector<diffview::AnnotatedLine> lines = diffview::ParseAnnotate(output);
    size_t texts = 0;
    for (const diffview::AnnotatedLine& l : lines) {
        if (l.revision.empty() || l.author.empty() || l.author.size() > size) __builtin_trap();
        if (diffview::DateNumber(l.date) < 0) __builtin_trap();
        texts += l.revision.size() + l.author.size() + l.date.size() + l.text.size();
    }
    if (texts > size) __builtin_trap();
    const std::vector<int> ages = diffview::AgePercent(lines);
    if (ages.size() != lines.size()) __builtin_trap();
    for (int age : ages) {
        if (age < 0 || age > 100) __builtin_trap();
    }
    return 0;
}

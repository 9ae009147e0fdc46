// Arbitrary bytes through the line splitter and the entry-line parser, as a CVS/Entries file.
#include "model/core/entry.h"
#include "model/core/line_splitter.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryLineSplitter splitter(reinterpret_cast<const char*>(data), size);
    std::string line;
    size_t total = 0;
    int32_t rc;
    while ((rc = splitter.ReadLine(line)) == 0) {
        // Delivered text never holds a line end or a NUL, and never more than was read.
        if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) __builtin_trap();
        total += line.size();
        if (total > size) __builtin_trap();
        CCVSEntry entry;
        if (ParseEntryLine(line, entry)) {
            if (line[0] != '/') __builtin_trap();
            if (entry.Name.size() + entry.Revision.size() + entry.Timestamp.size() + entry.Options.size() +
                    entry.TagDate.size() + 5 > line.size())
                __builtin_trap();
        }
    }
    if (rc != 1 || splitter.ReadLine(line) != 1) __builtin_trap();
    return 0;
}

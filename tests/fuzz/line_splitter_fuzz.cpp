// Arbitrary bytes through the line splitter and the entry-line parser, as a CVS/Entries file, and the
// index built from them, which must answer every listed name with the first line of that name.
#include "model/core/entry.h"
#include "model/core/entry_index.h"
#include "model/core/line_splitter.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryLineSplitter splitter(reinterpret_cast<const char*>(data), size);
    CEntryIndex index([](std::string_view name) { return std::string(name); });
    std::vector<CCVSEntry> firsts;
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
            bool seen = false;
            for (const CCVSEntry& e : firsts) seen = seen || e.Name == entry.Name;
            if (!seen && firsts.size() < 64) firsts.push_back(entry);
        }
        index.AddLine(line);
    }
    if (rc != 1 || splitter.ReadLine(line) != 1) __builtin_trap();
    for (const CCVSEntry& e : firsts) {
        CCVSEntry found;
        if (!index.Find(e.Name, found) || found.Revision != e.Revision || found.Options != e.Options ||
            found.TagDate != e.TagDate || found.Timestamp != e.Timestamp)
            __builtin_trap();
    }
    return 0;
}

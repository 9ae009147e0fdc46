// The log's table of symbolic names against a plain map: any sequence of additions, replacements and
// look-ups (names with any bytes, growth through every table size) keeps exactly the map's contents,
// and the enumeration lists every name once.
#include "model/core/tag_table.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CTagTable table;
    std::map<std::string, std::string> model;
    size_t pos = 0;
    // Each step: one control byte, then a name of (control & 15) bytes; the revision is the step number.
    // Control bit 4 makes the step a look-up; bit 5 repeats the addition of fresh names 64 times to grow
    // the table quickly.
    for (unsigned step = 0; pos < size; ++step) {
        const uint8_t control = data[pos++];
        const size_t length = control & 15;
        const std::string name(reinterpret_cast<const char*>(data) + pos, pos + length <= size ? length : size - pos);
        pos += name.size();
        if (control & 16) {
            const std::string* found = table.Find(name);
            auto it = model.find(name);
            if ((found == nullptr) != (it == model.end())) __builtin_trap();
            if (found && *found != it->second) __builtin_trap();
            continue;
        }
        const int copies = (control & 32) ? 64 : 1;
        for (int i = 0; i < copies; ++i) {
            const std::string key = copies == 1 ? name : name + "." + std::to_string(step) + "." + std::to_string(i);
            const std::string revision = "1." + std::to_string(step);
            table.Set(key, revision);
            model[key] = revision;
        }
        if (table.Count() != model.size()) __builtin_trap();
    }
    std::set<std::string> seen;
    size_t visits = 0;
    table.ForEach([&](const std::string& name, const std::string& revision) {
        ++visits;
        auto it = model.find(name);
        if (it == model.end() || it->second != revision) __builtin_trap();
        seen.insert(name);
    });
    if (visits != model.size() || seen.size() != model.size()) __builtin_trap();
    if (table.Entries().size() != model.size()) __builtin_trap();
    return 0;
}

#include "model/core/entry.h"

bool ParseEntryLine(std::string_view line, CCVSEntry& entry) {
    if (line.empty() || line[0] != '/') return false;
    entry = CCVSEntry();
    std::string* fields[] = {&entry.Name, &entry.Revision, &entry.Timestamp, &entry.Options};
    size_t pos = 1;
    for (std::string* field : fields) {
        size_t slash = line.find('/', pos);
        if (slash == std::string_view::npos) return false;
        field->assign(line.substr(pos, slash - pos));
        pos = slash + 1;
    }
    size_t end = line.find('/', pos);
    entry.TagDate.assign(line.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
    return true;
}

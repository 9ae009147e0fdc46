#include "model/core/binary_files.h"

bool IsBinaryContent(std::string_view bytes) {
    if (bytes.size() >= 2) {
        const std::string_view bom = bytes.substr(0, 2);
        if (bom == "\xFF\xFE" || bom == "\xFE\xFF") return true;
    }
    return bytes.find('\0') != std::string_view::npos;
}

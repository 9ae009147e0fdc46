// Reads the header of a dialog template resource (the classic DLGTEMPLATE and the extended DLGTEMPLATEEX):
// its size in dialog units and the font it is laid out in. Platform-free and bounds-checked: malformed
// bytes give false, never a read past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace config {

struct DialogHeader {
    bool extended = false;   // DLGTEMPLATEEX
    std::uint32_t style = 0;
    std::int16_t cx = 0;     // size in dialog units
    std::int16_t cy = 0;
    bool hasFont = false;    // DS_SETFONT: pointSize and face below are valid
    std::uint16_t pointSize = 0;
    std::uint16_t weight = 0;
    bool italic = false;
    std::u16string face;
};

constexpr std::uint32_t kDsSetFont = 0x40;

bool ReadDialogHeader(const void* data, std::size_t size, DialogHeader& header);

}  // namespace config

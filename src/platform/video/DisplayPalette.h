// The palette stand-in: 256 colour entries (0x00BBGGRR words, as the
// original's PALETTEENTRY bytes read little-endian) for 8-bit surfaces.
#pragma once

#include "platform/video/DisplayObject.h"
#include "platform/video/DisplayTypes.h"

#include <array>
#include <cstdint>

namespace Plat {

class DisplayPalette : public DisplayObject {
public:
    explicit DisplayPalette(const uint32_t* entries);

    HResult GetEntries(int start, int count, uint32_t* entries) const;
    HResult SetEntries(int start, int count, const uint32_t* entries);

private:
    ~DisplayPalette() override = default;
    std::array<uint32_t, 256> mEntries{};
};

} // namespace Plat

#include "support/TgaWriter.h"

namespace LumoTest {

namespace {

void PutU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

} // namespace

std::vector<uint8_t> TgaWriter::Header(const TgaHeader& header)
{
    std::vector<uint8_t> out;
    out.push_back(header.idLength);
    out.push_back(header.colorMapType);
    out.push_back(header.imageType);
    PutU16(out, header.colorMapOrigin);
    PutU16(out, header.colorMapLength);
    out.push_back(header.colorMapEntryBits);
    PutU16(out, header.xOrigin);
    PutU16(out, header.yOrigin);
    PutU16(out, header.width);
    PutU16(out, header.height);
    out.push_back(header.pixelDepth);
    out.push_back(header.descriptor);
    return out;
}

std::vector<uint8_t> TgaWriter::Build(const TgaHeader& header, const std::vector<uint32_t>& pixels,
                                      const std::vector<uint8_t>& extra)
{
    std::vector<uint8_t> out = Header(header);
    out.insert(out.end(), extra.begin(), extra.end());
    for (const uint32_t pixel : pixels) {
        out.push_back(static_cast<uint8_t>(pixel));
        out.push_back(static_cast<uint8_t>(pixel >> 8));
        out.push_back(static_cast<uint8_t>(pixel >> 16));
        out.push_back(static_cast<uint8_t>(pixel >> 24));
    }
    return out;
}

} // namespace LumoTest

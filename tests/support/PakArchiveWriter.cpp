#include "support/PakArchiveWriter.h"

#include "framework/core/PakInterface.h"

namespace LumoTest {

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

} // namespace

std::vector<uint8_t> PakArchiveWriter::BuildPlain(const std::vector<PakArchiveItem>& items,
                                                  const PakArchiveOptions& options)
{
    std::vector<uint8_t> out;
    PutU32(out, options.magic);
    PutU32(out, options.version);
    for (const PakArchiveItem& item : items) {
        out.push_back(options.recordFlags);
        out.push_back(uint8_t(item.name.size()));
        out.insert(out.end(), item.name.begin(), item.name.end());
        PutU32(out, item.declaredSize.value_or(uint32_t(item.bytes.size())));
        PutU32(out, uint32_t(item.timeStamp));
        PutU32(out, uint32_t(item.timeStamp >> 32));
    }
    if (options.endFlag)
        out.push_back(kPakFlagEnd);
    for (const PakArchiveItem& item : items)
        out.insert(out.end(), item.bytes.begin(), item.bytes.end());
    return out;
}

std::vector<uint8_t> PakArchiveWriter::Scramble(std::vector<uint8_t> bytes)
{
    for (uint8_t& b : bytes)
        b ^= kPakScrambleKey;
    return bytes;
}

std::vector<uint8_t> PakArchiveWriter::Build(const std::vector<PakArchiveItem>& items,
                                             const PakArchiveOptions& options)
{
    return Scramble(BuildPlain(items, options));
}

size_t PakArchiveWriter::DataStart(const std::vector<PakArchiveItem>& items)
{
    size_t start = 8 + 1;
    for (const PakArchiveItem& item : items)
        start += 1 + 1 + item.name.size() + 4 + 8;
    return start;
}

} // namespace LumoTest

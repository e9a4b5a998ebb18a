// Builds pak archives for tests: the scrambled bytes of an archive from a
// list of entries, with switches that break it in the ways a damaged or
// hostile file would.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace LumoTest {

struct PakArchiveItem {
    std::string name; // as written in the directory, e.g. "gfx\\font1.png"
    std::string bytes;
    uint64_t timeStamp = 0;
    // Size written in the directory in place of the true one.
    std::optional<uint32_t> declaredSize;
};

struct PakArchiveOptions {
    uint32_t magic = 0xBAC04AC0;
    uint32_t version = 0;
    bool endFlag = true; // false: the directory runs on to the end of the file
    uint8_t recordFlags = 0; // flags byte of every record (bit 7 must stay clear)
};

class PakArchiveWriter {
public:
    // The archive's bytes before scrambling: header, directory, data.
    static std::vector<uint8_t> BuildPlain(const std::vector<PakArchiveItem>& items,
                                           const PakArchiveOptions& options = PakArchiveOptions());
    // XORs every byte with the layer's key.
    static std::vector<uint8_t> Scramble(std::vector<uint8_t> bytes);
    // The scrambled archive.
    static std::vector<uint8_t> Build(const std::vector<PakArchiveItem>& items,
                                      const PakArchiveOptions& options = PakArchiveOptions());
    // Where the data area begins in an archive of these items.
    static size_t DataStart(const std::vector<PakArchiveItem>& items);
};

} // namespace LumoTest

using LumoTest::PakArchiveItem;
using LumoTest::PakArchiveOptions;
using LumoTest::PakArchiveWriter;

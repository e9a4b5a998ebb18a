#include "framework/app/ProductVersion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

#ifndef LUMO_PRODUCT_VERSION
#define LUMO_PRODUCT_VERSION ""
#endif

namespace Lumo {

namespace {

struct VersionRecord {
    char magic[8];
    char text[56];
};
static_assert(sizeof(VersionRecord) == 64);

// Kept by the linker even though nothing reads it in the program: the reader
// finds it in the file, not in memory.
__attribute__((used, section(".lumo.version"))) const VersionRecord kVersionRecord = {
    {'L', 'U', 'M', 'O', 'P', 'V', 'E', 'R'}, LUMO_PRODUCT_VERSION};

// A section table entry bigger than this, or a record section bigger than
// this, is not ours: refuse rather than read megabytes.
constexpr uint64_t kMaxSectionNames = 1u << 20;
constexpr uint64_t kMaxRecordSize = 4096;

class ElfFile {
public:
    explicit ElfFile(const std::string& path) : mStream(path, std::ios::binary)
    {
        if (mStream) {
            mStream.seekg(0, std::ios::end);
            const std::streamoff end = mStream.tellg();
            mSize = end > 0 ? static_cast<uint64_t>(end) : 0;
        }
    }

    // Reads size bytes at offset; false when any of them lies past the end.
    bool Read(uint64_t offset, uint64_t size, std::vector<uint8_t>& out)
    {
        if (!mStream || offset > mSize || size > mSize - offset) {
            return false;
        }
        out.resize(static_cast<size_t>(size));
        if (size == 0) {
            return true;
        }
        mStream.seekg(static_cast<std::streamoff>(offset));
        mStream.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(size));
        return static_cast<uint64_t>(mStream.gcount()) == size;
    }

private:
    std::ifstream mStream;
    uint64_t mSize = 0;
};

class Fields {
public:
    Fields(const std::vector<uint8_t>& bytes, bool bigEndian) : mBytes(bytes), mBigEndian(bigEndian) {}

    // The caller has checked offset + width against the size.
    uint64_t Get(size_t offset, int width) const
    {
        uint64_t value = 0;
        for (int i = 0; i < width; ++i) {
            const uint8_t byte = mBytes[offset + static_cast<size_t>(mBigEndian ? i : width - 1 - i)];
            value = (value << 8) | byte;
        }
        return value;
    }

private:
    const std::vector<uint8_t>& mBytes;
    bool mBigEndian;
};

} // namespace

const char* BuiltProductVersion()
{
    return kVersionRecord.text;
}

std::string ReadProductVersion(const std::string& path)
{
    ElfFile file(path);
    std::vector<uint8_t> header;
    if (!file.Read(0, 52, header) || header[0] != 0x7F || header[1] != 'E' || header[2] != 'L' || header[3] != 'F') {
        return std::string();
    }
    const bool is64 = header[4] == 2;
    if ((header[4] != 1 && !is64) || (header[5] != 1 && header[5] != 2)) {
        return std::string();
    }
    const bool bigEndian = header[5] == 2;
    if (is64 && !file.Read(0, 64, header)) {
        return std::string();
    }
    const Fields h(header, bigEndian);
    const uint64_t tableOffset = is64 ? h.Get(0x28, 8) : h.Get(0x20, 4);
    const uint64_t entrySize = is64 ? h.Get(0x3A, 2) : h.Get(0x2E, 2);
    const uint64_t count = is64 ? h.Get(0x3C, 2) : h.Get(0x30, 2);
    const uint64_t namesIndex = is64 ? h.Get(0x3E, 2) : h.Get(0x32, 2);
    const uint64_t minEntrySize = is64 ? 0x40 : 0x28;
    // Extended numbering (count 0 or an escaped name index) only appears in
    // files with tens of thousands of sections; ours never are.
    if (entrySize < minEntrySize || count == 0 || namesIndex >= count) {
        return std::string();
    }
    std::vector<uint8_t> table;
    if (!file.Read(tableOffset, entrySize * count, table)) {
        return std::string();
    }
    const Fields t(table, bigEndian);
    struct Section {
        uint64_t name, type, offset, size;
    };
    auto section = [&](uint64_t index) {
        const size_t base = static_cast<size_t>(index * entrySize);
        if (is64) {
            return Section{t.Get(base, 4), t.Get(base + 4, 4), t.Get(base + 0x18, 8), t.Get(base + 0x20, 8)};
        }
        return Section{t.Get(base, 4), t.Get(base + 4, 4), t.Get(base + 0x10, 4), t.Get(base + 0x14, 4)};
    };
    constexpr uint64_t kNoBits = 8;
    const Section namesSection = section(namesIndex);
    std::vector<uint8_t> names;
    if (namesSection.type == kNoBits || namesSection.size > kMaxSectionNames ||
        !file.Read(namesSection.offset, namesSection.size, names)) {
        return std::string();
    }
    const size_t wantedLength = std::strlen(kProductVersionSection);
    for (uint64_t i = 0; i < count; ++i) {
        const Section s = section(i);
        if (s.name >= names.size() || names.size() - s.name <= wantedLength ||
            std::memcmp(&names[static_cast<size_t>(s.name)], kProductVersionSection, wantedLength + 1) != 0) {
            continue;
        }
        std::vector<uint8_t> record;
        if (s.type == kNoBits || s.size < sizeof(kProductVersionMagic) + 1 || s.size > kMaxRecordSize ||
            !file.Read(s.offset, s.size, record) ||
            std::memcmp(record.data(), kProductVersionMagic, sizeof(kProductVersionMagic)) != 0) {
            return std::string();
        }
        const auto textBegin = record.begin() + sizeof(kProductVersionMagic);
        const auto textEnd = std::find(textBegin, record.end(), uint8_t(0));
        if (textEnd == record.end()) {
            return std::string();
        }
        return std::string(textBegin, textEnd);
    }
    return std::string();
}

} // namespace Lumo

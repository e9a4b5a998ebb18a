// The byte source of the TGA and GIF readers: an open pak file or a block of
// memory, so the same decoders also run on bytes already in memory.
#pragma once

#include <cstddef>
#include <cstdint>

struct PakFile;

namespace ImageLib {

class ImageStream {
public:
    // Reads through the pak layer; the caller keeps and closes the file.
    explicit ImageStream(PakFile* file);
    // Reads the bytes in place; they must outlive the stream.
    ImageStream(const uint8_t* data, size_t size);

    // Reads up to size bytes; the number read (short only at the end).
    size_t Read(void* buffer, size_t size);
    // The next byte, or -1 at the end.
    int ReadByte();
    // A little-endian 16-bit number; false at the end.
    bool ReadU16(uint16_t& value);
    // Moves count bytes on.
    void Skip(size_t count);

private:
    PakFile* mFile = nullptr;
    const uint8_t* mData = nullptr;
    size_t mSize = 0;
    size_t mPosition = 0;
};

} // namespace ImageLib

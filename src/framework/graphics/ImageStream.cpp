#include "framework/graphics/ImageStream.h"

#include "framework/core/PakClient.h"

#include <cstdio>
#include <cstring>

namespace ImageLib {

ImageStream::ImageStream(PakFile* file)
    : mFile(file)
{
}

ImageStream::ImageStream(const uint8_t* data, size_t size)
    : mData(data)
    , mSize(data != nullptr ? size : 0)
{
}

size_t ImageStream::Read(void* buffer, size_t size)
{
    if (size == 0)
        return 0;
    if (mFile != nullptr)
        return Lumo::PakRead(buffer, 1, size, mFile);
    const size_t available = mSize - mPosition;
    const size_t count = size < available ? size : available;
    if (count > 0)
        std::memcpy(buffer, mData + mPosition, count);
    mPosition += count;
    return count;
}

int ImageStream::ReadByte()
{
    uint8_t value = 0;
    return Read(&value, 1) == 1 ? value : -1;
}

bool ImageStream::ReadU16(uint16_t& value)
{
    uint8_t bytes[2];
    if (Read(bytes, 2) != 2)
        return false;
    value = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    return true;
}

void ImageStream::Skip(size_t count)
{
    if (mFile != nullptr) {
        // Past the end is fine: the next read simply comes back short.
        Lumo::PakSeek(mFile, static_cast<long>(count), SEEK_CUR);
        return;
    }
    const size_t available = mSize - mPosition;
    mPosition += count < available ? count : available;
}

} // namespace ImageLib

#include "framework/core/Buffer.h"

#include "framework/core/StringUtils.h"

#include <climits>

namespace Lumo {

void Buffer::Clear()
{
    std::vector<uint8_t>().swap(mData);
    mBitLength = 0;
    mReadPos = 0;
    mWritePos = 0;
}

void Buffer::SetData(const uint8_t* data, int count)
{
    // Bit positions are ints: keep what they can address.
    if (count < 0 || data == nullptr)
        count = 0;
    if (count > INT_MAX / 8)
        count = INT_MAX / 8;
    // Through a copy, so that the buffer's own bytes may be passed in.
    std::vector<uint8_t> copy(data, data + count);
    mData.swap(copy);
    mBitLength = count * 8;
}

const uint8_t* Buffer::GetDataPtr() const
{
    return mData.empty() ? nullptr : mData.data();
}

int Buffer::GetDataLen() const
{
    return (mBitLength + 7) / 8;
}

uint8_t& Buffer::ByteForWrite(int bitPos)
{
    const size_t index = static_cast<size_t>(bitPos / 8);
    if (index >= mData.size())
        mData.resize(index + 1, 0);
    return mData[index];
}

void Buffer::NoteWritten()
{
    if (mWritePos > mBitLength)
        mBitLength = mWritePos;
}

void Buffer::WriteByte(uint8_t value)
{
    const int shift = mWritePos % 8;
    if (shift == 0) {
        mData.push_back(value);
    } else {
        ByteForWrite(mWritePos) |= static_cast<uint8_t>(value << shift);
        mData.push_back(static_cast<uint8_t>(value >> (8 - shift)));
    }
    mWritePos += 8;
    NoteWritten();
}

void Buffer::WriteNumBits(int value, int numBits)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    for (int i = 0; i < numBits; ++i) {
        if (mWritePos % 8 == 0)
            mData.push_back(0);
        if (i < 32 && ((bits >> i) & 1) != 0)
            ByteForWrite(mWritePos) |= static_cast<uint8_t>(1 << (mWritePos % 8));
        ++mWritePos;
    }
    NoteWritten();
}

void Buffer::WriteBoolean(bool value)
{
    WriteByte(value ? 1 : 0);
}

void Buffer::WriteLong(int value)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    WriteByte(static_cast<uint8_t>(bits));
    WriteByte(static_cast<uint8_t>(bits >> 8));
    WriteByte(static_cast<uint8_t>(bits >> 16));
    WriteByte(static_cast<uint8_t>(bits >> 24));
}

bool Buffer::WriteString(const std::string& text)
{
    if (text.size() > static_cast<size_t>(kMaxStringLength))
        return false;
    const int length = static_cast<int>(text.size());
    WriteByte(static_cast<uint8_t>(length));
    WriteByte(static_cast<uint8_t>(length >> 8));
    WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), length);
    return true;
}

void Buffer::WriteBytes(const uint8_t* data, int count)
{
    if (count <= 0)
        return;
    // Appending may move the buffer's own bytes: copy them first.
    if (!mData.empty() && data >= mData.data() && data < mData.data() + mData.size()) {
        const std::vector<uint8_t> copy(data, data + count);
        WriteBytes(copy.data(), count);
        return;
    }
    for (int i = 0; i < count; ++i)
        WriteByte(data[i]);
}

uint8_t Buffer::ReadByte()
{
    // The end test counts stored bytes, not valid bits.
    const size_t stored = mData.size();
    if (static_cast<size_t>((mReadPos + 7) / 8) >= stored)
        return 0;

    const int shift = mReadPos % 8;
    const size_t index = static_cast<size_t>(mReadPos / 8);
    uint8_t value;
    if (shift == 0)
        value = mData[index];
    else
        value = static_cast<uint8_t>((mData[index] >> shift) | (mData[index + 1] << (8 - shift)));
    mReadPos += 8;
    return value;
}

int Buffer::ReadNumBits(int numBits, bool signExtend)
{
    uint32_t value = 0;
    bool lastBit = false;
    for (int i = 0; i < numBits; ++i) {
        const size_t index = static_cast<size_t>(mReadPos / 8);
        if (index >= mData.size())
            break;
        lastBit = ((mData[index] >> (mReadPos % 8)) & 1) != 0;
        if (lastBit && i < 32)
            value |= 1u << i;
        ++mReadPos;
    }
    if (signExtend && lastBit && numBits < 32)
        value |= ~0u << numBits;
    return static_cast<int>(value);
}

bool Buffer::ReadBoolean()
{
    return ReadByte() != 0;
}

int Buffer::ReadLong()
{
    uint32_t value = ReadByte();
    value |= static_cast<uint32_t>(ReadByte()) << 8;
    value |= static_cast<uint32_t>(ReadByte()) << 16;
    value |= static_cast<uint32_t>(ReadByte()) << 24;
    return static_cast<int>(value);
}

std::string Buffer::ReadString()
{
    const uint8_t low = ReadByte();
    const uint8_t high = ReadByte();
    const int length = static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)));
    std::string text;
    if (length <= 0)
        return text;
    text.resize(static_cast<size_t>(length));
    ReadBytes(reinterpret_cast<uint8_t*>(text.data()), length);
    return text;
}

void Buffer::ReadBytes(uint8_t* data, int count)
{
    for (int i = 0; i < count; ++i)
        data[i] = ReadByte();
}

std::string Buffer::ReadLine()
{
    std::string line;
    for (;;) {
        const uint8_t c = ReadByte();
        if (c == 0 || c == 10)
            break;
        if (c != 13)
            line += static_cast<char>(c);
    }
    return line;
}

std::u16string Buffer::UTF8ToWideString() const
{
    std::u16string text;
    size_t count = static_cast<size_t>(GetDataLen());
    if (count > mData.size())
        count = mData.size();
    if (count == 0)
        return text;

    const uint8_t* pos = mData.data();
    const uint8_t* const end = pos + count;
    text.reserve(count);
    bool first = true;
    while (pos < end) {
        char16_t c;
        if (ReadUTF8Char(&pos, static_cast<int>(end - pos), &c) == 0)
            break;
        if (!(first && c == 0xFEFF))
            text += c;
        first = false;
    }
    return text;
}

} // namespace Lumo

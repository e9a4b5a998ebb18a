// A growable byte array with bit-level read and write positions: whole files,
// settings values and the demo stream pass through it. Stream bit i is bit
// (i mod 8), from the least significant, of byte (i / 8); multi-byte numbers
// are little-endian; a string is a 16-bit length and its bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Lumo {

class Buffer {
public:
    Buffer() = default;
    Buffer(const Buffer&) = default;
    Buffer& operator=(const Buffer&) = default;
    Buffer(Buffer&&) = default;
    Buffer& operator=(Buffer&&) = default;
    virtual ~Buffer() = default;

    // Frees the bytes and sets the bit length and both positions to 0.
    void Clear();
    // Replaces the bytes (bit length 8 x count); the positions stay as they are.
    void SetData(const uint8_t* data, int count);
    // The bytes, null when there are none.
    const uint8_t* GetDataPtr() const;
    // (bit length + 7) / 8.
    int GetDataLen() const;
    // The byte vector and the bit length themselves, for a reader that may
    // not call anything (the crash handler).
    const std::vector<uint8_t>* ByteVector() const { return &mData; }
    const int* BitLengthAddress() const { return &mBitLength; }
    bool AtEnd() const { return mReadPos >= mBitLength; }
    void SeekFront() { mReadPos = 0; }
    // The bit read position, so that a reader can look ahead and go back.
    int GetReadPos() const { return mReadPos; }
    void SetReadPos(int bitPos) { mReadPos = bitPos; }

    // Writes append at the write position.
    void WriteByte(uint8_t value);
    // The low numBits bits of the value, least significant first.
    void WriteNumBits(int value, int numBits);
    void WriteBoolean(bool value);
    void WriteLong(int value);
    // A 16-bit length and the bytes. A string longer than 32767 bytes could
    // not be read back: it is refused (false) and nothing is written.
    bool WriteString(const std::string& text);
    void WriteBytes(const uint8_t* data, int count);

    // Reads past the end give 0 (or the bits read so far); test AtEnd.
    uint8_t ReadByte();
    // With signExtend and a last bit of 1, the bits above numBits are set.
    int ReadNumBits(int numBits, bool signExtend);
    bool ReadBoolean();
    int ReadLong();
    std::string ReadString();
    void ReadBytes(uint8_t* data, int count);
    // Up to a line feed (consumed) or a 0 byte; carriage returns are dropped.
    std::string ReadLine();

    // Decodes all stored bytes as UTF-8, whatever the read position; stops at
    // the first bad sequence. A leading U+FEFF is dropped.
    std::u16string UTF8ToWideString() const;

    static constexpr int kMaxStringLength = 32767;

private:
    // The byte holding the given bit of the write position, grown into
    // existence if the data is shorter (after SetData with fewer bytes).
    uint8_t& ByteForWrite(int bitPos);
    void NoteWritten();

    std::vector<uint8_t> mData;
    int mBitLength = 0;
    int mReadPos = 0;
    int mWritePos = 0;
};

} // namespace Lumo

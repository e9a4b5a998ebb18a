// The bit buffer: bit order, numbers, strings, lines and UTF-8 text.
#include "framework/core/Buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const Lumo::Buffer& buffer)
{
    const uint8_t* data = buffer.GetDataPtr();
    return data == nullptr ? std::vector<uint8_t>() : std::vector<uint8_t>(data, data + buffer.GetDataLen());
}

Lumo::Buffer FromBytes(const std::vector<uint8_t>& bytes)
{
    Lumo::Buffer buffer;
    buffer.SetData(bytes.data(), static_cast<int>(bytes.size()));
    return buffer;
}

TEST(BufferTest, BitsThenUnalignedByte)
{
    Lumo::Buffer buffer;
    buffer.WriteNumBits(5, 3);
    buffer.WriteByte(0xAB);
    // 101 in bits 0-2, then 0xAB from bit 3: (0xAB << 3) & 0xFF = 0x58 | 5, and 0xAB >> 5.
    EXPECT_EQ(Bytes(buffer), (std::vector<uint8_t>{ 0x5D, 0x05 }));
    EXPECT_EQ(buffer.GetDataLen(), 2);

    EXPECT_EQ(buffer.ReadNumBits(3, false), 5);
    EXPECT_FALSE(buffer.AtEnd());
    EXPECT_EQ(buffer.ReadByte(), 0xAB);
    EXPECT_TRUE(buffer.AtEnd()); // read position 11 = bit length

    // Past the end: 0, and the position stays.
    EXPECT_EQ(buffer.ReadByte(), 0);
    EXPECT_EQ(buffer.ReadNumBits(8, false), 0);
}

TEST(BufferTest, ReadNumBitsSignExtension)
{
    struct Case {
        uint8_t byte;
        int bits;
        bool signExtend;
        int expected;
    };
    const Case cases[] = {
        { 0x09, 4, true, -7 },  // bits 1,0,0,1: 0b1001 with bits 4-31 set
        { 0x09, 4, false, 9 },
        { 0x07, 4, true, 7 },   // last bit 0: no extension
        { 0x01, 1, true, -1 },
        { 0x80, 8, true, -128 },
        { 0x00, 0, true, 0 },
    };
    for (const Case& c : cases) {
        Lumo::Buffer buffer = FromBytes({ c.byte });
        EXPECT_EQ(buffer.ReadNumBits(c.bits, c.signExtend), c.expected) << int(c.byte) << " " << c.bits;
    }

    Lumo::Buffer full = FromBytes({ 0xFF, 0xFF, 0xFF, 0xFF, 0xFF });
    EXPECT_EQ(full.ReadNumBits(32, true), -1);
    // Stops at the data end with the bits read so far.
    EXPECT_EQ(full.ReadNumBits(12, false), 0xFF);
    EXPECT_TRUE(full.AtEnd());
}

TEST(BufferTest, WriteNumBitsKeepsLowBitsLeastSignificantFirst)
{
    Lumo::Buffer buffer;
    buffer.WriteNumBits(0x1F3, 4);   // low 4 bits 0011
    buffer.WriteNumBits(-1, 7);      // seven ones
    buffer.WriteNumBits(0x5, 0);     // nothing
    buffer.WriteNumBits(0x5, -3);    // nothing
    // bits: 1,1,0,0, 1,1,1,1,1,1,1 -> 0xF3, 0x07
    EXPECT_EQ(Bytes(buffer), (std::vector<uint8_t>{ 0xF3, 0x07 }));
    EXPECT_EQ(buffer.GetDataLen(), 2);
    EXPECT_EQ(buffer.ReadNumBits(4, false), 3);
    EXPECT_EQ(buffer.ReadNumBits(7, true), -1);
}

TEST(BufferTest, ReadByteEndTestCountsStoredBytes)
{
    // One valid bit, one stored byte: a whole byte still reads.
    Lumo::Buffer buffer;
    buffer.WriteNumBits(1, 1);
    EXPECT_EQ(buffer.GetDataLen(), 1);
    EXPECT_EQ(buffer.ReadByte(), 0x01);
    EXPECT_TRUE(buffer.AtEnd());

    Lumo::Buffer empty;
    EXPECT_EQ(empty.ReadByte(), 0);
    EXPECT_TRUE(empty.AtEnd());
    EXPECT_EQ(empty.GetDataPtr(), nullptr);
}

TEST(BufferTest, NumbersAndStringsAtAnyBitPosition)
{
    for (const int offset : { 0, 1, 7 }) {
        Lumo::Buffer buffer;
        buffer.WriteNumBits(0x55, offset);
        buffer.WriteLong(0x12345678);
        buffer.WriteLong(-2);
        buffer.WriteBoolean(true);
        buffer.WriteBoolean(false);
        EXPECT_TRUE(buffer.WriteString("hi"));
        EXPECT_TRUE(buffer.WriteString(""));
        const uint8_t raw[] = { 0x00, 0xFF, 0x7F };
        buffer.WriteBytes(raw, 3);

        EXPECT_EQ(buffer.ReadNumBits(offset, false), 0x55 & ((1 << offset) - 1));
        EXPECT_EQ(buffer.ReadLong(), 0x12345678);
        EXPECT_EQ(buffer.ReadLong(), -2);
        EXPECT_TRUE(buffer.ReadBoolean());
        EXPECT_FALSE(buffer.ReadBoolean());
        EXPECT_EQ(buffer.ReadString(), "hi");
        EXPECT_EQ(buffer.ReadString(), "");
        uint8_t back[3] = {};
        buffer.ReadBytes(back, 3);
        EXPECT_EQ(std::vector<uint8_t>(back, back + 3), std::vector<uint8_t>(raw, raw + 3));
        EXPECT_TRUE(buffer.AtEnd()) << offset;
    }

    Lumo::Buffer aligned;
    aligned.WriteLong(0x12345678);
    aligned.WriteString("ab");
    EXPECT_EQ(Bytes(aligned), (std::vector<uint8_t>{ 0x78, 0x56, 0x34, 0x12, 0x02, 0x00, 'a', 'b' }));
}

TEST(BufferTest, StringLengthLimit)
{
    Lumo::Buffer buffer;
    const std::string longest(32767, 'x');
    EXPECT_TRUE(buffer.WriteString(longest));
    EXPECT_EQ(buffer.ReadString(), longest);

    // A longer string would read back as nothing: refused, nothing written.
    const int before = buffer.GetDataLen();
    EXPECT_FALSE(buffer.WriteString(std::string(32768, 'y')));
    EXPECT_FALSE(buffer.WriteString(std::string(40000, 'y')));
    EXPECT_EQ(buffer.GetDataLen(), before);
    EXPECT_TRUE(buffer.AtEnd());

    // A stored length of 40000 (0x9C40) reads as negative: empty, nothing more read.
    Lumo::Buffer stored = FromBytes({ 0x40, 0x9C, 'a' });
    EXPECT_EQ(stored.ReadString(), "");
    EXPECT_EQ(stored.ReadByte(), 'a');

    // A length beyond the data reads zeros for the missing bytes.
    Lumo::Buffer shortData = FromBytes({ 0x03, 0x00, 'a' });
    EXPECT_EQ(shortData.ReadString(), std::string("a\0\0", 3));
}

TEST(BufferTest, ReadLineDropsCarriageReturns)
{
    Lumo::Buffer buffer = FromBytes({ 'a', 'b', 13, 10, 'c', 'd' });
    EXPECT_EQ(buffer.ReadLine(), "ab");
    EXPECT_EQ(buffer.ReadLine(), "cd");
    EXPECT_TRUE(buffer.AtEnd());
    EXPECT_EQ(buffer.ReadLine(), "");

    Lumo::Buffer withZero = FromBytes({ 'x', 13, 'y', 0, 'z', 10 });
    EXPECT_EQ(withZero.ReadLine(), "xy");
    EXPECT_EQ(withZero.ReadLine(), "z");
}

TEST(BufferTest, ClearSetDataAndLengths)
{
    Lumo::Buffer buffer;
    buffer.WriteNumBits(0x1FF, 9);
    EXPECT_EQ(buffer.GetDataLen(), 2);
    buffer.ReadNumBits(3, false);
    buffer.Clear();
    EXPECT_EQ(buffer.GetDataPtr(), nullptr);
    EXPECT_EQ(buffer.GetDataLen(), 0);
    EXPECT_TRUE(buffer.AtEnd());
    buffer.WriteByte(0x42);
    EXPECT_EQ(buffer.ReadByte(), 0x42); // both positions were reset

    // SetData leaves the read position where it was.
    Lumo::Buffer data = FromBytes({ 1, 2, 3 });
    EXPECT_EQ(data.ReadByte(), 1);
    const uint8_t next[] = { 7, 8, 9 };
    data.SetData(next, 3);
    EXPECT_EQ(data.GetDataLen(), 3);
    EXPECT_EQ(data.ReadByte(), 8);
    data.SeekFront();
    EXPECT_EQ(data.ReadByte(), 7);
}

TEST(BufferTest, OwnBytesMayBePassedBack)
{
    Lumo::Buffer buffer;
    buffer.WriteBytes(reinterpret_cast<const uint8_t*>("abc"), 3);
    buffer.WriteBytes(buffer.GetDataPtr(), buffer.GetDataLen());
    EXPECT_EQ(buffer.ReadLine(), "abcabc");

    buffer.SetData(buffer.GetDataPtr() + 1, 2);
    EXPECT_EQ(Bytes(buffer), (std::vector<uint8_t>{ 'b', 'c' }));
}

TEST(BufferTest, WritingAfterShorterSetDataStaysInBounds)
{
    Lumo::Buffer buffer;
    buffer.WriteNumBits(0, 3);
    buffer.SetData(nullptr, 0);   // data gone, write position still 3
    buffer.WriteNumBits(7, 3);    // bits 3-5
    buffer.WriteByte(0xFF);       // bits 6-13
    EXPECT_EQ(Bytes(buffer), (std::vector<uint8_t>{ 0xF8, 0x3F }));
}

TEST(BufferTest, UTF8ToWideString)
{
    struct Case {
        std::vector<uint8_t> bytes;
        std::u16string text;
    };
    const Case cases[] = {
        { { 'h', 0xE2, 0x82, 0xAC }, u"h\u20AC" },
        { { 0xEF, 0xBB, 0xBF, 'A' }, u"A" },                           // leading BOM dropped
        { { 0xEF, 0xBB, 0xBF, 0xEF, 0xBB, 0xBF, 'A' }, u"\uFEFFA" },   // only the first
        { { 'A', 0xEF, 0xBB, 0xBF }, u"A\uFEFF" },
        { { 'A', 0xC0, 0x80, 'B' }, u"A" },                            // stops at a bad sequence
        { { 'A', 0xE2, 0x82 }, u"A" },                                 // truncated at the end
        { {}, u"" },
    };
    for (const Case& c : cases) {
        Lumo::Buffer buffer = FromBytes(c.bytes);
        buffer.ReadByte(); // the read position does not matter
        EXPECT_EQ(buffer.UTF8ToWideString(), c.text);
    }
}

} // namespace

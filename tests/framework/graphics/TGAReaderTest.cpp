#include "framework/graphics/TGAReader.h"

#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageStream.h"

#include "support/TempFolder.h"
#include "support/TgaWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using ImageLib::Image;

std::unique_ptr<Image> Read(const std::vector<uint8_t>& bytes)
{
    ImageLib::ImageStream stream(bytes.data(), bytes.size());
    return std::unique_ptr<Image>(ImageLib::ReadTGAImage(stream));
}

std::vector<uint32_t> Pixels(const Image& image)
{
    return std::vector<uint32_t>(image.GetBits(), image.GetBits() + size_t(image.GetWidth()) * image.GetHeight());
}

TgaHeader Header(uint16_t width, uint16_t height)
{
    TgaHeader header;
    header.width = width;
    header.height = height;
    return header;
}

TEST(TGAReaderTest, ReadsTopDownPixelsStoredBlueGreenRedAlpha)
{
    // Bytes 10 20 30 40 read little-endian are the word 0x40302010.
    std::vector<uint8_t> bytes = TgaWriter::Header(Header(3, 2));
    const uint8_t pixelBytes[] = { 0x10, 0x20, 0x30, 0x40, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x80,
                                   0x00, 0x00, 0xFF, 0x01, 0x01, 0x02, 0x03, 0x04, 0xAA, 0xBB, 0xCC, 0xDD };
    bytes.insert(bytes.end(), std::begin(pixelBytes), std::end(pixelBytes));

    const auto image = Read(bytes);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 3);
    EXPECT_EQ(image->GetHeight(), 2);
    const std::vector<uint32_t> expected = { 0x40302010, 0xFF0000FF, 0x8000FF00,
                                             0x01FF0000, 0x04030201, 0xDDCCBBAA };
    EXPECT_EQ(Pixels(*image), expected);
}

TEST(TGAReaderTest, SkipsTheIdFieldAndColorMapByTheirLengths)
{
    const std::vector<uint32_t> pixels = { 0x11223344, 0x55667788 };
    struct Case {
        const char* what;
        uint8_t idLength;
        uint8_t colorMapType;
        uint16_t colorMapLength;
        uint8_t colorMapEntryBits;
        size_t extraBytes; // ID field + colour map as stored
    };
    const Case cases[] = {
        { "no extras", 0, 0, 0, 0, 0 },
        { "ID field", 7, 0, 0, 0, 7 },
        { "24-bit map", 0, 1, 3, 24, 9 },
        { "15-bit map rounds up to 2 bytes", 2, 1, 5, 15, 2 + 10 },
        { "32-bit map after ID", 255, 1, 2, 32, 255 + 8 },
        // No colour map present: its length fields mean nothing.
        { "map fields without a map", 1, 0, 100, 24, 1 },
    };
    for (const Case& c : cases) {
        TgaHeader header = Header(2, 1);
        header.idLength = c.idLength;
        header.colorMapType = c.colorMapType;
        header.colorMapLength = c.colorMapLength;
        header.colorMapEntryBits = c.colorMapEntryBits;
        const auto image = Read(TgaWriter::Build(header, pixels, std::vector<uint8_t>(c.extraBytes, 0xEE)));
        ASSERT_NE(image, nullptr) << c.what;
        EXPECT_EQ(Pixels(*image), pixels) << c.what;
    }
}

TEST(TGAReaderTest, RefusesKindsItDoesNotDecode)
{
    struct Case {
        const char* what;
        uint8_t imageType;
        uint8_t depth;
        uint8_t descriptor;
        uint16_t width;
        uint16_t height;
    };
    const Case cases[] = {
        { "24-bit", 2, 24, 0x28, 2, 2 },
        { "bottom-up", 2, 32, 0x08, 2, 2 },
        { "no alpha bits", 2, 32, 0x20, 2, 2 },
        { "right-to-left", 2, 32, 0x38, 2, 2 },
        { "colour-mapped", 1, 32, 0x28, 2, 2 },
        { "grey", 3, 32, 0x28, 2, 2 },
        { "run-length true colour", 10, 32, 0x28, 2, 2 },
        { "no image data", 0, 32, 0x28, 2, 2 },
        { "zero width", 2, 32, 0x28, 0, 2 },
        { "zero height", 2, 32, 0x28, 2, 0 },
        { "beyond the pixel limit", 2, 32, 0x28, 65535, 65535 },
        { "just beyond the pixel limit", 2, 32, 0x28, 8193, 8192 },
    };
    for (const Case& c : cases) {
        TgaHeader header = Header(c.width, c.height);
        header.imageType = c.imageType;
        header.pixelDepth = c.depth;
        header.descriptor = c.descriptor;
        const std::vector<uint32_t> pixels(4, 0xFF00FF00);
        EXPECT_EQ(Read(TgaWriter::Build(header, pixels)), nullptr) << c.what;
    }
}

TEST(TGAReaderTest, ShortHeaderIsRefused)
{
    const std::vector<uint8_t> full = TgaWriter::Build(Header(1, 1), { 0xFFFFFFFF });
    // The last two header bytes used to count as accepted when missing.
    for (size_t size = 0; size < 18; ++size) {
        const std::vector<uint8_t> bytes(full.begin(), full.begin() + static_cast<long>(size));
        EXPECT_EQ(Read(bytes), nullptr) << size;
    }
}

TEST(TGAReaderTest, MissingPixelsOfAShortFileAreZero)
{
    std::vector<uint8_t> bytes = TgaWriter::Build(Header(2, 2), { 0x44332211, 0x88776655 });
    bytes.resize(bytes.size() - 2); // half of the second pixel
    const auto image = Read(bytes);
    ASSERT_NE(image, nullptr);
    // Second pixel: bytes 55 66 then nothing, so 0x00006655.
    const std::vector<uint32_t> expected = { 0x44332211, 0x00006655, 0, 0 };
    EXPECT_EQ(Pixels(*image), expected);

    // Every cut of a valid file: null or a whole-size image, never a fault.
    const std::vector<uint8_t> full = TgaWriter::Build(Header(3, 3), std::vector<uint32_t>(9, 0xA1B2C3D4));
    for (size_t size = 0; size <= full.size(); ++size) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(size));
        const auto partial = Read(cut);
        if (size < 18) {
            EXPECT_EQ(partial, nullptr);
            continue;
        }
        ASSERT_NE(partial, nullptr) << size;
        EXPECT_EQ(partial->GetWidth(), 3);
        // The last pixel is the last 4 bytes of the file.
        const std::vector<uint32_t> got = Pixels(*partial);
        if (size <= full.size() - 4) {
            EXPECT_EQ(got[8], 0u) << size;
        } else if (size == full.size()) {
            EXPECT_EQ(got[8], 0xA1B2C3D4u);
        }
    }
}

TEST(TGAReaderTest, ReadsFilesThroughThePakLayer)
{
    TempFolder folder;
    const std::vector<uint32_t> pixels = { 0x01020304, 0xFFFFFFFF, 0x00000000, 0x80808080 };
    folder.Write("gfx/tile.tga", TgaWriter::Build(Header(2, 2), pixels));

    std::unique_ptr<Image> image(ImageLib::GetTGAImage(folder.Join("gfx\\tile.tga")));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), pixels);
    EXPECT_EQ(ImageLib::GetTGAImage(folder.Join("gfx\\missing.tga")), nullptr);
}

} // namespace

#include "framework/graphics/GIFReader.h"

#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageStream.h"

#include "support/GifWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using ImageLib::Image;

std::unique_ptr<Image> Read(const std::vector<uint8_t>& bytes)
{
    ImageLib::ImageStream stream(bytes.data(), bytes.size());
    return std::unique_ptr<Image>(ImageLib::ReadGIFImage(stream));
}

std::vector<uint32_t> Pixels(const Image& image)
{
    return std::vector<uint32_t>(image.GetBits(), image.GetBits() + size_t(image.GetWidth()) * image.GetHeight());
}

// Palette entry i is the colour i, so pixel i reads 0xFF000000 | i.
std::vector<uint32_t> CountingPalette(size_t entries)
{
    std::vector<uint32_t> palette(entries);
    for (size_t i = 0; i < entries; ++i)
        palette[i] = static_cast<uint32_t>(i);
    return palette;
}

// The opaque pixels of a counting palette; kNone for a 0 word.
constexpr int kNone = -1;
std::vector<uint32_t> Expected(const std::vector<int>& indices)
{
    std::vector<uint32_t> out;
    for (const int index : indices)
        out.push_back(index == kNone ? 0u : 0xFF000000u | static_cast<uint32_t>(index));
    return out;
}

std::vector<uint8_t> Noise(size_t count, uint32_t seed, int modulo)
{
    std::vector<uint8_t> out(count);
    for (size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        out[i] = static_cast<uint8_t>((seed >> 16) % static_cast<uint32_t>(modulo));
    }
    return out;
}

TEST(GIFReaderTest, RoundTripsEncodedPictures)
{
    struct Case {
        const char* what;
        int width;
        int height;
        size_t paletteSize;
        std::vector<uint8_t> indices;
        GifOptions options;
    };
    GifOptions tinyBlocks;
    tinyBlocks.subBlockSize = 1;
    GifOptions local;
    local.localTable = true;
    GifOptions deferred;
    deferred.deferredClear = true;
    GifOptions interlaced;
    interlaced.interlaced = true;
    const std::vector<Case> cases = {
        { "2 colours", 5, 3, 2, Noise(15, 1, 2), {} },
        { "16 colours", 7, 9, 16, Noise(63, 2, 16), {} },
        { "one colour, long runs", 64, 4, 4, std::vector<uint8_t>(256, 3), {} },
        { "codes across 1-byte sub-blocks", 9, 9, 8, Noise(81, 3, 8), tinyBlocks },
        { "local table", 6, 2, 64, Noise(12, 4, 64), local },
        // Enough codes to fill the 4096-entry table several times.
        { "full table, clear code", 128, 128, 256, Noise(128 * 128, 5, 256), {} },
        { "full table, deferred clear", 128, 128, 256, Noise(128 * 128, 6, 256), deferred },
        { "interlaced", 11, 21, 32, Noise(231, 7, 32), interlaced },
        { "width above 32767", 40000, 1, 4, Noise(40000, 8, 4), {} },
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes =
            GifWriter::Build(c.width, c.height, CountingPalette(c.paletteSize), c.indices, c.options);
        const auto image = Read(bytes);
        ASSERT_NE(image, nullptr) << c.what;
        EXPECT_EQ(image->GetWidth(), c.width) << c.what;
        EXPECT_EQ(image->GetHeight(), c.height) << c.what;
        std::vector<int> indices(c.indices.begin(), c.indices.end());
        EXPECT_EQ(Pixels(*image), Expected(indices)) << c.what;
    }
}

TEST(GIFReaderTest, InterlacedRowsComeInFourPasses)
{
    // Stored value i lands on the i-th row of the order 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
    GifOptions options;
    options.interlaced = true;
    std::vector<uint8_t> stored;
    for (uint8_t i = 0; i < 10; ++i)
        stored.push_back(i);
    const auto whole = Read(GifWriter::Assemble(1, 10, CountingPalette(16), 4, GifWriter::Encode(stored, 4), options));
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(Pixels(*whole), Expected({ 0, 5, 3, 6, 2, 7, 4, 8, 1, 9 }));

    // Three codes, then the data ends: rows 0, 8 and 4 only.
    const std::vector<uint8_t> codes = GifWriter::PackCodes({ { 8, 4 }, { 1, 4 }, { 2, 4 }, { 3, 4 } });
    const auto cut = Read(GifWriter::Assemble(1, 10, CountingPalette(16), 3, codes, options));
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(Pixels(*cut), Expected({ 1, kNone, kNone, kNone, 3, kNone, kNone, kNone, 2, kNone }));

    // Short images skip the passes that start below their last row.
    for (int height = 1; height <= 9; ++height) {
        const std::vector<uint8_t> indices = Noise(size_t(height) * 3, 10 + height, 16);
        const auto image = Read(GifWriter::Build(3, height, CountingPalette(16), indices, options));
        ASSERT_NE(image, nullptr) << height;
        EXPECT_EQ(Pixels(*image), Expected(std::vector<int>(indices.begin(), indices.end()))) << height;
    }
}

TEST(GIFReaderTest, HandMadeCodeStreams)
{
    struct Case {
        const char* what;
        int width;
        int height;
        int minCodeSize;
        std::vector<std::pair<int, int>> codes; // (code, bits)
        std::vector<int> expected;
    };
    const std::vector<Case> cases = {
        // Clear 4, end 5; code 7 is the entry being defined: "0" + its first pixel.
        { "code defined by itself", 4, 1, 2, { { 4, 3 }, { 2, 3 }, { 0, 3 }, { 7, 3 }, { 5, 4 } }, { 2, 0, 0, 0 } },
        // After the second clear, 6 means "3 0", no longer "1 2".
        { "clear code mid-stream", 6, 1, 2,
          { { 4, 3 }, { 1, 3 }, { 2, 3 }, { 4, 3 }, { 3, 3 }, { 0, 3 }, { 6, 3 }, { 5, 4 } }, { 1, 2, 3, 0, 3, 0 } },
        // Data ends inside row 0: the rest stays 0.
        { "early end", 4, 2, 3, { { 8, 4 }, { 1, 4 }, { 2, 4 }, { 3, 4 } },
          { 1, 2, 3, kNone, kNone, kNone, kNone, kNone } },
        { "end code", 4, 1, 3, { { 8, 4 }, { 1, 4 }, { 9, 4 }, { 2, 4 } }, { 1, kNone, kNone, kNone } },
        // 12 is beyond the next free code 10.
        { "code out of range", 4, 1, 3, { { 8, 4 }, { 1, 4 }, { 12, 4 }, { 2, 4 } }, { 1, kNone, kNone, kNone } },
        // A first code that is no single pixel would chain an entry to itself.
        { "first code not a pixel", 4, 1, 3, { { 8, 4 }, { 10, 4 }, { 1, 4 }, { 10, 4 } },
          { kNone, kNone, kNone, kNone } },
        { "no clear code first", 3, 1, 2, { { 1, 3 }, { 2, 3 }, { 6, 3 }, { 5, 3 } }, { 1, 2, 1 } },
        { "largest code size", 2, 1, 11, { { 2048, 12 }, { 5, 12 }, { 7, 12 }, { 2049, 12 } }, { 5, 7 } },
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes =
            GifWriter::Assemble(c.width, c.height, CountingPalette(256), c.minCodeSize, GifWriter::PackCodes(c.codes));
        const auto image = Read(bytes);
        ASSERT_NE(image, nullptr) << c.what;
        EXPECT_EQ(Pixels(*image), Expected(c.expected)) << c.what;
    }

    // Code sizes 0 and 1 make no sense but must not upset the decoder.
    for (int minCodeSize = 0; minCodeSize <= 1; ++minCodeSize) {
        const auto image = Read(
            GifWriter::Assemble(16, 16, CountingPalette(4), minCodeSize, Noise(200, minCodeSize + 20, 256)));
        ASSERT_NE(image, nullptr) << minCodeSize;
        EXPECT_EQ(image->GetWidth(), 16);
    }
}

TEST(GIFReaderTest, TransparentIndexFromGraphicControl)
{
    const std::vector<uint8_t> indices = { 5, 1, 5, 0, 2, 5 };
    struct Case {
        const char* what;
        int transparentIndex; // from the writer's own control block
        std::vector<uint8_t> extraBlocks;
        std::vector<int> expected;
    };
    const std::vector<Case> cases = {
        { "index 5", 5, {}, { kNone, 1, kNone, 0, 2, kNone } },
        { "index 0", 0, {}, { 5, 1, 5, kNone, 2, 5 } },
        { "none", -1, {}, { 5, 1, 5, 0, 2, 5 } },
        // A later block without the flag keeps the index named before.
        { "later block without the flag", 1, { 0x21, 0xF9, 4, 0x00, 0, 0, 2, 0 }, { 5, kNone, 5, 0, 2, 5 } },
        // Only the last non-empty sub-block counts.
        { "last sub-block counts", -1, { 0x21, 0xF9, 4, 0x00, 0, 0, 5, 4, 0x01, 0, 0, 2, 0 },
          { 5, 1, 5, 0, kNone, 5 } },
        // Too short to hold an index: ignored, and the block still ends where it should.
        { "short block", -1, { 0x21, 0xF9, 2, 0x01, 0x00, 0 }, { 5, 1, 5, 0, 2, 5 } },
        { "empty block", -1, { 0x21, 0xF9, 0 }, { 5, 1, 5, 0, 2, 5 } },
    };
    for (const Case& c : cases) {
        GifOptions options;
        options.transparentIndex = c.transparentIndex;
        options.extraBlocks = c.extraBlocks;
        const auto image = Read(GifWriter::Build(3, 2, CountingPalette(8), indices, options));
        ASSERT_NE(image, nullptr) << c.what;
        EXPECT_EQ(Pixels(*image), Expected(c.expected)) << c.what;
    }
}

TEST(GIFReaderTest, PaletteChoiceAndIndicesWithoutAnEntry)
{
    const std::vector<uint8_t> indices = { 0, 1, 2, 3 };
    GifOptions localOverGlobal;
    localOverGlobal.localTable = true;
    localOverGlobal.globalPalette = { 0x111111, 0x222222, 0x333333, 0x444444 };
    const auto local = Read(GifWriter::Build(4, 1, { 0xAA0000, 0x00BB00, 0x0000CC, 0x010203 }, indices,
                                             localOverGlobal));
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(Pixels(*local), (std::vector<uint32_t>{ 0xFFAA0000, 0xFF00BB00, 0xFF0000CC, 0xFF010203 }));

    // A 2-entry table with 2-bit codes: indices 2 and 3 have no colour.
    GifOptions small;
    small.minCodeSize = 2;
    const auto beyond = Read(GifWriter::Build(4, 1, { 0xFFFFFF, 0x808080 }, indices, small));
    ASSERT_NE(beyond, nullptr);
    EXPECT_EQ(Pixels(*beyond), (std::vector<uint32_t>{ 0xFFFFFFFF, 0xFF808080, 0, 0 }));

    GifOptions noTable;
    noTable.noTable = true;
    noTable.minCodeSize = 2;
    const auto none = Read(GifWriter::Build(4, 1, { 0xFFFFFF }, indices, noTable));
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(Pixels(*none), (std::vector<uint32_t>{ 0, 0, 0, 0 }));
}

TEST(GIFReaderTest, SkipsExtensionsAndStrayBytes)
{
    const std::vector<uint8_t> indices = Noise(20, 30, 4);
    GifOptions options;
    options.extraBlocks = { 0x21, 0xFE, 3, 'a', 'b', 'c', 0, // comment
                            0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0,
                            0x21, 0x01, 2, ',', ';', 0, // unknown label holding introducer bytes
                            0x00, 0x42 }; // stray bytes
    const auto image = Read(GifWriter::Build(5, 4, CountingPalette(4), indices, options));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), Expected(std::vector<int>(indices.begin(), indices.end())));

    // "GIF87a" is read too; the sixth signature byte is not looked at.
    for (const char version : { '7', '9' }) {
        std::vector<uint8_t> bytes = GifWriter::Build(5, 4, CountingPalette(4), indices);
        bytes[4] = static_cast<uint8_t>(version);
        bytes[5] = 'x';
        EXPECT_NE(Read(bytes), nullptr) << version;
    }
}

TEST(GIFReaderTest, RefusesFilesWithoutAReadableImage)
{
    const std::vector<uint8_t> good = GifWriter::Build(2, 2, CountingPalette(4), { 0, 1, 2, 3 });
    // Header (6), screen (7), global table (4 x 3): the image descriptor is next.
    const size_t descriptorAt = 6 + 7 + 12;
    ASSERT_EQ(good[descriptorAt], ',');

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({ "empty", {} });
    auto edited = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> bytes = good;
        bytes[at] = value;
        return bytes;
    };
    cases.push_back({ "other signature", edited(4, '8') });
    cases.push_back({ "not a GIF", edited(0, 'P') });
    std::vector<uint8_t> trailerOnly(good.begin(), good.begin() + descriptorAt);
    trailerOnly.push_back(';');
    cases.push_back({ "trailer only", trailerOnly });
    cases.push_back({ "width 0", [&] { auto b = edited(descriptorAt + 5, 0); b[descriptorAt + 6] = 0; return b; }() });
    cases.push_back({ "height 0", [&] { auto b = edited(descriptorAt + 7, 0); b[descriptorAt + 8] = 0; return b; }() });
    cases.push_back({ "65535 x 65535", [&] {
                         auto b = good;
                         for (size_t i = descriptorAt + 5; i < descriptorAt + 9; ++i)
                             b[i] = 0xFF;
                         return b;
                     }() });
    cases.push_back({ "code size 12", edited(descriptorAt + 10, 12) });
    cases.push_back({ "code size 255", edited(descriptorAt + 10, 255) });
    GifOptions unterminated;
    unterminated.extraBlocks = { 0x21, 0xFE, 5, 'a' };
    cases.push_back({ "file ends in an extension", GifWriter::Build(2, 2, CountingPalette(4), { 0, 1, 2, 3 },
                                                                     unterminated) });
    for (const size_t size : { size_t(10), size_t(20), descriptorAt, descriptorAt + 5, descriptorAt + 10 })
        cases.push_back({ "cut before the code stream", std::vector<uint8_t>(good.begin(), good.begin() + size) });

    for (const Case& c : cases)
        EXPECT_EQ(Read(c.bytes), nullptr) << c.what << " (" << c.bytes.size() << " bytes)";
}

TEST(GIFReaderTest, EveryCutOfAFileIsSafe)
{
    GifOptions options;
    options.interlaced = true;
    options.transparentIndex = 3;
    options.localTable = true;
    const std::vector<uint8_t> bytes = GifWriter::Build(13, 11, CountingPalette(16), Noise(143, 40, 16), options);
    for (size_t size = 0; size < bytes.size(); ++size) {
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(size));
        const auto image = Read(cut);
        if (image != nullptr) {
            EXPECT_EQ(image->GetWidth(), 13);
            EXPECT_EQ(image->GetHeight(), 11);
        }
    }
}

TEST(GIFReaderTest, ReadsFilesThroughThePakLayer)
{
    TempFolder folder;
    folder.Write("anim/spin.gif", GifWriter::Build(2, 1, { 0x123456, 0xABCDEF }, { 1, 0 }));
    std::unique_ptr<Image> image(ImageLib::GetGIFImage(folder.Join("anim\\spin.gif")));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{ 0xFFABCDEF, 0xFF123456 }));
    EXPECT_EQ(ImageLib::GetGIFImage(folder.Join("anim\\missing.gif")), nullptr);
}

} // namespace

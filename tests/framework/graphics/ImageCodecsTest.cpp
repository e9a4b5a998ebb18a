// The PNG, JPEG and J2K readers and the PNG writer: every kind of file each
// library hands over, damaged files, and the codec module's lookup.
#include "framework/graphics/ImageLib.h"

#include "framework/core/PakClient.h"
#include "framework/core/PakInterface.h"
#include "platform/codecs/J2KCodecModule.h"
#include "platform/codecs/J2KCodecProvider.h"

#include "support/CodecFixtures.h"
#include "support/PakArchiveWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using ImageLib::Image;
using Reader = Image* (*)(const std::string&);

std::vector<uint32_t> Pixels(const Image& image)
{
    return std::vector<uint32_t>(image.GetBits(), image.GetBits() + size_t(image.GetWidth()) * image.GetHeight());
}

// Writes the bytes to a file of the folder and reads it back.
std::unique_ptr<Image> Load(const TempFolder& folder, Reader reader, const std::vector<uint8_t>& bytes,
                            const std::string& name)
{
    return std::unique_ptr<Image>(reader(folder.Write(name, bytes)));
}

// Lossy pictures: every channel within the tolerance.
bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    }
    return true;
}

uint32_t Crc32(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

void PutBigEndian32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    bytes[at] = uint8_t(value >> 24);
    bytes[at + 1] = uint8_t(value >> 16);
    bytes[at + 2] = uint8_t(value >> 8);
    bytes[at + 3] = uint8_t(value);
}

// Offset of the first marker FF <code> of a JPEG file.
size_t FindMarker(const std::vector<uint8_t>& bytes, uint8_t code)
{
    for (size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == code)
            return i;
    }
    return std::string::npos;
}

PngFixture Png(int width, int height, int bitDepth, int colorType, std::vector<uint16_t> samples)
{
    PngFixture f;
    f.width = width;
    f.height = height;
    f.bitDepth = bitDepth;
    f.colorType = colorType;
    f.samples = std::move(samples);
    return f;
}

// ---- PNG reader

TEST(PngReaderTest, EveryColourTypeComesOutAsARGBWords)
{
    PngFixture palette = Png(3, 1, 4, 3, {0, 1, 2});
    palette.palette = {0x102030, 0x405060, 0x708090};
    palette.paletteAlpha = {0x00, 0x80}; // the third entry has none: opaque
    PngFixture opaquePalette = Png(2, 1, 8, 3, {2, 0});
    opaquePalette.palette = palette.palette;
    PngFixture greyKey = Png(2, 1, 8, 0, {0x10, 0x20});
    greyKey.transparentGray = 0x10;

    struct Case {
        const char* what;
        PngFixture fixture;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"RGBA", Png(2, 1, 8, 6, {0x11, 0x22, 0x33, 0x44, 0xAA, 0xBB, 0xCC, 0xFF}), {0x44112233, 0xFFAABBCC}},
        {"RGB gets alpha 255", Png(2, 1, 8, 2, {1, 2, 3, 0xFE, 0xFD, 0xFC}), {0xFF010203, 0xFFFEFDFC}},
        {"grey", Png(2, 1, 8, 0, {0x00, 0x80}), {0xFF000000, 0xFF808080}},
        // 2-bit grey scales by 255 / 3 = 85.
        {"2-bit grey", Png(4, 1, 2, 0, {0, 1, 2, 3}), {0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF}},
        {"1-bit grey", Png(2, 1, 1, 0, {1, 0}), {0xFFFFFFFF, 0xFF000000}},
        {"grey + alpha", Png(2, 1, 8, 4, {0x40, 0x80, 0xC0, 0x00}), {0x80404040, 0x00C0C0C0}},
        {"palette with tRNS", palette, {0x00102030, 0x80405060, 0xFF708090}},
        {"palette without tRNS", opaquePalette, {0xFF708090, 0xFF102030}},
        {"grey with a transparent key", greyKey, {0x00101010, 0xFF202020}},
        // 16-bit samples keep their high byte.
        {"16-bit RGB", Png(1, 1, 16, 2, {0x12AB, 0x34CD, 0x56EF}), {0xFF123456}},
        {"16-bit RGBA", Png(1, 1, 16, 6, {0xFFFF, 0x0000, 0x80FF, 0x7F00}), {0x7FFF0080}},
        {"16-bit grey", Png(2, 1, 16, 0, {0xABCD, 0x01FF}), {0xFFABABAB, 0xFF010101}},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> bytes = CodecFixtures::Png(c.fixture);
        ASSERT_FALSE(bytes.empty());
        const auto image = Load(folder, ImageLib::GetPNGImage, bytes, "pic.png");
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), c.fixture.width);
        EXPECT_EQ(image->GetHeight(), c.fixture.height);
        EXPECT_EQ(Pixels(*image), c.expected);
    }
}

TEST(PngReaderTest, InterlacedFilesComeOutWhole)
{
    // 9x9 reaches every one of the seven passes. Pixel (x, y) is
    // red 25x, green 25y, blue x + 16y, alpha 255 - x - y.
    TempFolder folder;
    for (int bitDepth : {8, 16}) {
        SCOPED_TRACE(bitDepth);
        PngFixture f = Png(9, 9, bitDepth, 6, {});
        f.interlaced = true;
        std::vector<uint32_t> expected;
        for (int y = 0; y < 9; ++y) {
            for (int x = 0; x < 9; ++x) {
                const uint16_t channels[] = {uint16_t(25 * x), uint16_t(25 * y), uint16_t(x + 16 * y),
                                             uint16_t(255 - x - y)};
                for (uint16_t v : channels)
                    f.samples.push_back(bitDepth == 16 ? uint16_t(v << 8 | 0x5A) : v);
                expected.push_back(uint32_t(255 - x - y) << 24 | uint32_t(25 * x) << 16 | uint32_t(25 * y) << 8 |
                                   uint32_t(x + 16 * y));
            }
        }
        const auto image = Load(folder, ImageLib::GetPNGImage, CodecFixtures::Png(f), "interlaced.png");
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(Pixels(*image), expected);
    }
}

TEST(PngReaderTest, DamagedFilesGiveNull)
{
    PngFixture f = Png(16, 16, 8, 2, {});
    uint32_t noise = 1; // so the image data does not shrink to nothing
    for (int i = 0; i < 16 * 16 * 3; ++i) {
        noise = noise * 1103515245 + 12345;
        f.samples.push_back(uint16_t(noise >> 24));
    }
    const std::vector<uint8_t> good = CodecFixtures::Png(f);
    ASSERT_GT(good.size(), 600u);

    // IHDR data is bytes 16..28: width, height, then depth and types; its
    // CRC (over type and data, bytes 12..28) follows at 29.
    std::vector<uint8_t> huge = good;
    PutBigEndian32(huge, 16, 20000);
    PutBigEndian32(huge, 20, 20000);
    PutBigEndian32(huge, 29, Crc32(huge.data() + 12, 17));
    std::vector<uint8_t> badCrc = good;
    badCrc[17] ^= 0x01;

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"not a PNG", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}},
        {"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 20)},
        // Fails inside the rows, after the pixel array exists.
        {"image data cut short", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2)},
        {"header CRC wrong", badCrc},
        {"400 million pixels", huge},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Load(folder, ImageLib::GetPNGImage, c.bytes, "bad.png"), nullptr);
    }
    EXPECT_EQ(ImageLib::GetPNGImage(folder.Join("missing.png")), nullptr);
}

// ---- PNG writer

TEST(PngWriterTest, WrittenFilesReadBackExactly)
{
    TempFolder folder;
    folder.MakeFolder("shots");
    const std::vector<uint32_t> pixels = {0x00000000, 0xFFFFFFFF, 0x80123456, 0x01ABCDEF, 0x7F00FF00, 0xFE0000FF};
    uint32_t* bits = new uint32_t[pixels.size()];
    std::memcpy(bits, pixels.data(), pixels.size() * 4);
    const Image image(3, 2, bits);

    // Written straight to the disk, separators as callers write them.
    ASSERT_TRUE(ImageLib::WritePNGImage(folder.Path() + "\\shots\\shot.png", &image));
    const std::string file = folder.Read("shots/shot.png");
    ASSERT_GT(file.size(), 33u);
    EXPECT_EQ(file.substr(1, 3), "PNG");
    EXPECT_EQ(file[24], 8);  // bit depth
    EXPECT_EQ(file[25], 6);  // RGB with alpha
    EXPECT_EQ(file[28], 0);  // not interlaced
    EXPECT_NE(file.find("sBIT"), std::string::npos);

    const std::unique_ptr<Image> back(ImageLib::GetPNGImage(folder.Join("shots/shot.png")));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetWidth(), 3);
    EXPECT_EQ(back->GetHeight(), 2);
    EXPECT_EQ(Pixels(*back), pixels);
}

TEST(PngWriterTest, NothingToWriteOrNowhereToWriteGivesFalse)
{
    TempFolder folder;
    const Image empty;
    EXPECT_FALSE(ImageLib::WritePNGImage(folder.Join("empty.png"), &empty));
    EXPECT_FALSE(folder.Exists("empty.png"));
    EXPECT_FALSE(ImageLib::WritePNGImage(folder.Join("null.png"), nullptr));

    const Image one(1, 1, new uint32_t[1]{0xFF000000});
    EXPECT_FALSE(ImageLib::WritePNGImage(folder.Join("no/such/folder/one.png"), &one));
}

// ---- JPEG reader

JpegFixture Jpeg(int width, int height, int components, std::vector<uint8_t> pixel)
{
    JpegFixture f;
    f.width = width;
    f.height = height;
    f.components = components;
    for (int i = 0; i < width * height; ++i)
        f.samples.insert(f.samples.end(), pixel.begin(), pixel.end());
    return f;
}

TEST(JpegReaderTest, GreyRgbAndCmykFilesComeOutAsOpaqueRGB)
{
    JpegFixture progressive = Jpeg(16, 16, 3, {200, 100, 50});
    progressive.progressive = true;
    JpegFixture ycck = Jpeg(16, 16, 4, {200, 100, 50, 128});
    ycck.storeCmykAsYcck = true;

    struct Case {
        const char* what;
        JpegFixture fixture;
        uint32_t expected; // every pixel, within 2 per channel
    };
    const Case cases[] = {
        {"grey", Jpeg(16, 8, 1, {0x80}), 0xFF808080},
        {"RGB", Jpeg(16, 16, 3, {200, 100, 50}), 0xFFC86432},
        {"progressive RGB", progressive, 0xFFC86432},
        // Adobe CMYK is stored inverted: red = C * K / 255 = 200 * 128 / 255
        // = 100 (0x64), green = 100 * 128 / 255 = 50 (0x32), blue = 50 * 128
        // / 255 = 25 (0x19).
        {"CMYK", Jpeg(16, 16, 4, {200, 100, 50, 128}), 0xFF643219},
        {"YCCK", ycck, 0xFF643219},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto image = Load(folder, ImageLib::GetJPEGImage, CodecFixtures::Jpeg(c.fixture), "pic.jpg");
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), c.fixture.width);
        EXPECT_EQ(image->GetHeight(), c.fixture.height);
        for (uint32_t pixel : Pixels(*image)) {
            ASSERT_TRUE(Near(pixel, c.expected, 2)) << std::hex << pixel;
            ASSERT_EQ(pixel >> 24, 0xFFu);
            if (c.fixture.components == 1) {
                // Grey: red, green and blue are the one sample.
                ASSERT_EQ(pixel & 0xFF, (pixel >> 8) & 0xFF);
                ASSERT_EQ(pixel & 0xFF, (pixel >> 16) & 0xFF);
            }
        }
    }
}

TEST(JpegReaderTest, FileCutShortStillGivesTheWholePicture)
{
    JpegFixture f;
    f.width = 64;
    f.height = 48;
    f.components = 3;
    for (int i = 0; i < 64 * 48 * 3; ++i)
        f.samples.push_back(uint8_t((i * 7919) >> 3));
    const std::vector<uint8_t> good = CodecFixtures::Jpeg(f);
    TempFolder folder;
    const auto image = Load(folder, ImageLib::GetJPEGImage,
                            std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2), "cut.jpg");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 64);
    EXPECT_EQ(image->GetHeight(), 48);
}

TEST(JpegReaderTest, DamagedFilesGiveNull)
{
    const std::vector<uint8_t> good = CodecFixtures::Jpeg(Jpeg(16, 16, 3, {10, 20, 30}));
    const size_t sof = FindMarker(good, 0xC0);
    ASSERT_NE(sof, std::string::npos);

    // SOF0: length (2), precision (1), height (2), width (2).
    std::vector<uint8_t> huge = good;
    huge[sof + 5] = 0xEA; // 60000 = 0xEA60
    huge[sof + 6] = 0x60;
    huge[sof + 7] = 0xEA;
    huge[sof + 8] = 0x60;

    // A second frame header after the scan: the library's error comes when
    // the rows have been read into the pixel array.
    std::vector<uint8_t> secondFrame(good.begin(), good.end() - 2);
    const size_t sofLength = size_t(good[sof + 2]) << 8 | good[sof + 3];
    secondFrame.insert(secondFrame.end(), good.begin() + sof, good.begin() + sof + 2 + sofLength);
    secondFrame.push_back(0xFF);
    secondFrame.push_back(0xD9);

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"not a JPEG", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}},
        {"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 30)},
        {"3.6 billion pixels", huge},
        {"error after the rows", secondFrame},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Load(folder, ImageLib::GetJPEGImage, c.bytes, "bad.jpg"), nullptr);
    }
    EXPECT_EQ(ImageLib::GetJPEGImage(folder.Join("missing.jpg")), nullptr);
}

// ---- J2K reader

J2KComponent Channel(std::vector<int32_t> samples)
{
    J2KComponent c;
    c.samples = std::move(samples);
    return c;
}

// A 2x1 RGBA picture: 0x80102030 and 0x00405060.
J2KFixture Rgba(bool jp2)
{
    J2KFixture f{2, 1, {Channel({0x10, 0x40}), Channel({0x20, 0x50}), Channel({0x30, 0x60}), Channel({0x80, 0x00})}};
    f.jp2 = jp2;
    return f;
}

// Stands in a codec module: the real one, less what a case takes away.
class FakeJ2KProvider : public Plat::J2KCodecProvider {
public:
    void* LoadModule(const char* name) override
    {
        return hasModule ? J2KCodecProvider::LoadModule(name) : nullptr;
    }
    Plat::J2KEntryPoint FindEntryPoint(void* module, const char* name) override
    {
        if (missing == name)
            return nullptr;
        if (version != 0 && std::strcmp(name, Plat::kJ2KGetVersionExport) == 0)
            return reinterpret_cast<Plat::J2KEntryPoint>(&FakeVersion);
        if (shortDecode && std::strcmp(name, Plat::kJ2KDecodeExport) == 0)
            return reinterpret_cast<Plat::J2KEntryPoint>(&ShortDecode);
        return J2KCodecProvider::FindEntryPoint(module, name);
    }
    void FreeModule(void* module) override
    {
        ++frees;
        J2KCodecProvider::FreeModule(module);
    }

    static int FakeVersion() { return version; }
    // Succeeds having written only the first pixel.
    static int ShortDecode(void*, unsigned char** buffer, int*, const char*, int*)
    {
        const uint32_t pixel = 0x00223344;
        std::memcpy(*buffer, &pixel, 4);
        return 0;
    }

    bool hasModule = true;
    std::string missing;
    bool shortDecode = false;
    int frees = 0;
    static inline int version = 0;
};

// Each test runs with its own provider and folder, and leaves no module
// loaded.
class J2KReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeJ2KProvider::version = 0;
        mPrevious = Plat::SetJ2KCodecProvider(&mProvider);
        mFolder.Write("rgba.j2k", CodecFixtures::J2K(Rgba(false)));
        mFolder.Write("rgba.jp2", CodecFixtures::J2K(Rgba(true)));
    }
    void TearDown() override
    {
        ImageLib::FreeJ2KCodec();
        ImageLib::gForceOpaqueJ2K = true;
        Plat::SetJ2KCodecProvider(mPrevious);
    }

    std::unique_ptr<Image> Read(const std::string& name)
    {
        return std::unique_ptr<Image>(ImageLib::GetJ2KImage(mFolder.Join(name)));
    }

    FakeJ2KProvider mProvider;
    Plat::J2KCodecProvider* mPrevious = nullptr;
    TempFolder mFolder;
};

TEST_F(J2KReaderTest, CodeStreamsAndJP2FilesDecodeOpaque)
{
    ImageLib::LoadJ2KCodec();
    for (const char* name : {"rgba.j2k", "rgba.jp2"}) {
        SCOPED_TRACE(name);
        const auto image = Read(name);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), 2);
        EXPECT_EQ(image->GetHeight(), 1);
        EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0xFF102030, 0xFF405060}));
    }
    // The switch that is always on in the program keeps alpha when off.
    ImageLib::gForceOpaqueJ2K = false;
    const auto image = Read("rgba.j2k");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0x80102030, 0x00405060}));
}

TEST_F(J2KReaderTest, NoModuleGivesNull)
{
    EXPECT_EQ(Read("rgba.j2k"), nullptr); // not loaded yet
    mProvider.hasModule = false;
    ImageLib::LoadJ2KCodec();
    EXPECT_EQ(Read("rgba.j2k"), nullptr);
    EXPECT_EQ(mProvider.frees, 0);
}

TEST_F(J2KReaderTest, ModuleLackingAnEntryPointOrTooOldIsDropped)
{
    struct Case {
        const char* missing;
        int version;
    };
    const Case cases[] = {
        {Plat::kJ2KGetVersionExport, 0},
        {Plat::kJ2KOpenCustomExport, 0},
        {Plat::kJ2KOpenFileExport, 0}, // never called, still required
        {Plat::kJ2KCloseExport, 0},
        {Plat::kJ2KGetInfoExport, 0},
        {Plat::kJ2KGetResolutionDimensionsExport, 0},
        {Plat::kJ2KDecodeExport, 0},
        {Plat::kJ2KGetLastErrorExport, 0},
        {Plat::kJ2KGetErrorStrExport, 0},
        {"", 0x11FFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.missing) + " " + std::to_string(c.version));
        mProvider.missing = c.missing;
        FakeJ2KProvider::version = c.version;
        mProvider.frees = 0;
        ImageLib::LoadJ2KCodec();
        EXPECT_EQ(Read("rgba.j2k"), nullptr);
        EXPECT_EQ(mProvider.frees, 1);
        // The module is gone: later loads give null without asking again.
        mProvider.missing.clear();
        FakeJ2KProvider::version = 0;
        EXPECT_EQ(Read("rgba.j2k"), nullptr);
        EXPECT_EQ(mProvider.frees, 1);
    }
    // The oldest version taken.
    FakeJ2KProvider::version = 0x120000;
    ImageLib::LoadJ2KCodec();
    EXPECT_NE(Read("rgba.j2k"), nullptr);
}

TEST_F(J2KReaderTest, PixelsAShortDecodeLeavesAreClear)
{
    mProvider.shortDecode = true;
    ImageLib::LoadJ2KCodec();
    const auto image = Read("rgba.jp2");
    ASSERT_NE(image, nullptr);
    // Unwritten words are 0 before the alpha is forced on.
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0xFF223344, 0xFF000000}));
}

TEST_F(J2KReaderTest, DamagedFilesGiveNull)
{
    ImageLib::LoadJ2KCodec();
    const std::string good = mFolder.Read("rgba.j2k");
    mFolder.Write("cut.j2k", good.substr(0, good.size() - 8));
    mFolder.Write("header.j2k", good.substr(0, 30));
    mFolder.Write("png.j2k", CodecFixtures::Png(Png(1, 1, 8, 0, {0})));
    mFolder.Write("empty.j2k", std::string());
    for (const char* name : {"cut.j2k", "header.j2k", "png.j2k", "empty.j2k", "missing.j2k"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Read(name), nullptr);
    }
    // The module stays for the next file.
    EXPECT_NE(Read("rgba.jp2"), nullptr);
    EXPECT_EQ(mProvider.frees, 0);
}

// ---- all readers over the pak layer

TEST(CodecReadersTest, ReadFromThePakArchive)
{
    const std::vector<uint8_t> png = CodecFixtures::Png(Png(1, 1, 8, 6, {0x12, 0x34, 0x56, 0x78}));
    const std::vector<uint8_t> jpeg = CodecFixtures::Jpeg(Jpeg(8, 8, 1, {0x40}));
    J2KFixture grey{1, 1, {Channel({0x9A})}};
    grey.jp2 = true;
    const std::vector<uint8_t> j2k = CodecFixtures::J2K(grey);
    TempFolder folder;
    std::vector<PakArchiveItem> items(3);
    items[0].name = "codec\\pic.png";
    items[0].bytes.assign(png.begin(), png.end());
    items[1].name = "codec\\pic.jpg";
    items[1].bytes.assign(jpeg.begin(), jpeg.end());
    items[2].name = "codec\\pic.jp2";
    items[2].bytes.assign(j2k.begin(), j2k.end());
    const std::string archive = folder.Write("main.pak", PakArchiveWriter::Build(items));
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile(archive));
    PakInterface* const previous = Lumo::SetPakInterface(&pak);
    ImageLib::LoadJ2KCodec();

    const std::unique_ptr<Image> fromPng(ImageLib::GetPNGImage("codec\\pic.png"));
    const std::unique_ptr<Image> fromJpeg(ImageLib::GetJPEGImage("CODEC/PIC.JPG"));
    const std::unique_ptr<Image> fromJ2K(ImageLib::GetJ2KImage("codec\\pic.jp2"));

    ImageLib::FreeJ2KCodec();
    Lumo::SetPakInterface(previous);

    ASSERT_NE(fromPng, nullptr);
    EXPECT_EQ(Pixels(*fromPng), std::vector<uint32_t>{0x78123456});
    ASSERT_NE(fromJpeg, nullptr);
    EXPECT_EQ(fromJpeg->GetWidth(), 8);
    EXPECT_TRUE(Near(fromJpeg->GetBits()[63], 0xFF404040, 1));
    ASSERT_NE(fromJ2K, nullptr);
    EXPECT_EQ(Pixels(*fromJ2K), std::vector<uint32_t>{0xFF9A9A9A});
}

TEST(CodecReadersTest, PakCallbacksOfTheCodecSeekAndRead)
{
    TempFolder folder;
    PakFile* file = Lumo::PakOpen(folder.Write("bytes.bin", std::string("0123456789")).c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char buffer[8] = {};
    EXPECT_EQ(ImageLib::J2KPakSeek(file, 6), 0);
    EXPECT_EQ(ImageLib::J2KPakRead(buffer, 8, file), 4);
    EXPECT_STREQ(buffer, "6789");
    EXPECT_EQ(ImageLib::J2KPakSeek(file, 1), 0);
    EXPECT_EQ(ImageLib::J2KPakRead(buffer, 2, file), 2);
    EXPECT_EQ(std::string(buffer, 2), "12");
    EXPECT_EQ(ImageLib::J2KPakRead(buffer, 0, file), 0);
    Lumo::PakClose(file);
}

} // namespace

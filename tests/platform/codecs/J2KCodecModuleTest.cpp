// The J2K codec module over OpenJPEG: formats, component layouts and
// precisions into 0xAARRGGBB words, resolution levels, error reporting, and
// the provider that hands out its entry points.
#include "platform/codecs/J2KCodecModule.h"
#include "platform/codecs/J2KCodecProvider.h"

#include "support/CodecFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A file in memory behind the codec's callbacks, counting the calls.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    int closes = 0;
};

int MemorySeek(void* data, long offset)
{
    MemoryFile& file = *static_cast<MemoryFile*>(data);
    if (offset < 0 || size_t(offset) > file.bytes.size())
        return -1;
    file.position = size_t(offset);
    return 0;
}

int MemoryRead(void* buffer, int count, void* data)
{
    MemoryFile& file = *static_cast<MemoryFile*>(data);
    const size_t left = file.bytes.size() - file.position;
    const size_t take = size_t(count) < left ? size_t(count) : left;
    if (take == 0)
        return 0;
    std::memcpy(buffer, file.bytes.data() + file.position, take);
    file.position += take;
    return int(take);
}

void MemoryClose(void* data)
{
    ++static_cast<MemoryFile*>(data)->closes;
}

const Plat::J2KStreamCallbacks kCallbacks = {MemorySeek, MemoryRead, MemoryClose};

J2KComponent Component(std::vector<int32_t> samples, int precision = 8, bool isSigned = false, int dx = 1, int dy = 1)
{
    J2KComponent c;
    c.samples = std::move(samples);
    c.precision = precision;
    c.isSigned = isSigned;
    c.dx = dx;
    c.dy = dy;
    return c;
}

// Decodes a whole file at a level; empty with the error code on failure.
std::vector<uint32_t> Decode(const std::vector<uint8_t>& bytes, int* error = nullptr, int level = 0)
{
    MemoryFile file{bytes};
    void* handle = Plat::J2KOpenCustom(&file, &kCallbacks);
    if (handle == nullptr) {
        if (error != nullptr)
            *error = Plat::J2KGetLastError();
        return {};
    }
    int width = 0, height = 0;
    EXPECT_EQ(Plat::J2KGetResolutionDimensions(handle, level, &width, &height), 0);
    std::vector<uint32_t> pixels(size_t(width) * height, 0xDEADBEEF);
    unsigned char* buffer = reinterpret_cast<unsigned char*>(pixels.data());
    int size = int(pixels.size() * 4);
    int pitch = 0;
    const std::string options = "bpp=4,rl=" + std::to_string(level);
    const int result = Plat::J2KDecode(handle, &buffer, &size, options.c_str(), &pitch);
    if (error != nullptr)
        *error = result;
    Plat::J2KClose(handle);
    EXPECT_EQ(file.closes, 1);
    if (result != 0)
        return {};
    EXPECT_EQ(pitch, width * 4);
    return pixels;
}

TEST(J2KCodecModuleTest, ConvertsComponentLayoutsAndPrecisionsToEightBitARGB)
{
    struct Case {
        const char* what;
        J2KFixture fixture;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"grey", {2, 1, {Component({0x00, 0x9C})}}, {0xFF000000, 0xFF9C9C9C}},
        {"grey + alpha", {2, 1, {Component({0x10, 0x20}), Component({0x80, 0xFF})}}, {0x80101010, 0xFF202020}},
        {"RGB", {2, 1, {Component({1, 4}), Component({2, 5}), Component({3, 6})}}, {0xFF010203, 0xFF040506}},
        {"RGBA", {1, 1, {Component({0xAA}), Component({0xBB}), Component({0xCC}), Component({0x40})}}, {0x40AABBCC}},
        // 4 bits: v * 255 / 15 = v * 17, so 5 -> 85 (0x55) and 15 -> 255.
        {"4-bit", {3, 1, {Component({0, 5, 15}, 4)}}, {0xFF000000, 0xFF555555, 0xFFFFFFFF}},
        // 12 bits: (2748 * 255 + 2047) / 4095 = 171 (0xAB); 4095 -> 255.
        {"12-bit", {2, 1, {Component({2748, 4095}, 12)}}, {0xFFABABAB, 0xFFFFFFFF}},
        // 16 bits: (32768 * 255 + 32767) / 65535 = 128 (0x80); 1 -> 0.
        {"16-bit", {2, 1, {Component({32768, 1}, 16)}}, {0xFF808080, 0xFF000000}},
        // Signed samples are moved up by 2^(prec-1): -128 -> 0, 0 -> 128, 127 -> 255.
        {"signed 8-bit", {3, 1, {Component({-128, 0, 127}, 8, true)}}, {0xFF000000, 0xFF808080, 0xFFFFFFFF}},
        // -2048 -> 0; 0 -> 2048 -> (2048 * 255 + 2047) / 4095 = 128; 2047 -> 4095 -> 255.
        {"signed 12-bit", {3, 1, {Component({-2048, 0, 2047}, 12, true)}}, {0xFF000000, 0xFF808080, 0xFFFFFFFF}},
        // 1 bit: 0 -> 0, 1 -> 255.
        {"1-bit", {2, 1, {Component({1, 0}, 1)}}, {0xFFFFFFFF, 0xFF000000}},
    };
    for (const Case& c : cases) {
        for (bool jp2 : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (jp2 ? " (JP2)" : " (J2K)"));
            J2KFixture fixture = c.fixture;
            fixture.jp2 = jp2;
            const std::vector<uint8_t> bytes = CodecFixtures::J2K(fixture);
            ASSERT_FALSE(bytes.empty());
            EXPECT_EQ(Decode(bytes), c.expected);
        }
    }
}

TEST(J2KCodecModuleTest, SubsampledComponentsCoverTheirBlocks)
{
    // 4x2 RGB: red at full size, green halved across (2x2 samples), blue
    // halved across and down (2x1 samples).
    J2KFixture fixture{4, 2, {Component({0x10, 0x11, 0x12, 0x13, 0x20, 0x21, 0x22, 0x23}),
                              Component({0x30, 0x31, 0x40, 0x41}, 8, false, 2, 1),
                              Component({0x50, 0x51}, 8, false, 2, 2)}};
    const std::vector<uint32_t> expected = {
        0xFF103050, 0xFF113050, 0xFF123151, 0xFF133151,
        0xFF204050, 0xFF214050, 0xFF224151, 0xFF234151,
    };
    EXPECT_EQ(Decode(CodecFixtures::J2K(fixture)), expected);
}

TEST(J2KCodecModuleTest, ReportsSizesAndDecodesLowerResolutions)
{
    // 9x7 of one colour: each level halves the size rounding up, and the
    // low-pass band of a flat picture keeps its value.
    J2KFixture fixture{9, 7, {Component(std::vector<int32_t>(63, 0x12)), Component(std::vector<int32_t>(63, 0x34)),
                              Component(std::vector<int32_t>(63, 0x56))}};
    fixture.resolutions = 3;
    fixture.jp2 = true;
    MemoryFile file{CodecFixtures::J2K(fixture)};
    void* handle = Plat::J2KOpenCustom(&file, &kCallbacks);
    ASSERT_NE(handle, nullptr);
    int width = 0, height = 0, components = 0;
    EXPECT_EQ(Plat::J2KGetInfo(handle, &width, &height, &components), 0);
    EXPECT_EQ(width, 9);
    EXPECT_EQ(height, 7);
    EXPECT_EQ(components, 3);
    const struct {
        int level, width, height;
    } sizes[] = {{0, 9, 7}, {1, 5, 4}, {2, 3, 2}};
    for (const auto& s : sizes) {
        EXPECT_EQ(Plat::J2KGetResolutionDimensions(handle, s.level, &width, &height), 0);
        EXPECT_EQ(width, s.width);
        EXPECT_EQ(height, s.height);
    }
    EXPECT_EQ(Plat::J2KGetResolutionDimensions(handle, 3, &width, &height), Plat::kJ2KErrorBadOption);
    Plat::J2KClose(handle);

    const std::vector<uint32_t> level1 = Decode(file.bytes, nullptr, 1);
    EXPECT_EQ(level1, std::vector<uint32_t>(20, 0xFF123456));
}

TEST(J2KCodecModuleTest, DecodesTwiceAndHonoursThePitch)
{
    J2KFixture fixture{2, 2, {Component({1, 2, 3, 4})}};
    fixture.tileSize = 1;
    fixture.resolutions = 1;
    MemoryFile file{CodecFixtures::J2K(fixture)};
    ASSERT_FALSE(file.bytes.empty());
    void* handle = Plat::J2KOpenCustom(&file, &kCallbacks);
    ASSERT_NE(handle, nullptr);
    for (int round = 0; round < 2; ++round) {
        // Rows 12 bytes apart: the third word of each row is left alone.
        std::vector<uint32_t> pixels(6, 0x12345678);
        unsigned char* buffer = reinterpret_cast<unsigned char*>(pixels.data());
        int size = 20;
        int pitch = 12;
        ASSERT_EQ(Plat::J2KDecode(handle, &buffer, &size, "bpp=4,rl=0", &pitch), 0);
        EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF010101, 0xFF020202, 0x12345678, 0xFF030303, 0xFF040404,
                                                 0x12345678}));
    }
    Plat::J2KClose(handle);
}

TEST(J2KCodecModuleTest, FailuresGiveAnErrorCodeAndText)
{
    J2KFixture rgb{8, 8, {Component(std::vector<int32_t>(64, 7)), Component(std::vector<int32_t>(64, 8)),
                          Component(std::vector<int32_t>(64, 9))}};
    const std::vector<uint8_t> good = CodecFixtures::J2K(rgb);
    ASSERT_GT(good.size(), 60u);

    // Five components: more than a pixel holds.
    J2KFixture five{1, 1, {}};
    for (int i = 0; i < 5; ++i)
        five.components.push_back(Component({i}));

    // SIZ marker right after the 2-byte SOC: Xsiz at byte 8, Ysiz at 12,
    // XTsiz at 24, YTsiz at 28, all big-endian.
    std::vector<uint8_t> huge = good;
    for (size_t at : {8u, 12u, 24u, 28u}) {
        huge[at] = 0x00;
        huge[at + 1] = 0x00;
        huge[at + 2] = 0x4E; // 20000 = 0x4E20
        huge[at + 3] = 0x20;
    }

    // 128x128 cut into 1x1 tiles: 16384 of them.
    J2KFixture flat{128, 128, {Component(std::vector<int32_t>(128 * 128, 5))}};
    std::vector<uint8_t> tiny = CodecFixtures::J2K(flat);
    ASSERT_GT(tiny.size(), 32u);
    for (size_t at : {24u, 28u}) {
        tiny[at] = 0;
        tiny[at + 1] = 0;
        tiny[at + 2] = 0;
        tiny[at + 3] = 1;
    }

    // A JP2 palette of five channels (one entry of five 8-bit values) added
    // to the header box: "pclr", 1 entry (NE = 1), NPC = 5, bit depths,
    // the entry.
    J2KFixture grey{1, 1, {Component({0})}};
    grey.jp2 = true;
    std::vector<uint8_t> palette = CodecFixtures::J2K(grey);
    const std::vector<uint8_t> pclr = {0, 0, 0, 21, 'p', 'c', 'l', 'r', 0, 1, 5, 7, 7, 7, 7, 7, 1, 2, 3, 4, 5};
    size_t jp2h = 0;
    while (jp2h + 8 <= palette.size() && std::memcmp(palette.data() + jp2h + 4, "jp2h", 4) != 0)
        jp2h += size_t(palette[jp2h]) << 24 | size_t(palette[jp2h + 1]) << 16 | size_t(palette[jp2h + 2]) << 8 |
                palette[jp2h + 3];
    ASSERT_LT(jp2h + 8, palette.size());
    const size_t jp2hLength = size_t(palette[jp2h + 2]) << 8 | palette[jp2h + 3];
    palette.insert(palette.begin() + jp2h + jp2hLength, pclr.begin(), pclr.end());
    palette[jp2h + 3] = uint8_t(jp2hLength + pclr.size());
    palette[jp2h + 2] = uint8_t((jp2hLength + pclr.size()) >> 8);

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int error;
    };
    const Case cases[] = {
        {"16384 tiles", tiny, Plat::kJ2KErrorTooLarge},
        {"palette of five channels", palette, Plat::kJ2KErrorUnsupported},
        {"empty", {}, Plat::kJ2KErrorUnknownFormat},
        {"not a codestream", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0}, Plat::kJ2KErrorUnknownFormat},
        {"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 20), Plat::kJ2KErrorHeader},
        {"data cut short", std::vector<uint8_t>(good.begin(), good.end() - 20), Plat::kJ2KErrorDecode},
        {"five components", CodecFixtures::J2K(five), Plat::kJ2KErrorUnsupported},
        {"400 million pixels", huge, Plat::kJ2KErrorTooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int error = 0;
        EXPECT_TRUE(Decode(c.bytes, &error).empty());
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(Plat::J2KGetLastError(), c.error);
        EXPECT_STRNE(Plat::J2KGetErrorStr(c.error), "");
    }

    // The library's own words come with a failed decode.
    int error = 0;
    Decode(std::vector<uint8_t>(good.begin(), good.end() - 20), &error);
    EXPECT_GT(std::strlen(Plat::J2KGetErrorStr(error)), std::strlen("decoding failed"));

    // Bad calls on a good handle.
    MemoryFile file{good};
    void* handle = Plat::J2KOpenCustom(&file, &kCallbacks);
    ASSERT_NE(handle, nullptr);
    std::vector<uint32_t> pixels(64);
    unsigned char* buffer = reinterpret_cast<unsigned char*>(pixels.data());
    const struct {
        const char* options;
        int size;
        int error;
    } calls[] = {
        {"bpp=3,rl=0", 256, Plat::kJ2KErrorBadOption},
        {"bpp=4,rl=9", 256, Plat::kJ2KErrorBadOption},
        {"bpp=4,rl=0", 255, Plat::kJ2KErrorBufferTooSmall},
    };
    for (const auto& call : calls) {
        SCOPED_TRACE(call.options);
        int size = call.size;
        int pitch = 0;
        EXPECT_EQ(Plat::J2KDecode(handle, &buffer, &size, call.options, &pitch), call.error);
        EXPECT_EQ(Plat::J2KGetLastError(), call.error);
    }
    int size = 256;
    int pitch = 0;
    EXPECT_EQ(Plat::J2KDecode(handle, &buffer, &size, "bpp=4,rl=0", &pitch), 0);
    EXPECT_EQ(Plat::J2KGetLastError(), Plat::kJ2KErrorNone);
    EXPECT_EQ(pixels[63], 0xFF070809u);
    Plat::J2KClose(handle);

    EXPECT_EQ(Plat::J2KOpenCustom(&file, nullptr), nullptr);
    EXPECT_EQ(Plat::J2KGetLastError(), Plat::kJ2KErrorBadArgument);
}

TEST(J2KCodecModuleTest, OpensFilesOnTheDisk)
{
    TempFolder folder;
    J2KFixture fixture{1, 1, {Component({0x42})}};
    fixture.jp2 = true;
    folder.Write("Pics/one.jp2", CodecFixtures::J2K(fixture));

    // Separators and case as the callers write them.
    void* handle = Plat::J2KOpenFile((folder.Path() + "\\pics\\ONE.JP2").c_str());
    ASSERT_NE(handle, nullptr);
    uint32_t pixel = 0;
    unsigned char* buffer = reinterpret_cast<unsigned char*>(&pixel);
    int size = 4;
    int pitch = 0;
    EXPECT_EQ(Plat::J2KDecode(handle, &buffer, &size, "bpp=4,rl=0", &pitch), 0);
    EXPECT_EQ(pixel, 0xFF424242u);
    Plat::J2KClose(handle);

    EXPECT_EQ(Plat::J2KOpenFile(folder.Join("missing.jp2").c_str()), nullptr);
    EXPECT_EQ(Plat::J2KGetLastError(), Plat::kJ2KErrorOpenFile);
}

TEST(J2KCodecProviderTest, TheRealProviderServesTheModuleAndItsNineEntryPoints)
{
    Plat::J2KCodecProvider& provider = Plat::GetJ2KCodecProvider();
    void* module = provider.LoadModule("j2k-codec.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(provider.LoadModule("plugins\\J2K-Codec.DLL"), module);
    EXPECT_EQ(provider.LoadModule("other.dll"), nullptr);
    EXPECT_EQ(provider.LoadModule(nullptr), nullptr);

    const char* names[] = {
        Plat::kJ2KGetVersionExport, Plat::kJ2KOpenCustomExport, Plat::kJ2KOpenFileExport,
        Plat::kJ2KCloseExport, Plat::kJ2KGetInfoExport, Plat::kJ2KGetResolutionDimensionsExport,
        Plat::kJ2KDecodeExport, Plat::kJ2KGetLastErrorExport, Plat::kJ2KGetErrorStrExport,
    };
    for (const char* name : names)
        EXPECT_NE(provider.FindEntryPoint(module, name), nullptr) << name;
    EXPECT_EQ(provider.FindEntryPoint(module, "_J2K_Encode@20"), nullptr);
    EXPECT_EQ(provider.FindEntryPoint(nullptr, Plat::kJ2KGetVersionExport), nullptr);

    auto getVersion = reinterpret_cast<int (*)()>(provider.FindEntryPoint(module, Plat::kJ2KGetVersionExport));
    EXPECT_GE(getVersion(), 0x120000);
    provider.FreeModule(module);

    // A provider installed by a test is the one in use until it is removed.
    Plat::J2KCodecProvider other;
    EXPECT_EQ(Plat::SetJ2KCodecProvider(&other), &provider);
    EXPECT_EQ(&Plat::GetJ2KCodecProvider(), &other);
    EXPECT_EQ(Plat::SetJ2KCodecProvider(nullptr), &other);
    EXPECT_EQ(&Plat::GetJ2KCodecProvider(), &provider);
}

} // namespace

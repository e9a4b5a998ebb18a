// The 3-D renderer on the reference device behind a windowed display with
// 3-D on: the calls it makes (seen in the device's log), its texture pieces
// and their formats, its failures, and the pictures it draws against the
// software route of the same display.
#include "framework/display/D3DInterface.h"
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/display/TextureData.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/video/D3DDevice.h"
#include "platform/video/DisplayHost.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using Lumo::Color;
using Lumo::D3DInterface;
using Lumo::DDImage;
using Lumo::MemoryImage;
using Lumo::TRect;
using Plat::D3DCallRecord;

namespace {

class D3DInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedLimits = Lumo::gD3DLimits;
        Lumo::gD3DTrouble = false;
        host.d3d.logCalls = true;
    }
    void TearDown() override
    {
        Lumo::gD3DLimits = savedLimits;
        Lumo::gD3DTrouble = false;
    }

    // A 64 x 48 window on a desktop of the depth, drawing through 3-D.
    void Start(int bits = 32, bool is3D = true)
    {
        host.desktopBits = bits;
        host.clientWidth = 64;
        host.clientHeight = 48;
        app.width = 64;
        app.height = 48;
        app.AddDisplay()->mIs3D = is3D;
        ASSERT_EQ(app.ddInterface->Init(DisplayTestWindow(), true), 0) << app.ddInterface->mErrorText;
        screen = app.ddInterface->GetScreenImage();
        renderer = app.ddInterface->mD3DInterface;
        if (is3D) {
            ASSERT_NE(renderer->Device(), nullptr);
            renderer->Device()->ClearCallLog();
        }
    }

    std::unique_ptr<MemoryImage> Picture(int width, int height, uint32_t (*pixel)(int x, int y))
    {
        std::vector<uint32_t> pixels;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                pixels.push_back(pixel(x, y));
            }
        }
        auto image = std::make_unique<MemoryImage>(&app);
        image->SetBits(pixels.data(), width, height);
        // Opaque pictures would take 5:6:5 textures, whose channels come
        // back widened; the pictures here keep all eight bits.
        image->mTextureFlags = Lumo::kTextureHintNo565;
        return image;
    }

    // Draw calls of the kind in the log: (primitive type, vertex count).
    std::vector<std::pair<uint32_t, uint32_t>> Draws() const
    {
        std::vector<std::pair<uint32_t, uint32_t>> draws;
        for (const D3DCallRecord& record : renderer->Device()->CallLog()) {
            if (record.kind == D3DCallRecord::kDrawPrimitive) {
                draws.emplace_back(record.first, record.second);
            }
        }
        return draws;
    }

    uint32_t ScreenPixel(int x, int y) const { return screen->mSurface->ReadPixel(x, y) & 0xFFFFFF; }

    TestDisplayHost host;
    TestApp app;
    DDImage* screen = nullptr;
    D3DInterface* renderer = nullptr;
    Lumo::D3DTextureLimits savedLimits;
};

uint32_t Gradient(int x, int y)
{
    return 0xFF000000u | uint32_t(x * 8) << 16 | uint32_t(y * 8) << 8 | 0x40;
}

TEST_F(D3DInterfaceTest, ManyTrianglesOfOnePieceGoOutAHundredAtATime)
{
    Start();
    auto texture = Picture(16, 16, Gradient);
    std::vector<Lumo::TriangleRasterizer::ClipVertex> corners;
    std::vector<Lumo::TriangleRasterizer::ClipVertex[3]> triangles(4000);
    for (auto& t : triangles) {
        t[0] = {1, 1, 0, 0, 0};
        t[1] = {9, 1, 1, 0, 0};
        t[2] = {1, 9, 0, 1, 0};
    }
    screen->BltTrianglesTex(texture.get(), triangles.data(), 4000, TRect<int>(0, 0, 64, 48), Color::White, 0, 0, 0,
                            false);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 40u);
    for (const auto& draw : draws) {
        EXPECT_EQ(draw, std::make_pair(Plat::kD3dptTriangleList, 300u));
    }
}

TEST_F(D3DInterfaceTest, TransformedPiecesAreStripsInsideTheClipAndFansAcrossIt)
{
    Start();
    auto sprite = Picture(8, 8, Gradient);
    screen->BltRotated(sprite.get(), 20, 20, TRect<int>(0, 0, 8, 8), TRect<int>(0, 0, 64, 48), Color::White, 0, 0.5,
                       4, 4);
    EXPECT_EQ(Draws(), (std::vector<std::pair<uint32_t, uint32_t>>{{Plat::kD3dptTriangleStrip, 4}}));
    renderer->Device()->ClearCallLog();
    screen->BltRotated(sprite.get(), -3, 20, TRect<int>(0, 0, 8, 8), TRect<int>(0, 0, 64, 48), Color::White, 0, 0.5,
                       4, 4);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].first, Plat::kD3dptTriangleFan);
    EXPECT_GE(draws[0].second, 3u);
    // Clipped on the left: nothing left of x = 0 and the fan ends at the bound.
    EXPECT_NE(ScreenPixel(0, 22), 0u);
}

TEST_F(D3DInterfaceTest, FiltersChangeOnlyWhenAskedForAnother)
{
    Start();
    auto sprite = Picture(8, 8, Gradient);
    const TRect<int> clip(0, 0, 64, 48);
    screen->BltF(sprite.get(), 1.5f, 1.0f, TRect<int>(0, 0, 8, 8), clip, Color::White, 0);
    screen->BltF(sprite.get(), 11.5f, 1.0f, TRect<int>(0, 0, 8, 8), clip, Color::White, 0);
    screen->Blt(sprite.get(), 30, 1, TRect<int>(0, 0, 8, 8), Color(255, 255, 255, 200), 0);
    int minFilterSets = 0;
    for (const D3DCallRecord& record : renderer->Device()->CallLog()) {
        if (record.kind == D3DCallRecord::kTextureStageState && record.first == Plat::kD3dtssMinFilter) {
            ++minFilterSets;
        }
    }
    EXPECT_EQ(minFilterSets, 3); // point as the scene starts, linear once for both BltF, point for the Blt
}

TEST_F(D3DInterfaceTest, MinimisedOrUntexturableDrawsNothing)
{
    Start();
    auto sprite = Picture(8, 8, Gradient);
    app.minimized = true;
    EXPECT_FALSE(renderer->Blt(sprite.get(), 1, 1, TRect<int>(0, 0, 8, 8), Color::White, 0, false));
    EXPECT_FALSE(renderer->FillRect(TRect<int>(0, 0, 8, 8), Color::White, 0));
    EXPECT_TRUE(Draws().empty());
    app.minimized = false;
    // An empty picture has no pieces; a source rect past the picture is cut to it.
    MemoryImage empty(&app);
    EXPECT_FALSE(renderer->Blt(&empty, 1, 1, TRect<int>(0, 0, 8, 8), Color::White, 0, false));
    EXPECT_TRUE(renderer->Blt(sprite.get(), 10, 10, TRect<int>(4, 4, 100, 100), Color::White, 0, false));
    EXPECT_EQ(ScreenPixel(10, 10), Gradient(4, 4) & 0xFFFFFF);
    EXPECT_EQ(ScreenPixel(14, 14), 0u);
    EXPECT_TRUE(Lumo::gD3DLastError.empty());
}

TEST_F(D3DInterfaceTest, ADeviceWithoutTextureLimitsGetsSmallSquarePieces)
{
    host.d3d.caps.maxTextureWidth = 0;
    Start();
    EXPECT_EQ(Lumo::gD3DLimits.maxWidth, 64);
    EXPECT_EQ(Lumo::gD3DLimits.minHeight, 64);
    EXPECT_EQ(Lumo::gD3DLimits.maxAspect, 1);
    auto picture = Picture(100, 30, Gradient);
    ASSERT_TRUE(renderer->CreateTextureData(picture.get()));
    EXPECT_EQ(picture->mTextureData->mPiecesAcross, 2);
    EXPECT_EQ(picture->mTextureData->mPiecesDown, 1);
    // Drawn across both pieces, every pixel lands where the software would put it.
    renderer->Blt(picture.get(), 0, 0, TRect<int>(0, 0, 64, 30), Color::White, 0, false);
    EXPECT_EQ(ScreenPixel(63, 29), Gradient(63, 29) & 0xFFFFFF);
}

TEST_F(D3DInterfaceTest, KeyedSurfacePicturesAreBlittedByTheDisplayWhenPlain)
{
    Start();
    DDImage sprite(app.ddInterface);
    std::vector<uint32_t> pixels(8 * 8, 0xFF00FF00);
    pixels[0] = 0; // transparent: the display's colour key
    sprite.SetBits(pixels.data(), 8, 8);
    ASSERT_TRUE(sprite.GenerateDDSurface());
    screen->FillRect(TRect<int>(0, 0, 64, 48), Color(0, 0, 255), 0);
    renderer->Device()->ClearCallLog();
    const int blits = host.CallCount(Plat::DisplayCall::Blt);
    screen->Blt(&sprite, -2, 2, TRect<int>(0, 0, 8, 8), Color::White, 0);
    EXPECT_TRUE(Draws().empty());
    EXPECT_EQ(host.CallCount(Plat::DisplayCall::Blt), blits + 1);
    EXPECT_EQ(ScreenPixel(0, 2), 0x00FF00u); // cut at the screen's edge, not refused
    screen->Blt(&sprite, 20, 2, TRect<int>(0, 0, 8, 8), Color(255, 255, 255, 128), 0);
    EXPECT_EQ(Draws().size(), 1u);
}

TEST_F(D3DInterfaceTest, TexturesAreRefilledOnlyWhenTheBitsChange)
{
    Start();
    auto sprite = Picture(8, 8, Gradient);
    const int before = host.CallCount(Plat::DisplayCall::Lock);
    screen->Blt(sprite.get(), 0, 0, TRect<int>(0, 0, 8, 8), Color(255, 255, 255, 200), 0);
    const int first = host.CallCount(Plat::DisplayCall::Lock) - before;
    EXPECT_EQ(first, 1);
    screen->Blt(sprite.get(), 0, 0, TRect<int>(0, 0, 8, 8), Color(255, 255, 255, 200), 0);
    EXPECT_EQ(host.CallCount(Plat::DisplayCall::Lock) - before, 1);
    sprite->GetBits()[0] = 0xFFFFFFFF;
    sprite->BitsChanged();
    screen->Blt(sprite.get(), 0, 0, TRect<int>(0, 0, 8, 8), Color::White, 0);
    EXPECT_EQ(host.CallCount(Plat::DisplayCall::Lock) - before, 2);
    EXPECT_EQ(ScreenPixel(0, 0), 0xFFFFFFu);
}

TEST_F(D3DInterfaceTest, DroppedBitsComeBackFromTheTexturesOfEachFormat)
{
    Start();
    struct Case {
        const char* name;
        uint32_t pixel;
        int hints;
        int format;
        uint32_t back;
    };
    const Case cases[] = {
        {"8888", 0x8A123456, 0, Lumo::kTextureFormat8888, 0x8A123456},
        {"4444", 0x8A123456, Lumo::kTextureHintPrefer4444, Lumo::kTextureFormat4444, 0x80103050},
        {"565", 0xFF123456, 0, Lumo::kTextureFormat565, 0xFF103450},
        {"8888 opaque", 0xFF123456, Lumo::kTextureHintNo565, Lumo::kTextureFormat8888, 0xFF123456},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint32_t> pixels(6 * 5, c.pixel);
        MemoryImage image(&app);
        image.SetBits(pixels.data(), 6, 5);
        image.mTextureFlags = c.hints;
        ASSERT_TRUE(renderer->CreateTextureData(&image));
        EXPECT_EQ(image.mTextureData->mFormat, c.format);
        image.mBits.reset();
        const uint32_t* bits = image.GetBits();
        EXPECT_EQ(bits[0], c.back);
        EXPECT_EQ(bits[29], c.back);
    }
}

TEST_F(D3DInterfaceTest, PaletteImagesUsePaletteTexturesWhenTheDeviceHasThem)
{
    Start();
    auto picture = Picture(10, 4, [](int x, int) { return x < 5 ? 0xFF102030u : 0x80405060u; });
    ASSERT_TRUE(picture->Palletize());
    ASSERT_TRUE(renderer->CreateTextureData(picture.get()));
    const Lumo::TextureData& data = *picture->mTextureData;
    EXPECT_EQ(data.mFormat, Lumo::kTextureFormatPalette8);
    EXPECT_EQ(data.mTextureMemory, 16 * 4 * 1 + 1024);
    picture->mBits.reset();
    EXPECT_EQ(picture->GetBits()[7], 0x80405060u);
    renderer->RemoveImageData(picture.get());
    EXPECT_EQ(picture->mTextureData, nullptr);

    // The palette cannot be made: 8888 from the colour table, and no
    // palette textures for the rest of the run.
    auto second = Picture(10, 4, [](int x, int) { return x < 5 ? 0xFF102030u : 0x80405060u; });
    ASSERT_TRUE(second->Palletize());
    host.InjectFault(Plat::DisplayCall::CreatePalette, 1, Plat::DDERR_OUTOFMEMORY);
    ASSERT_TRUE(renderer->CreateTextureData(second.get()));
    EXPECT_EQ(second->mTextureData->mFormat, Lumo::kTextureFormat8888);
    EXPECT_EQ(Lumo::gD3DLimits.formats & Lumo::kTextureFormatPalette8, 0);
    screen->Blt(second.get(), 0, 0, TRect<int>(0, 0, 10, 4), Color::White, 0);
    EXPECT_EQ(ScreenPixel(0, 0), 0x102030u);
}

TEST_F(D3DInterfaceTest, ARunTimeFailureIsStoredOnceAndTurnsThreeDOffAtTheNextFrame)
{
    TempFolder temp;
    ScopedEnvironment config("XDG_CONFIG_HOME", temp.Path());
    app.registryKey = "LumoD3DTest";
    Start();
    auto sprite = Picture(8, 8, Gradient);
    host.InjectFault(Plat::DisplayCall::DrawPrimitive, 0, Plat::DDERR_SURFACELOST);
    screen->Blt(sprite.get(), 0, 0, TRect<int>(0, 0, 8, 8), Color(255, 255, 255, 200), 0);
    EXPECT_EQ(Lumo::gD3DLastError, "DrawPrimitive (Tri) 1: DDERR_SURFACELOST");
    EXPECT_TRUE(Lumo::gD3DTrouble);
    std::string stored;
    ASSERT_TRUE(app.RegistryReadString("Test3D\\RuntimeError", stored));
    EXPECT_EQ(stored, Lumo::gD3DLastError);
    // The same failure again is not written again.
    ASSERT_TRUE(app.RegistryWriteString("Test3D\\RuntimeError", "marker"));
    screen->Blt(sprite.get(), 0, 0, TRect<int>(0, 0, 8, 8), Color(255, 255, 255, 200), 0);
    ASSERT_TRUE(app.RegistryReadString("Test3D\\RuntimeError", stored));
    EXPECT_EQ(stored, "marker");

    EXPECT_FALSE(app.ddInterface->Redraw());
    EXPECT_FALSE(app.ddInterface->mIs3D);
    host.ClearFaults();
}

// The same frame on the software route and on the reference device: whole
// pixel blits land in place with the same colours; blended pixels may
// differ by the rounding of each route.
TEST_F(D3DInterfaceTest, TheFrameMatchesTheSoftwareRoute)
{
    auto draw = [&](DDImage* target, MemoryImage& sprite, MemoryImage& glow) {
        target->FillRect(TRect<int>(0, 0, 64, 48), Color(20, 40, 60), 0);
        target->Blt(&sprite, 3, 5, TRect<int>(0, 0, 16, 16), Color::White, 0);
        target->Blt(&glow, 30, 5, TRect<int>(0, 0, 16, 16), Color::White, 1);
        target->FillRect(TRect<int>(10, 30, 20, 8), Color(200, 100, 50, 128), 0);
        target->Blt(&sprite, 40, 28, TRect<int>(0, 0, 16, 16), Color(255, 128, 255, 160), 0);
    };
    auto spriteOf = [&] {
        return Picture(16, 16, [](int x, int y) {
            return ((x + y) % 5 == 0 ? 0x00000000u : (x % 3 == 0 ? 0x80FF0000u : 0xFF0000FFu)) | uint32_t(y * 9) << 8;
        });
    };
    auto glowOf = [&] { return Picture(16, 16, [](int x, int y) { return 0xFF000000u | uint32_t(x * 12) << 16 | uint32_t(y * 12); }); };

    std::vector<uint32_t> software;
    {
        Start(32, false);
        auto sprite = spriteOf();
        auto glow = glowOf();
        draw(screen, *sprite, *glow);
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                software.push_back(ScreenPixel(x, y));
            }
        }
    }
    delete app.ddInterface;
    app.ddInterface = nullptr;
    Start(32, true);
    auto sprite = spriteOf();
    auto glow = glowOf();
    draw(screen, *sprite, *glow);
    EXPECT_TRUE(Lumo::gD3DLastError.empty()) << Lumo::gD3DLastError;
    int worst = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const uint32_t a = software[size_t(y * 64 + x)];
            const uint32_t b = ScreenPixel(x, y);
            for (int shift : {0, 8, 16}) {
                worst = std::max(worst, std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)));
            }
        }
    }
    EXPECT_LE(worst, 2); // rounding of a blend, one step either way
}

} // namespace

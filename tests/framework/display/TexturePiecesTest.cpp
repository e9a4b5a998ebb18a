// Texture pieces: the grid an image is cut into under the device's limits,
// worked out from the piece-size rule by hand.
#include "framework/display/D3DInterface.h"
#include "framework/display/TextureData.h"
#include "framework/graphics/MemoryImage.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

using Lumo::D3DInterface;
using Lumo::D3DTextureLimits;
using Lumo::TextureData;

namespace {

class TexturePiecesTest : public ::testing::Test {
protected:
    void SetUp() override { saved = Lumo::gD3DLimits; }
    void TearDown() override { Lumo::gD3DLimits = saved; }

    static void Limits(int maxSize, int minSize, int aspect)
    {
        D3DTextureLimits limits;
        limits.maxWidth = limits.maxHeight = maxSize;
        limits.minWidth = limits.minHeight = minSize;
        limits.maxAspect = aspect;
        limits.formats = Lumo::kTextureFormat8888;
        Lumo::gD3DLimits = limits;
    }

    D3DTextureLimits saved;
    TestApp app;
};

TEST_F(TexturePiecesTest, PieceSizesFollowTheRule)
{
    Limits(1024, 1, 8);
    struct Case {
        int width, height;
        bool edge;
        int hints;
        int expectedWidth, expectedHeight;
    };
    const Case cases[] = {
        {100, 100, false, 0, 128, 128},  // 28 spare texels: one power of two
        {800, 600, false, 0, 256, 64},   // 800 = 3 x 256 + 32; 600 = 9 x 64 + 24
        {24, 40, true, 0, 32, 64},       // edges take the next power of two
        {100, 100, false, Lumo::kTextureHintPowerOfTwo, 128, 128},
        {600, 600, false, Lumo::kTextureHintPowerOfTwo, 1024, 1024},
        {800, 600, false, Lumo::kTextureHintSmallPieces, 64, 64},
        {2000, 3, false, 0, 1024, 128}, // beyond the maximum; then the aspect of 8
        {0, 0, false, 0, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        int w = c.width;
        int h = c.height;
        D3DInterface::GetGoodTextureSize(w, h, c.edge, true, c.hints);
        EXPECT_EQ(w, c.expectedWidth);
        EXPECT_EQ(h, c.expectedHeight);
    }
    Limits(1024, 1, 1);
    int w = 256;
    int h = 64;
    D3DInterface::GetGoodTextureSize(w, h, false, true, 0);
    EXPECT_EQ(h, 256);
    Limits(1024, 1, 65536);
    w = 1024;
    h = 1;
    D3DInterface::GetGoodTextureSize(w, h, false, true, 0); // no endless doubling
    EXPECT_EQ(h, 1);
}

TEST_F(TexturePiecesTest, AnImageIsCutIntoRegularPiecesWithNarrowerEdges)
{
    Limits(1024, 1, 8);
    Lumo::MemoryImage image(&app);
    image.Create(800, 600);
    TextureData data;
    data.CreatePieces(&image);
    EXPECT_EQ(data.mPieceWidth, 256);
    EXPECT_EQ(data.mPieceHeight, 64);
    EXPECT_EQ(data.mPiecesAcross, 4);
    EXPECT_EQ(data.mPiecesDown, 10);
    EXPECT_EQ(data.GetPiece(0, 0).width, 256);
    EXPECT_EQ(data.GetPiece(3, 0).width, 32);   // right column
    EXPECT_EQ(data.GetPiece(3, 0).height, 64);
    EXPECT_EQ(data.GetPiece(1, 9).width, 256);  // bottom row: 24 raised to 32
    EXPECT_EQ(data.GetPiece(1, 9).height, 32);
    EXPECT_EQ(data.GetPiece(3, 9).width, 32);   // corner
    EXPECT_EQ(data.GetPiece(3, 9).height, 32);
    EXPECT_FLOAT_EQ(data.mMaxU, 800.0f / 256.0f);
    EXPECT_FLOAT_EQ(data.mMaxV, 600.0f / 64.0f);

    image.Create(100, 100);
    data.CreatePieces(&image);
    EXPECT_EQ(data.mPiecesAcross * data.mPiecesDown, 1);
    EXPECT_EQ(data.GetPiece(0, 0).width, 128);
    EXPECT_FLOAT_EQ(data.mMaxU, 100.0f / 128.0f);
}

TEST_F(TexturePiecesTest, PixelFormatsAreKnownByTheirExactLayout)
{
    for (int id : {Lumo::kTextureFormat8888, Lumo::kTextureFormat4444, Lumo::kTextureFormat565,
                   Lumo::kTextureFormatPalette8}) {
        EXPECT_EQ(D3DInterface::ClassifyPixelFormat(D3DInterface::FillPixelFormat(id)), id);
    }
    Plat::DisplayPixelFormat x8 = D3DInterface::FillPixelFormat(Lumo::kTextureFormat8888);
    x8.alphaMask = 0;
    EXPECT_EQ(D3DInterface::ClassifyPixelFormat(x8), 0);
    Plat::DisplayPixelFormat rgb555{Plat::kDdpfRgb, 16, 0x7C00, 0x3E0, 0x1F, 0};
    EXPECT_EQ(D3DInterface::ClassifyPixelFormat(rgb555), 0);
}

} // namespace

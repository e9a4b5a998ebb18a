// The memory image's pixel forms (ARGB bits, palette, native data, run-length
// tables) and the conversions between them, the bits version, the
// transparency flags, memory management, copying and stretch/rotation
// clipping.
#include "framework/graphics/MemoryImage.h"

#include "framework/display/DDInterface.h"
#include "framework/display/TextureData.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using Lumo::MemoryImage;
using Lumo::TRect;

namespace {

class MemoryImageTest : public testing::Test {
protected:
    TestApp mApp;
};

std::vector<uint32_t> Pixels(MemoryImage& image)
{
    const uint32_t* bits = image.GetBits();
    return std::vector<uint32_t>(bits, bits + image.PixelCount());
}

std::vector<uint8_t> Bytes(const uint8_t* bytes, size_t count)
{
    return std::vector<uint8_t>(bytes, bytes + count);
}

// Puts the image into palette form: the given table entries and indices, no bits.
void MakePaletteForm(MemoryImage& image, int width, int height, const std::vector<uint32_t>& table,
                     const std::vector<uint8_t>& indices)
{
    image.Create(width, height);
    // Unused entries repeat the first one, so they add no alpha class.
    image.mColorTable = std::make_unique<uint32_t[]>(256);
    for (size_t i = 0; i < 256; ++i) {
        image.mColorTable[i] = i < table.size() ? table[i] : table[0];
    }
    image.mColorIndices = std::make_unique<uint8_t[]>(indices.size());
    for (size_t i = 0; i < indices.size(); ++i) {
        image.mColorIndices[i] = indices[i];
    }
}

// A 4 x 2 picture with every alpha class, black and colour.
const std::vector<uint32_t> kMixed = {
    0xFF000000, 0xFF000000, 0x80FF8000, 0x00FFFFFF, //
    0xFF336699, 0x00000000, 0xFF336699, 0x80FF8000,
};

} // namespace

TEST_F(MemoryImageTest, NewImageHasNoBitsUntilAskedAndThenZeros)
{
    MemoryImage image;
    EXPECT_EQ(image.mApp, &mApp);
    image.Create(3, 2);
    EXPECT_EQ(image.mBits, nullptr);
    EXPECT_TRUE(image.mHasTrans);
    EXPECT_TRUE(image.mHasAlpha);
    EXPECT_EQ(Pixels(image), std::vector<uint32_t>(6, 0U));
    EXPECT_EQ(image.mBits[6], 0x4BEEFADEU);
}

TEST_F(MemoryImageTest, SetBitsCopiesAndRaisesTheVersion)
{
    MemoryImage image;
    image.SetBits(kMixed.data(), 4, 2, false);
    EXPECT_EQ(image.GetWidth(), 4);
    EXPECT_EQ(image.GetHeight(), 2);
    EXPECT_EQ(Pixels(image), kMixed);
    EXPECT_EQ(image.mBits[8], MemoryImage::kBitsSentinel);
    EXPECT_EQ(image.mBitsVersion, 1);
    EXPECT_TRUE(image.mBitsChanged);

    // Its own pointer: nothing happens, not even a new version.
    image.SetBits(image.GetBits(), 4, 2, true);
    EXPECT_EQ(image.mBitsVersion, 1);
    EXPECT_TRUE(image.mBitsChanged);
}

TEST_F(MemoryImageTest, CommitBitsScansAlphaIntoTheFlags)
{
    struct Case {
        uint32_t odd; // replaces one pixel of an opaque black picture
        bool hasTrans, hasAlpha;
    };
    const Case cases[] = {
        {0xFF000000, false, false},
        {0x00000000, true, false},
        {0x80FFFFFF, false, true},
        {0x01FFFFFF, false, true},
        {0xFEFFFFFF, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.odd);
        std::vector<uint32_t> pixels(6, 0xFF000000);
        pixels[4] = c.odd;
        MemoryImage image;
        image.SetBits(pixels.data(), 3, 2, true);
        EXPECT_EQ(image.mHasTrans, c.hasTrans);
        EXPECT_EQ(image.mHasAlpha, c.hasAlpha);
        EXPECT_FALSE(image.mBitsChanged);
    }
}

TEST_F(MemoryImageTest, CommitBitsWithoutBitsUsesThePaletteOrAssumesTransparency)
{
    MemoryImage palette;
    MakePaletteForm(palette, 2, 1, {0xFF000000, 0x40FFFFFF}, {0, 1});
    palette.CommitBits();
    EXPECT_FALSE(palette.mHasTrans);
    EXPECT_TRUE(palette.mHasAlpha);
    EXPECT_EQ(palette.mBits, nullptr);

    MemoryImage blank;
    blank.Create(2, 2);
    blank.mHasTrans = false;
    blank.CommitBits();
    EXPECT_TRUE(blank.mHasTrans);
    EXPECT_FALSE(blank.mHasAlpha);
}

TEST_F(MemoryImageTest, ForcedModeKeepsTheFlags)
{
    MemoryImage image;
    image.SetImageMode(false, false);
    EXPECT_TRUE(image.mForcedMode);
    const std::vector<uint32_t> transparent = {0x00000000, 0x80FFFFFF};
    image.SetBits(transparent.data(), 2, 1, true);
    image.CommitBits();
    EXPECT_FALSE(image.mHasTrans);
    EXPECT_FALSE(image.mHasAlpha);
    // The rescan stays pending for when the mode is no longer forced.
    EXPECT_TRUE(image.mBitsChanged);
}

TEST_F(MemoryImageTest, PaletteFormTurnsIntoBitsAndLeavesThePalette)
{
    MemoryImage image;
    MakePaletteForm(image, 3, 2, {0xFF112233, 0x80445566, 0x00000000}, {0, 1, 2, 2, 1, 0});
    image.GetNativeAlphaData(mApp.GetNativeDisplay());
    EXPECT_EQ(Pixels(image),
              (std::vector<uint32_t>{0xFF112233, 0x80445566, 0x00000000, 0x00000000, 0x80445566, 0xFF112233}));
    EXPECT_EQ(image.mColorTable, nullptr);
    EXPECT_EQ(image.mColorIndices, nullptr);
    EXPECT_EQ(image.mNativeAlphaData, nullptr);
}

TEST_F(MemoryImageTest, NativeDataIsPremultipliedInTheDisplayFormat)
{
    MemoryImage image;
    image.SetBits(kMixed.data(), 4, 2, false);
    const uint32_t* native = image.GetNativeAlphaData(mApp.GetNativeDisplay());
    // channel' = (c * (a + 1)) >> 8 at 8 bits per channel:
    // 0x80FF8000 -> red (255 * 129) >> 8 = 0x80, green (128 * 129) >> 8 = 0x40.
    const std::vector<uint32_t> expected = {
        0xFF000000, 0xFF000000, 0x80804000, 0x00000000, //
        0xFF336699, 0x00000000, 0xFF336699, 0x80804000,
    };
    EXPECT_EQ(std::vector<uint32_t>(native, native + 8), expected);
    EXPECT_FALSE(image.mBitsChanged); // made after CommitBits
    // Kept until the bits change.
    EXPECT_EQ(image.GetNativeAlphaData(nullptr), native);
    image.BitsChanged();
    EXPECT_EQ(image.mNativeAlphaData, nullptr);
}

TEST_F(MemoryImageTest, NativeDataFollowsA565Display)
{
    mApp.AddDisplay()->SetPixelFormat(16, 0xF800, 0x7E0, 0x1F);
    MemoryImage image;
    const std::vector<uint32_t> pixels = {0xFFFFFFFF, 0x80FF8000};
    image.SetBits(pixels.data(), 2, 1, true);
    const uint32_t* native = image.GetNativeAlphaData(mApp.GetNativeDisplay());
    // White: red (255 * 256) >> 11 = 31 << 11, green >> 10 = 63 << 5, blue 31.
    EXPECT_EQ(native[0], 0xFF00FFFFU);
    // red (255 * 129) >> 11 = 16 << 11 = 0x8000, green (128 * 129) >> 10 = 16 << 5 = 0x200.
    EXPECT_EQ(native[1], 0x80008200U);

    // Back to ARGB: full channels read back without the low bits.
    image.PurgeBits();
    EXPECT_EQ(image.mBits, nullptr);
    EXPECT_EQ(image.GetBits()[0], 0xFFF8FCF8U);
}

TEST_F(MemoryImageTest, BitsComeBackFromNativeData)
{
    MemoryImage image;
    image.SetBits(kMixed.data(), 4, 2, true);
    image.PurgeBits();
    EXPECT_TRUE(image.mPurgeBits);
    EXPECT_EQ(image.mBits, nullptr);
    ASSERT_NE(image.mNativeAlphaData, nullptr);
    // 0x80804000 undone: red ((0x800000 << 8) / 129) & 0xFF0000 -> 0xFE,
    // green ((0x4000 << 8) / 129) & 0xFF00 = 0x7F00 -> 0x7F.
    const std::vector<uint32_t> expected = {
        0xFF000000, 0xFF000000, 0x80FE7F00, 0x00000000, //
        0xFF336699, 0x00000000, 0xFF336699, 0x80FE7F00,
    };
    EXPECT_EQ(Pixels(image), expected);
    EXPECT_NE(image.mNativeAlphaData, nullptr); // the native data stays
}

TEST_F(MemoryImageTest, RunLengthAlphaCountsToTheEndOfEachRun)
{
    struct Case {
        int width, height;
        std::vector<uint32_t> pixels;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {6, 1, {0x00000000, 0x00FFFFFF, 0xFF000000, 0x80000000, 0x01000000, 0xFE000000}, {2, 1, 1, 3, 2, 1}},
        // A row ends every run.
        {2, 2, {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000}, {2, 1, 2, 1}},
        {1, 3, {0xFF000000, 0xFF000000, 0x00000000}, {1, 1, 1}},
    };
    for (const Case& c : cases) {
        MemoryImage image;
        image.SetBits(c.pixels.data(), c.width, c.height, false);
        EXPECT_EQ(Bytes(image.GetRLAlphaData(), c.pixels.size()), c.expected);
        EXPECT_FALSE(image.mBitsChanged); // committed first
    }
}

TEST_F(MemoryImageTest, LongRunsAreCappedAt255)
{
    const std::vector<uint32_t> opaque(300, 0xFF000000);
    MemoryImage image;
    image.SetBits(opaque.data(), 300, 1, true);
    const uint8_t* runs = image.GetRLAlphaData();
    for (int i = 0; i < 46; ++i) {
        EXPECT_EQ(runs[i], 255) << i;
    }
    for (int i = 46; i < 300; ++i) {
        EXPECT_EQ(runs[i], 300 - i) << i;
    }
}

TEST_F(MemoryImageTest, RunLengthAdditiveSeparatesBlackFromColour)
{
    MemoryImage image;
    image.SetBits(kMixed.data(), 4, 2, true);
    // Nothing to add where the premultiplied colour is 0: black, and alpha 0.
    // Row 0 classes 0 0 1 0, row 1 classes 1 0 1 1.
    EXPECT_EQ(Bytes(image.GetRLAdditiveData(mApp.GetNativeDisplay()), 8),
              (std::vector<uint8_t>{2, 1, 1, 1, 1, 1, 2, 1}));
}

// The same picture held as ARGB bits, as a palette and as native data gives
// the same run-length tables and the same bits.
TEST_F(MemoryImageTest, EveryFormDescribesTheSamePicture)
{
    const std::vector<uint32_t> table = {0xFF000000, 0x80FF8000, 0x00FFFFFF, 0xFF336699, 0x00000000};
    const std::vector<uint8_t> indices = {0, 0, 1, 2, 3, 4, 3, 1};

    MemoryImage argb;
    argb.SetBits(kMixed.data(), 4, 2, true);
    const std::vector<uint8_t> alphaRuns = Bytes(argb.GetRLAlphaData(), 8);
    const std::vector<uint8_t> addRuns = Bytes(argb.GetRLAdditiveData(nullptr), 8);

    MemoryImage palette;
    MakePaletteForm(palette, 4, 2, table, indices);
    palette.CommitBits();
    EXPECT_EQ(Bytes(palette.GetRLAlphaData(), 8), alphaRuns);
    const uint32_t* paletteNative = palette.GetNativeAlphaData(nullptr);
    EXPECT_EQ(paletteNative[1], 0x80804000U); // one word per palette entry
    EXPECT_EQ(Bytes(palette.GetRLAdditiveData(nullptr), 8), addRuns);
    EXPECT_EQ(palette.mBits, nullptr); // the palette form served every table
    EXPECT_EQ(Pixels(palette), kMixed);

    MemoryImage native;
    native.SetBits(kMixed.data(), 4, 2, true);
    native.PurgeBits();
    ASSERT_EQ(native.mBits, nullptr);
    native.mRLAlphaData.reset();
    native.mRLAdditiveData.reset();
    EXPECT_EQ(Bytes(native.GetRLAlphaData(), 8), alphaRuns);
    EXPECT_EQ(Bytes(native.GetRLAdditiveData(nullptr), 8), addRuns);
    EXPECT_EQ(native.mBits, nullptr);
}

TEST_F(MemoryImageTest, BitsChangedDropsTheDerivedForms)
{
    MemoryImage image;
    image.SetBits(kMixed.data(), 4, 2, true);
    image.GetNativeAlphaData(nullptr);
    image.GetRLAlphaData();
    image.GetRLAdditiveData(nullptr);
    const int version = image.mBitsVersion;
    image.BitsChanged();
    EXPECT_EQ(image.mBitsVersion, version + 1);
    EXPECT_TRUE(image.mBitsChanged);
    EXPECT_EQ(image.mNativeAlphaData, nullptr);
    EXPECT_EQ(image.mRLAlphaData, nullptr);
    EXPECT_EQ(image.mRLAdditiveData, nullptr);
    EXPECT_NE(image.mBits, nullptr);

    image.Clear();
    EXPECT_EQ(image.mBitsVersion, version + 2);
    EXPECT_EQ(Pixels(image), std::vector<uint32_t>(8, 0U));
}

TEST_F(MemoryImageTest, DeletingBuffersKeepsThePicture)
{
    // kMixed after one trip through native data (see BitsComeBackFromNativeData).
    const std::vector<uint32_t> roundTrip = {
        0xFF000000, 0xFF000000, 0x80FE7F00, 0x00000000, //
        0xFF336699, 0x00000000, 0xFF336699, 0x80FE7F00,
    };

    // Native data and the additive table go; the alpha table depends on alpha only.
    MemoryImage image;
    image.SetBits(kMixed.data(), 4, 2, true);
    image.PurgeBits();
    image.GetRLAlphaData();
    image.GetRLAdditiveData(nullptr);
    image.DeleteNativeData();
    EXPECT_EQ(image.mNativeAlphaData, nullptr);
    EXPECT_EQ(image.mRLAdditiveData, nullptr);
    EXPECT_NE(image.mRLAlphaData, nullptr);
    EXPECT_EQ(Pixels(image), roundTrip);

    MemoryImage other;
    other.SetBits(kMixed.data(), 4, 2, true);
    other.PurgeBits();
    other.GetRLAlphaData();
    other.DeleteExtraBuffers();
    EXPECT_EQ(other.mNativeAlphaData, nullptr);
    EXPECT_EQ(other.mRLAlphaData, nullptr);
    EXPECT_EQ(other.mRLAdditiveData, nullptr);
    EXPECT_EQ(Pixels(other), roundTrip);
}

TEST_F(MemoryImageTest, PurgeBitsWithout3DNeedsSomethingToPurge)
{
    MemoryImage blank;
    blank.Create(2, 2);
    blank.PurgeBits();
    EXPECT_TRUE(blank.mPurgeBits);
    EXPECT_EQ(blank.mNativeAlphaData, nullptr);

    MemoryImage image;
    image.SetBits(kMixed.data(), 4, 2, true);
    image.mPurgeBits = true;
    image.ReInit();
    EXPECT_EQ(image.mBits, nullptr);
    EXPECT_NE(image.mNativeAlphaData, nullptr);
}

TEST_F(MemoryImageTest, PurgeBitsWith3DKeepsTheBitsUntilTexturesExist)
{
    mApp.AddDisplay()->mIs3D = true;
    MemoryImage image;
    image.SetBits(kMixed.data(), 4, 2, true);
    image.PurgeBits();
    EXPECT_NE(image.mBits, nullptr);
    EXPECT_EQ(image.mNativeAlphaData, nullptr);
}

// A palette image's native data has one word per palette entry; when the
// palette goes with the texture data, that table must go too, or the next
// GetBits would read it as one word per pixel.
TEST_F(MemoryImageTest, PurgeWithTextureDataDropsThePaletteAndItsNativeTable)
{
    mApp.AddDisplay()->mIs3D = true;
    MemoryImage image;
    const std::vector<uint8_t> indices(20 * 20, 1);
    MakePaletteForm(image, 20, 20, {0xFF000000, 0xFFFFFFFF}, indices);
    image.GetNativeAlphaData(nullptr);
    // An empty texture record: no renderer made a texture for it.
    Lumo::TextureData textureStandIn;
    image.mTextureData = &textureStandIn;
    image.PurgeBits();
    EXPECT_EQ(image.mColorTable, nullptr);
    EXPECT_EQ(image.mColorIndices, nullptr);
    EXPECT_EQ(image.mNativeAlphaData, nullptr);
    // Without a renderer the texture cannot be copied back: zeros.
    EXPECT_EQ(Pixels(image), std::vector<uint32_t>(400, 0U));
    image.mTextureData = nullptr;
}

TEST_F(MemoryImageTest, SetBitsOfTheSameSizeOnAPaletteImage)
{
    MemoryImage image;
    MakePaletteForm(image, 2, 2, {0xFF0000FF}, {0, 0, 0, 0});
    const std::vector<uint32_t> pixels = {1, 2, 3, 4};
    image.SetBits(pixels.data(), 2, 2, true);
    EXPECT_EQ(image.mColorTable, nullptr);
    EXPECT_EQ(image.mColorIndices, nullptr);
    EXPECT_EQ(Pixels(image), pixels);
}

TEST_F(MemoryImageTest, CreateOfAnotherSizeLeavesThePaletteForm)
{
    MemoryImage image;
    MakePaletteForm(image, 2, 2, {0xFF0000FF}, {0, 0, 0, 0});
    image.Create(30, 30);
    EXPECT_EQ(image.mColorTable, nullptr);
    EXPECT_EQ(Pixels(image), std::vector<uint32_t>(900, 0U));

    // The same size keeps it.
    MemoryImage same;
    MakePaletteForm(same, 2, 2, {0xFF0000FF}, {0, 0, 0, 0});
    same.Create(2, 2);
    EXPECT_EQ(Pixels(same), std::vector<uint32_t>(4, 0xFF0000FFU));
}

TEST_F(MemoryImageTest, CopyTakesEveryFormAndLeavesTheSourceAsItWas)
{
    MemoryImage source;
    source.SetBits(kMixed.data(), 4, 2, true);
    source.mNumRows = 2;
    source.mFilePath = "gfx\\a.png";
    source.mTextureFlags = 8;
    source.SetVolatile(true);
    source.GetRLAlphaData();
    source.PurgeBits();
    ASSERT_EQ(source.mBits, nullptr);

    MemoryImage copy(source);
    // The bits made for the copy are dropped in the source again.
    EXPECT_EQ(source.mBits, nullptr);
    EXPECT_NE(copy.mBits, nullptr);
    EXPECT_NE(copy.mNativeAlphaData.get(), source.mNativeAlphaData.get());
    EXPECT_EQ(Bytes(copy.mRLAlphaData.get(), 8), Bytes(source.mRLAlphaData.get(), 8));
    EXPECT_EQ(copy.mNumRows, 2);
    EXPECT_TRUE(copy.mFilePath.empty());
    EXPECT_EQ(copy.mTextureFlags, 8);
    EXPECT_TRUE(copy.mIsVolatile);
    EXPECT_TRUE(copy.mPurgeBits);
    EXPECT_EQ(copy.mBitsVersion, source.mBitsVersion);
    EXPECT_EQ(copy.mBits[8], MemoryImage::kBitsSentinel);
    EXPECT_EQ(Pixels(copy), Pixels(source));
}

TEST_F(MemoryImageTest, CopyOfAPaletteImageCopiesThePalette)
{
    MemoryImage source;
    MakePaletteForm(source, 2, 1, {0xFF000000, 0x80FF8000}, {1, 0});
    source.GetNativeAlphaData(nullptr);
    MemoryImage copy(source);
    EXPECT_EQ(copy.mBits, nullptr);
    ASSERT_NE(copy.mColorTable, nullptr);
    EXPECT_EQ(copy.mNativeAlphaData[1], 0x80804000U);
    EXPECT_EQ(Pixels(copy), (std::vector<uint32_t>{0x80FF8000, 0xFF000000}));
}

TEST_F(MemoryImageTest, ClipStretchRectsScalesTheSourceWithTheClip)
{
    TRect<double> src;
    TRect<int> dest;
    ASSERT_TRUE(MemoryImage::ClipStretchRects({0, 0, 100, 100}, {50, 50, 100, 100}, {0, 0, 200, 200}, src, dest));
    EXPECT_EQ(dest, TRect<int>(50, 50, 100, 100));
    EXPECT_EQ(src, TRect<double>(25, 25, 50, 50));

    // Clipping the right half: the plain source keeps its left half, the
    // mirrored one its right half.
    ASSERT_TRUE(MemoryImage::ClipStretchRects({10, 0, 100, 100}, {0, 0, 100, 200}, {0, 0, 200, 200}, src, dest));
    EXPECT_EQ(src, TRect<double>(10, 0, 50, 100));
    ASSERT_TRUE(
        MemoryImage::ClipStretchRectsMirror({10, 0, 100, 100}, {0, 0, 100, 200}, {0, 0, 200, 200}, src, dest));
    EXPECT_EQ(dest, TRect<int>(0, 0, 100, 200));
    EXPECT_EQ(src, TRect<double>(60, 0, 50, 100));

    EXPECT_FALSE(MemoryImage::ClipStretchRects({0, 0, 100, 100}, {300, 300, 10, 10}, {0, 0, 200, 200}, src, dest));
    EXPECT_FALSE(MemoryImage::ClipStretchRects({0, 0, 100, 100}, {0, 0, 10, 10}, {0, 0, 0, 200}, src, dest));
}

TEST_F(MemoryImageTest, RotatedBoundsTakeInTheFourCorners)
{
    TRect<double> bounds;
    const float ten = 10.0f;
    ASSERT_TRUE(MemoryImage::GetRotatedBounds(ten, ten, {5, 5, 20, 10}, {0, 0, 1000, 1000}, 0.0, bounds, 0, 0));
    EXPECT_EQ(bounds, TRect<double>(10, 10, 20, 10));

    // A quarter turn about the top-left corner: (20, 0) goes to (0, -20).
    const float zero = 0.0f;
    ASSERT_TRUE(MemoryImage::GetRotatedBounds(zero, zero, {0, 0, 20, 10}, {-100, -100, 1000, 1000}, M_PI / 2,
                                              bounds, 0, 0));
    EXPECT_NEAR(bounds.mX, 0.0, 1e-4);
    EXPECT_NEAR(bounds.mY, -20.0, 1e-4);
    EXPECT_NEAR(bounds.mWidth, 10.0, 1e-4);
    EXPECT_NEAR(bounds.mHeight, 20.0, 1e-4);

    // The clip cuts the bounds; outside it nothing is left.
    ASSERT_TRUE(MemoryImage::GetRotatedBounds(ten, ten, {0, 0, 20, 10}, {0, 0, 15, 15}, 0.0, bounds, 0, 0));
    EXPECT_EQ(bounds, TRect<double>(10, 10, 5, 5));
    EXPECT_FALSE(MemoryImage::GetRotatedBounds(ten, ten, {0, 0, 20, 10}, {100, 100, 5, 5}, 0.0, bounds, 0, 0));
}

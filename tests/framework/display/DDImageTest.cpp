// The surface image: ARGB to display pixels and back, surfaces with colour
// keys, counted locks, how bits and surface stay consistent, drawing onto
// an adopted surface, and the cached-image record.
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/Color.h"
#include "platform/video/DisplayResults.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using Lumo::DDImage;
using Lumo::DDInterface;
using Lumo::TRect;
using namespace Plat;

namespace {

class DDImageTest : public ::testing::Test {
protected:
    DDInterface& Display() { return *app.AddDisplay(); }
    // Starts a windowed display on a desktop of that depth.
    void Start(int bits, bool rgb555 = false)
    {
        host.desktopBits = bits;
        host.desktop555 = rgb555;
        ASSERT_EQ(Display().Init(DisplayTestWindow(), true), 0);
    }
    std::unique_ptr<DDImage> Image(const std::vector<uint32_t>& pixels, int width)
    {
        auto image = std::make_unique<DDImage>(&Display());
        image->SetBits(pixels.data(), width, static_cast<int>(pixels.size()) / width);
        return image;
    }

    TestDisplayHost host;
    TestApp app;
};

TEST_F(DDImageTest, PixelsToTheDisplayAndBack)
{
    struct Case {
        int bits;
        bool rgb555;
        uint32_t argb;
        uint32_t display;
        uint32_t readBack;
    };
    // Per channel ((argb >> (top - width)) << shift) AND mask; back
    // ((p >> shift) << (8 - width)) AND 0xFF, alpha 255, low bits not
    // replicated. 0x12 -> 5 bits 2; 0x34 -> 6 bits 13 (5 bits 6); 0x56 -> 10.
    const Case cases[] = {
        {16, false, 0xFFFFFFFF, 0xFFFF, 0xFFF8FCF8},
        {16, false, 0xFF123456, 0x11AA, 0xFF103450},
        {16, false, 0xFF000000, 0x0000, 0xFF000000},
        {16, true, 0xFFFFFFFF, 0x7FFF, 0xFFF8F8F8},
        {16, true, 0xFF123456, 0x08CA, 0xFF103050},
        {32, false, 0xFF123456, 0x123456, 0xFF123456},
        {32, false, 0xFFFFFFFF, 0xFFFFFF, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << (c.rgb555 ? " 555 " : " ") << std::hex << c.argb);
        Start(c.bits, c.rgb555);
        // Three rows, so that reading back must follow the padded pitch.
        auto image = Image({0xFF000000, c.argb, 0xFF000000, 0xFF000000, 0xFF000000, c.argb}, 2);
        ASSERT_TRUE(image->GenerateDDSurface());
        ASSERT_NE(image->mSurface, nullptr);
        EXPECT_FALSE(image->mSurface->HasColorKey());
        EXPECT_EQ(image->mSurface->ReadPixel(1, 0), c.display);
        EXPECT_EQ(image->mSurface->ReadPixel(1, 2), c.display);
        image->DeleteAllNonSurfaceData();
        const uint32_t* bits = image->GetBits();
        ASSERT_NE(bits, nullptr);
        EXPECT_EQ(bits[1], c.readBack);
        EXPECT_EQ(bits[5], c.readBack);
        EXPECT_EQ(bits[2], 0xFF000000U);
        EXPECT_EQ(bits[6], DDImage::kBitsSentinel);
    }
}

TEST_F(DDImageTest, ColourKeys)
{
    struct Case {
        const char* name;
        int bits;
        std::vector<uint32_t> pixels;
        uint32_t key;
    };
    const Case cases[] = {
        // The first non-opaque pixel's display value, when no opaque pixel shows it.
        {"565 free candidate", 16, {0x00000000, 0xFFFF0000, 0xFF00FF00}, 0x0000},
        // Transparent white converts like opaque white (0xFFFF): the lowest
        // value no visible pixel shows is 0.
        {"565 taken candidate", 16, {0x00FFFFFF, 0xFFFFFFFF}, 0x0000},
        // Visible 0 (black) and 1 (blue 8 -> 5 bits 1): the key is 2.
        {"565 lowest free", 16, {0x00000000, 0xFF000000, 0xFF000008}, 0x0002},
        // 32 bits: the candidate is the ARGB word itself.
        {"32 free candidate", 32, {0x00FF00FF, 0xFF00FF00}, 0x00FF00FF},
        {"32 taken candidate", 32, {0x00123456, 0xFF123456}, 0x000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.bits);
        auto image = Image(c.pixels, static_cast<int>(c.pixels.size()));
        ASSERT_TRUE(image->mHasTrans);
        ASSERT_TRUE(image->GenerateDDSurface());
        DisplayColorKey key;
        ASSERT_EQ(image->mSurface->GetColorKey(kDdckeySrcBlt, &key), DD_OK);
        EXPECT_EQ(key.low, c.key);
        EXPECT_EQ(key.high, c.key);
        EXPECT_EQ(image->mSurface->ReadPixel(0, 0), c.key);
        for (size_t i = 0; i < c.pixels.size(); ++i) {
            if ((c.pixels[i] >> 24) == 255) {
                EXPECT_NE(image->mSurface->ReadPixel(static_cast<int>(i), 0), c.key) << i;
            }
        }
    }

    // A partly transparent pixel: no surface at all.
    Start(16);
    auto blended = Image({0xFF000000, 0x80FFFFFF}, 2);
    EXPECT_FALSE(blended->GenerateDDSurface());
    EXPECT_EQ(blended->mSurface, nullptr);
    EXPECT_EQ(blended->GetSurface(), nullptr);
}

TEST_F(DDImageTest, NoFreeKeyMakesNoSurface)
{
    // Every one of the 65536 16-bit values shown by an opaque pixel, and a
    // transparent one: no value is left for the key.
    Start(16);
    std::vector<uint32_t> pixels(257 * 256, 0x00000000);
    for (uint32_t v = 0; v < 65536; ++v) {
        const uint32_t r = (v >> 11) << 3;
        const uint32_t g = ((v >> 5) & 63) << 2;
        const uint32_t b = (v & 31) << 3;
        pixels[v] = 0xFF000000 | r << 16 | g << 8 | b;
    }
    auto image = Image(pixels, 257);
    EXPECT_FALSE(image->GenerateDDSurface());
    EXPECT_EQ(image->mSurface, nullptr);
    // The picture is still there.
    ASSERT_NE(image->GetBits(), nullptr);
    EXPECT_EQ(image->GetBits()[65535], 0xFFF8FCF8U);
}

TEST_F(DDImageTest, CountedLocks)
{
    Start(32);
    DDImage* screen = Display().GetScreenImage();
    ASSERT_TRUE(screen->LockSurface());
    ASSERT_TRUE(screen->LockSurface());
    EXPECT_EQ(screen->mLockCount, 2);
    EXPECT_TRUE(screen->mSurface->IsLocked());
    EXPECT_EQ(screen->mLockedSurfaceDesc.size, kSurfaceDescSize);
    EXPECT_EQ(screen->mLockedSurfaceDesc.pitch, screen->mSurface->Pitch());
    EXPECT_TRUE(screen->UnlockSurface());
    EXPECT_TRUE(screen->mSurface->IsLocked()); // the inner unlock keeps it
    EXPECT_TRUE(screen->UnlockSurface());
    EXPECT_FALSE(screen->mSurface->IsLocked());
    EXPECT_FALSE(screen->UnlockSurface()); // nothing left to unlock
    EXPECT_EQ(screen->mLockCount, 0);

    // While 3-D draws onto the draw surface it cannot be locked.
    Display().mIs3D = true;
    EXPECT_FALSE(screen->LockSurface());
    Display().mIs3D = false;

    // A failing lock leaves the count alone.
    host.InjectFault(DisplayCall::Lock, 1, DDERR_SURFACEBUSY);
    EXPECT_FALSE(screen->LockSurface());
    EXPECT_EQ(screen->mLockCount, 0);
}

TEST_F(DDImageTest, BitsAndSurfaceStayConsistent)
{
    Start(32);
    auto image = Image({0xFF112233, 0xFF445566}, 2);
    ASSERT_NE(image->GetSurface(), nullptr);
    EXPECT_TRUE(image->mWantDDSurface);

    // Changing the bits drops the surface without copying it back.
    const int version = image->mBitsVersion;
    image->BitsChanged();
    EXPECT_EQ(image->mSurface, nullptr);
    EXPECT_EQ(image->mBitsVersion, version + 1);

    // Dropping the surface reads the pixels back when nothing else holds them.
    ASSERT_TRUE(image->GenerateDDSurface());
    image->DeleteAllNonSurfaceData();
    image->DeleteDDSurface();
    EXPECT_EQ(image->mSurface, nullptr);
    ASSERT_NE(image->mBits, nullptr);
    EXPECT_EQ(image->mBits[1], 0xFF445566U);

    // Another memory: the surface goes and comes back in video memory.
    ASSERT_TRUE(image->GenerateDDSurface());
    image->SetVideoMemory(true);
    EXPECT_EQ(image->mSurface, nullptr);
    ASSERT_TRUE(image->GenerateDDSurface());
    EXPECT_NE(image->mSurface->Caps() & kDdscapsVideoMemory, 0U);

    // Purging keeps the surface as the only copy.
    image->PurgeBits();
    EXPECT_NE(image->mSurface, nullptr);
    EXPECT_EQ(image->mBits, nullptr);
    EXPECT_TRUE(image->mPurgeBits);
    EXPECT_EQ(image->GetBits()[0], 0xFF112233U);

    // The palette form replaces the surface.
    EXPECT_TRUE(image->Palletize());
    EXPECT_EQ(image->mSurface, nullptr);
    EXPECT_NE(image->mColorTable, nullptr);

    // Re-initialisation makes what the image wants again.
    image->ReInit();
    EXPECT_NE(image->mSurface, nullptr);

    // The drawing buffers go with the surface; the picture stays.
    image->DeleteNativeData();
    EXPECT_EQ(image->mSurface, nullptr);
    image->GenerateDDSurface();
    image->DeleteExtraBuffers();
    EXPECT_EQ(image->mSurface, nullptr);
    EXPECT_EQ(image->GetBits()[1], 0xFF445566U);

    // Create: new size, no bits, no surface.
    image->GenerateDDSurface();
    image->Create(3, 4);
    EXPECT_EQ(image->mSurface, nullptr);
    EXPECT_EQ(image->mBits, nullptr);
    EXPECT_EQ(image->GetWidth(), 3);
    EXPECT_EQ(image->mColorTable, nullptr);
}

TEST_F(DDImageTest, AdoptedSurfacesAreLeftAlone)
{
    Start(32);
    DDImage* screen = Display().GetScreenImage();
    Plat::DisplaySurface* surface = screen->mSurface;
    EXPECT_TRUE(screen->mSurfaceSet);
    screen->PurgeBits();
    screen->DeleteNativeData();
    screen->DeleteExtraBuffers();
    EXPECT_EQ(screen->mSurface, surface);
    EXPECT_FALSE(screen->mPurgeBits);
}

TEST_F(DDImageTest, DrawingOnTheScreenReachesItsSurface)
{
    Start(16);
    DDImage* screen = Display().GetScreenImage();
    screen->FillRect(TRect<int>(10, 20, 2, 1), Lumo::Color(255, 0, 0, 255), 0);
    EXPECT_EQ(Display().mDrawSurface->ReadPixel(10, 20), 0xF800U);
    EXPECT_EQ(Display().mDrawSurface->ReadPixel(11, 20), 0xF800U);
    EXPECT_EQ(Display().mDrawSurface->ReadPixel(12, 20), 0U);
    EXPECT_EQ(Display().mDrawSurface->ReadPixel(10, 21), 0U);
    EXPECT_EQ(screen->mSurface, Display().mDrawSurface);
    EXPECT_EQ(screen->mBits, nullptr); // the surface holds the one copy
    EXPECT_TRUE(Display().mDrawSurface->PaddingIntact());

    // A picture with a transparent pixel drawn onto it.
    auto sprite = Image({0xFF0000FF, 0x00000000}, 2);
    screen->Blt(sprite.get(), 10, 20, TRect<int>(0, 0, 2, 1), Lumo::Color(255, 255, 255, 255), 0);
    EXPECT_EQ(Display().mDrawSurface->ReadPixel(10, 20), 0x001FU);
    EXPECT_EQ(Display().mDrawSurface->ReadPixel(11, 20), 0xF800U);

    // With video-only draw the screen cannot be read: nothing is drawn.
    Display().SetVideoOnlyDraw(true);
    screen = Display().GetScreenImage();
    screen->FillRect(TRect<int>(0, 0, 4, 4), Lumo::Color(255, 255, 255, 255), 0);
    EXPECT_EQ(Display().mSecondarySurface->ReadPixel(0, 0), 0U);
}

TEST_F(DDImageTest, ImagesOutliveTheirDisplay)
{
    auto display = std::make_unique<DDInterface>(&app);
    auto image = std::make_unique<DDImage>(display.get());
    EXPECT_EQ(display->mDDImageSet.count(image.get()), 1U);
    display.reset();
    EXPECT_EQ(image->mDDInterface, nullptr);
    image.reset(); // no use of the display that is gone
}

TEST_F(DDImageTest, CacheRecordSizes)
{
    Start(32);
    std::vector<uint32_t> pixels(100, 0xFF000000);
    pixels[7] = 0xFFFFFFFF;
    auto argb = Image(pixels, 10);
    EXPECT_EQ(argb->CacheRecordSize(), 427U); // 12 + 4 x 100 + 15
    auto palette = Image(pixels, 10);
    ASSERT_TRUE(palette->Palletize());
    EXPECT_EQ(palette->CacheRecordSize(), 1151U); // 12 + 1024 + 100 + 15
}

TEST_F(DDImageTest, CacheRecordRoundTrip)
{
    Start(32);
    for (bool usePalette : {false, true}) {
        SCOPED_TRACE(usePalette);
        auto image = Image({0xFF102030, 0x00000000, 0xFF102030, 0xFFABCDEF, 0xFF102030, 0xFF000000}, 3);
        image->mTextureFlags = 4;
        image->mNumCols = 3;
        image->mNumRows = 2;
        image->mIsVolatile = true;
        if (usePalette) {
            ASSERT_TRUE(image->Palletize());
        }
        std::vector<uint8_t> record(image->CacheRecordSize());
        image->WriteCacheRecord(record.data());

        // Header: width 3, height 2, texture flags in the high half, bit 0
        // for the palette form; little-endian.
        const uint8_t header[12] = {3, 0, 0, 0, 2, 0, 0, 0, static_cast<uint8_t>(usePalette ? 1 : 0), 0, 4, 0};
        EXPECT_EQ(std::memcmp(record.data(), header, 12), 0);
        // Trailer: columns, rows, then forced, trans, alpha, volatile, purge,
        // want-palette, changed.
        const uint8_t* trailer = record.data() + record.size() - 15;
        EXPECT_EQ(trailer[0], 3);
        EXPECT_EQ(trailer[4], 2);
        EXPECT_EQ(trailer[8 + 1], 1); // has transparency
        EXPECT_EQ(trailer[8 + 2], 0);
        EXPECT_EQ(trailer[8 + 3], 1); // volatile
        EXPECT_EQ(trailer[8 + 5], usePalette ? 1 : 0);

        std::unique_ptr<DDImage> back(DDImage::ReadCacheRecord(&Display(), record.data(), record.size()));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->GetWidth(), 3);
        EXPECT_EQ(back->GetHeight(), 2);
        EXPECT_EQ(back->mTextureFlags, 4);
        EXPECT_EQ(back->mNumCols, 3);
        EXPECT_EQ(back->mNumRows, 2);
        EXPECT_TRUE(back->mHasTrans);
        EXPECT_TRUE(back->mIsVolatile);
        EXPECT_EQ(back->mColorTable != nullptr, usePalette);
        EXPECT_EQ(back->mSurface, nullptr);
        const uint32_t* bits = back->GetBits();
        const uint32_t* original = image->GetBits();
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(bits[i], original[i]) << i;
        }
        EXPECT_EQ(bits[6], DDImage::kBitsSentinel);
    }
}

TEST_F(DDImageTest, DamagedCacheRecordsAreRefused)
{
    Start(32);
    auto image = Image({0xFF102030, 0xFF405060}, 2);
    std::vector<uint8_t> record(image->CacheRecordSize());
    image->WriteCacheRecord(record.data());
    ASSERT_EQ(record.size(), 12U + 8U + 15U);

    struct Case {
        const char* name;
        size_t size;
        int32_t width, height;
    };
    const Case cases[] = {
        {"one byte short", record.size() - 1, 2, 1},
        {"one byte long", record.size() + 1, 2, 1},
        {"claims more pixels", record.size(), 3, 1},
        {"huge", record.size(), 0x7FFFFFFF, 0x7FFFFFFF},
        {"negative", record.size(), -2, -1},
        {"shorter than a header", 11, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> damaged = record;
        damaged.resize(std::max<size_t>(c.size, 12));
        std::memcpy(damaged.data(), &c.width, 4);
        std::memcpy(damaged.data() + 4, &c.height, 4);
        EXPECT_EQ(DDImage::ReadCacheRecord(&Display(), damaged.data(), c.size), nullptr);
    }
    EXPECT_EQ(DDImage::ReadCacheRecord(&Display(), nullptr, 0), nullptr);

    // No cache process: nothing is written or read, nothing fails.
    image->WriteToCache("gfx\\button", "GetImage");
    EXPECT_EQ(DDImage::ReadFromCache("gfx\\button", "GetImage"), nullptr);
}

TEST_F(DDImageTest, CacheFileNames)
{
    const std::pair<const char*, const char*> cases[] = {
        {"gfx\\button", "gfx\\button.*\ngfx\\button_.*\ngfx\\_button.*"},
        {"gfx/sub\\button", "gfx/sub\\button.*\ngfx/sub\\button_.*\ngfx/sub\\_button.*"},
        {"gfx\\sub/button", "gfx\\sub/button.*\ngfx\\sub/button_.*\ngfx\\sub/_button.*"},
        {"button", "button.*\nbutton_.*\n_button.*"},
        {"gfx\\button.png", "gfx\\button.png"},
        {"my.gfx\\button", "my.gfx\\button"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DDImage::CacheFileNames(c.first), c.second);
    }
}

} // namespace

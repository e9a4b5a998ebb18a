// The rasterizer never writes outside the clip rectangle: random triangles
// (slivers, vertices on and beyond the bounds, far away, not numbers) drawn
// in every format into a buffer whose words around the clip rectangle are
// guards. Every non-null table entry is also called directly with vertices
// anywhere inside the rectangle.
#include "framework/rasterizer/TriangleRasterizer.h"

#include "framework/graphics/MemoryImage.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <vector>

using Lumo::Color;
using Lumo::MemoryImage;
using Lumo::TRect;
using namespace Lumo::TriangleRasterizer;

namespace {

constexpr int kWidth = 37;
constexpr int kHeight = 29;
const TRect<int> kClip(6, 5, 23, 17);
constexpr int kTrianglesPerFormat = 20000;

// A destination of kWidth x kHeight pixels, each outside the clip rectangle a
// guard word that must survive.
template <class Pixel>
class GuardedCanvas {
public:
    GuardedCanvas() : mPixels(size_t(kWidth) * kHeight)
    {
        for (size_t i = 0; i < mPixels.size(); ++i) {
            mPixels[i] = static_cast<Pixel>(0x9E3779B9u * uint32_t(i + 1));
        }
    }

    uint8_t* Bits() { return reinterpret_cast<uint8_t*>(mPixels.data()); }
    int Pitch() const { return kWidth * int(sizeof(Pixel)); }

    // The first guard that changed, or -1.
    int FirstBrokenGuard() const
    {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const bool inside = x >= kClip.mX && x < kClip.mX + kClip.mWidth && y >= kClip.mY
                    && y < kClip.mY + kClip.mHeight;
                const size_t i = size_t(y) * kWidth + size_t(x);
                if (!inside && mPixels[i] != static_cast<Pixel>(0x9E3779B9u * uint32_t(i + 1))) {
                    return int(i);
                }
            }
        }
        return -1;
    }

private:
    std::vector<Pixel> mPixels;
};

class RasterizerGuardTest : public testing::Test {
protected:
    void SetUp() override
    {
        InitSpanFunctions();
        mRandom.seed(20240611);
        // Opaque, translucent and transparent texels, a size that is no power of two.
        std::vector<uint32_t> texels(5 * 3);
        for (size_t i = 0; i < texels.size(); ++i) {
            texels[i] = 0xFF000000u | uint32_t(i * 0x111111);
        }
        mTextures.push_back(MakeTexture(texels, 5, 3));
        texels[4] = 0x80FF8040;
        texels[7] = 0x00FFFFFF;
        mTextures.push_back(MakeTexture(texels, 5, 3));
        mTextures.push_back(MakeTexture({0x40FFFFFF}, 1, 1));
        for (const auto& texture : mTextures) {
            TextureInfo info = {};
            info.mBits = texture->GetBits();
            info.mWidth = texture->GetWidth();
            info.mHeight = texture->GetHeight();
            info.mSize = info.mWidth * info.mHeight;
            mTextureInfos.push_back(info);
        }
    }

    std::unique_ptr<MemoryImage> MakeTexture(const std::vector<uint32_t>& texels, int width, int height)
    {
        auto image = std::make_unique<MemoryImage>(&mApp);
        image->SetBits(texels.data(), width, height, true);
        return image;
    }

    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(mRandom); }
    float Real(float low, float high) { return std::uniform_real_distribution<float>(low, high)(mRandom); }

    // A coordinate of one of several kinds: anywhere near the rectangle, on a
    // bound, a hair off a bound, far away, or not a number.
    float Coordinate(float low, float high)
    {
        switch (Int(0, 9)) {
        case 0:
            return Int(0, 1) == 0 ? low : high;
        case 1:
            return std::nextafter(Int(0, 1) == 0 ? low : high, Int(0, 1) == 0 ? -1e9f : 1e9f);
        case 2:
            return Real(-1e7f, 1e7f);
        case 3:
            return Int(0, 20) == 0 ? std::numeric_limits<float>::quiet_NaN()
                                   : (Int(0, 1) == 0 ? 3e38f : -std::numeric_limits<float>::infinity());
        default:
            return Real(low - 8.0f, high + 8.0f);
        }
    }

    ClipVertex RandomClipVertex()
    {
        ClipVertex v;
        v.mX = Coordinate(float(kClip.mX), float(kClip.mX + kClip.mWidth));
        v.mY = Coordinate(float(kClip.mY), float(kClip.mY + kClip.mHeight));
        v.mU = Real(-0.5f, 1.5f);
        v.mV = Int(0, 30) == 0 ? 1e30f : Real(-0.5f, 1.5f);
        v.mColor = uint32_t(mRandom());
        return v;
    }

    // Through the entry, with every kind of flags.
    template <class Pixel>
    void DrawThroughEntry(GuardedCanvas<Pixel>& canvas, int pixelFormat, int triangles)
    {
        for (int t = 0; t < triangles; ++t) {
            ClipVertex v[5];
            v[0] = RandomClipVertex();
            const int sliver = Int(0, 3);
            for (int i = 1; i < 5; ++i) {
                // Slivers: every vertex a hair from the same row or column.
                v[i] = RandomClipVertex();
                if (sliver == 0) {
                    v[i].mY = v[0].mY + float(Int(-3, 3)) * 2e-5f;
                } else if (sliver == 1) {
                    v[i].mX = v[0].mX + float(Int(-3, 3)) * 2e-5f;
                }
            }
            MemoryImage* texture = Int(0, 2) == 0 ? nullptr : mTextures[size_t(Int(0, 2))].get();
            const Color color = Int(0, 2) == 0 ? Color::White
                                               : Color(Int(-5, 300), Int(0, 255), Int(0, 255), Int(-5, 300));
            DrawTriangles(v, Int(3, 5), texture, color, 0, kClip, canvas.Bits(), canvas.Pitch(), pixelFormat,
                          Int(0, 1) == 1, Int(0, 3) != 0);
            if (t % 64 == 0) {
                ASSERT_EQ(canvas.FirstBrokenGuard(), -1) << "format " << std::hex << pixelFormat << " triangle " << t;
            }
        }
        ASSERT_EQ(canvas.FirstBrokenGuard(), -1) << "format " << std::hex << pixelFormat;
    }

    int32_t FixedIn(int low, int high)
    {
        const int64_t lo = int64_t(low) << 16;
        const int64_t hi = int64_t(high) << 16;
        switch (Int(0, 4)) {
        case 0:
            return int32_t(Int(0, 1) == 0 ? lo : hi);
        case 1:
            return int32_t(Int(0, 1) == 0 ? lo + Int(0, 3) : hi - Int(0, 3));
        default:
            return int32_t(std::uniform_int_distribution<int64_t>(lo, hi)(mRandom));
        }
    }

    // Any 16.16 attribute: mostly in range, sometimes just below 0 or wild.
    int32_t Attribute()
    {
        switch (Int(0, 5)) {
        case 0:
            return -Int(1, 3);
        case 1:
            return int32_t(mRandom());
        default:
            return Int(0, 255) << 16 | Int(0, 0xFFFF);
        }
    }

    // Three vertices inside the clip rectangle: anywhere, or a sliver far
    // thinner than a pixel one way and long the other, or a needle whose
    // middle vertex lies a few units off the long edge.
    void RandomSpanTriangle(SpanVertex (&v)[3])
    {
        const int left = kClip.mX, right = kClip.mX + kClip.mWidth;
        const int top = kClip.mY, bottom = kClip.mY + kClip.mHeight;
        for (SpanVertex& s : v) {
            s.mX = FixedIn(left, right);
            s.mY = FixedIn(top, bottom);
        }
        auto nearTo = [this](int32_t base, int low, int high, int spread) {
            const int64_t value = int64_t(base) + Int(-spread, spread);
            return int32_t(std::clamp<int64_t>(value, int64_t(low) << 16, int64_t(high) << 16));
        };
        const int spread = Int(0, 3) == 0 ? 3 : Int(4, 200);
        switch (Int(0, 3)) {
        case 0: { // flat, across a row boundary
            const int32_t y = Int(top, bottom) << 16;
            for (SpanVertex& s : v) {
                s.mY = nearTo(y, top, bottom, spread);
            }
            break;
        }
        case 1: { // upright, across a column boundary
            const int32_t x = Int(left, right) << 16;
            for (SpanVertex& s : v) {
                s.mX = nearTo(x, left, right, spread);
            }
            break;
        }
        case 2: { // needle
            const double f = Real(0.0f, 1.0f);
            v[1].mX = nearTo(int32_t(v[0].mX + (v[2].mX - v[0].mX) * f), left, right, spread);
            v[1].mY = nearTo(int32_t(v[0].mY + (v[2].mY - v[0].mY) * f), top, bottom, spread);
            break;
        }
        default:
            break;
        }
        for (SpanVertex& s : v) {
            s.mA = Attribute();
            s.mR = Attribute();
            s.mG = Attribute();
            s.mB = Attribute();
            s.mU = Int(0, 4) == 0 ? int32_t(mRandom()) : Int(-2 << 16, 7 << 16);
            s.mV = Int(0, 4) == 0 ? int32_t(mRandom()) : Int(-2 << 16, 5 << 16);
        }
    }

    // Every non-null entry of the format's group, called directly with
    // vertices anywhere inside the clip rectangle.
    template <class Pixel>
    void DrawThroughTable(GuardedCanvas<Pixel>& canvas, int group, int triangles)
    {
        std::vector<int> entries;
        for (int i = 0; i < kSpanGroupSize; ++i) {
            if (gSpanFunctions[group * kSpanGroupSize + i] != nullptr) {
                entries.push_back(group * kSpanGroupSize + i);
            }
        }
        ASSERT_FALSE(entries.empty());
        for (int t = 0; t < triangles; ++t) {
            SpanVertex v[3];
            RandomSpanTriangle(v);
            const SpanColor color = {Int(0, 255), Int(0, 255), Int(0, 255), Int(0, 255)};
            const TextureInfo& texture = mTextureInfos[size_t(Int(0, 2))];
            const int entry = entries[size_t(t) % entries.size()];
            gSpanFunctions[entry](v, canvas.Bits(), canvas.Pitch(), &texture, &color);
            if (t % 64 == 0) {
                ASSERT_EQ(canvas.FirstBrokenGuard(), -1) << "entry " << entry << " triangle " << t;
            }
        }
        ASSERT_EQ(canvas.FirstBrokenGuard(), -1) << "group " << group;
    }

    TestApp mApp;
    std::mt19937 mRandom;
    std::vector<std::unique_ptr<MemoryImage>> mTextures;
    std::vector<TextureInfo> mTextureInfos;
};

TEST_F(RasterizerGuardTest, Format8888)
{
    GuardedCanvas<uint32_t> canvas;
    DrawThroughEntry(canvas, kPixelFormat8888, kTrianglesPerFormat / 2);
    DrawThroughTable(canvas, 0, kTrianglesPerFormat / 2);
}

TEST_F(RasterizerGuardTest, Format888)
{
    GuardedCanvas<uint32_t> canvas;
    DrawThroughEntry(canvas, kPixelFormat888, kTrianglesPerFormat / 2);
    DrawThroughTable(canvas, 1, kTrianglesPerFormat / 2);
}

TEST_F(RasterizerGuardTest, Format565)
{
    GuardedCanvas<uint16_t> canvas;
    DrawThroughEntry(canvas, kPixelFormat565, kTrianglesPerFormat / 2);
    DrawThroughTable(canvas, 2, kTrianglesPerFormat / 2);
}

TEST_F(RasterizerGuardTest, Format555)
{
    GuardedCanvas<uint16_t> canvas;
    DrawThroughEntry(canvas, kPixelFormat555, kTrianglesPerFormat / 2);
    DrawThroughTable(canvas, 3, kTrianglesPerFormat / 2);
}

} // namespace

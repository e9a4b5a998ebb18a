// The unscaled blits of the memory image: hand-worked pixel tables for each
// kernel, every alpha pair against a plain per-channel model, widths that end
// in the vector loops' tails, the four source forms, and the call frame
// (drawn flag, bits version, modes, clipping, self-blits).
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PixelBlend.h"
#include "framework/graphics/PixelBlendAvx2.h"

#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace Lumo {
namespace {

using Pixels = std::vector<uint32_t>;

// ---- The model: each formula written out channel by channel. ----

int Channel(uint32_t p, int shift)
{
    return int((p >> shift) & 0xFF);
}

uint32_t Pack(int a, int r, int g, int b)
{
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

// White onto a destination without alpha or transparency flags: by the
// source pixel's alpha class.
uint32_t ModelRuns(uint32_t dst, uint32_t src)
{
    const int a = Channel(src, 24);
    if (a == 0) {
        return dst;
    }
    if (a == 255) {
        return src;
    }
    int out[3];
    for (int i = 0; i < 3; ++i) {
        const int shift = 16 - 8 * i;
        out[i] = (Channel(dst, shift) * (256 - a)) / 256 + (Channel(src, shift) * a) / 256;
    }
    return Pack(255, out[0], out[1], out[2]);
}

// Every other normal blit: white, grey and other colours.
uint32_t ModelOver(uint32_t dst, uint32_t src, const Color& color)
{
    const bool white = color == Color::White;
    int a = Channel(src, 24);
    if (!white) {
        a = a * color.mAlpha / 255;
    }
    if (a == 0) {
        return dst;
    }
    const int d = Channel(dst, 24);
    const int newAlpha = d + ((255 - d) * a) / 255;
    const int w = (a * 255) / newAlpha;
    const int multiplier[3] = {color.mRed, color.mGreen, color.mBlue};
    int out[3];
    for (int i = 0; i < 3; ++i) {
        const int shift = 16 - 8 * i;
        int s = Channel(src, shift);
        if (!white) {
            s = (s * multiplier[i]) / 256;
        }
        out[i] = (s * w + Channel(dst, shift) * (256 - w)) / 256;
    }
    return Pack(newAlpha, out[0], out[1], out[2]);
}

uint32_t ModelAdd(uint32_t dst, uint32_t src, const Color& color, bool sourceHasAlpha)
{
    const bool white = color == Color::White;
    const int a = Channel(src, 24);
    const int multiplier[3] = {color.mRed, color.mGreen, color.mBlue};
    int out[3];
    for (int i = 0; i < 3; ++i) {
        const int shift = 16 - 8 * i;
        int term = Channel(src, shift);
        if (!white) {
            term = (term * ((multiplier[i] * color.mAlpha) / 255)) / 256;
        }
        if (sourceHasAlpha) {
            term = (term * a) / 256;
        }
        out[i] = std::min(Channel(dst, shift) + term, 255);
    }
    return Pack(Channel(dst, 24), out[0], out[1], out[2]);
}

// What a blit of the model gives: the destination pixels after drawing the
// (already inside both images) rectangle of the source at (x, y).
Pixels ModelBlit(const Pixels& dst, int dstWidth, const Pixels& src, int srcWidth, int x, int y,
                 const TRect<int>& rect, const Color& color, int mode, bool runPath, bool sourceHasAlpha)
{
    Pixels out = dst;
    for (int j = 0; j < rect.mHeight; ++j) {
        for (int i = 0; i < rect.mWidth; ++i) {
            const uint32_t s = src[size_t(rect.mY + j) * size_t(srcWidth) + size_t(rect.mX + i)];
            uint32_t& d = out[size_t(y + j) * size_t(dstWidth) + size_t(x + i)];
            if (mode == 1) {
                d = ModelAdd(d, s, color, sourceHasAlpha);
            } else {
                d = runPath ? ModelRuns(d, s) : ModelOver(d, s, color);
            }
        }
    }
    return out;
}

Pixels BitsOf(MemoryImage& image)
{
    const uint32_t* bits = image.GetBits();
    return Pixels(bits, bits + image.PixelCount());
}

// An image that records the rotated blit it is asked for.
class RecordingImage : public MemoryImage {
public:
    void BltRotated(Image* image, float x, float y, const TRect<int>& srcRect, const TRect<int>& clipRect,
                    const Color& color, int drawMode, double angle, float centerX, float centerY) override
    {
        ++calls;
        lastImage = image;
        lastX = x;
        lastY = y;
        lastSrc = srcRect;
        lastClip = clipRect;
        lastColor = color;
        lastMode = drawMode;
        lastAngle = angle;
        lastCenterX = centerX;
        lastCenterY = centerY;
    }

    int calls = 0;
    Image* lastImage = nullptr;
    float lastX = 0;
    float lastY = 0;
    TRect<int> lastSrc;
    TRect<int> lastClip;
    Color lastColor;
    int lastMode = -1;
    double lastAngle = -1;
    float lastCenterX = -1;
    float lastCenterY = -1;
};

class MemoryImageBlitsTest : public ::testing::Test {
protected:
    std::unique_ptr<MemoryImage> Make(int width, int height, const Pixels& pixels)
    {
        auto image = std::make_unique<MemoryImage>();
        image->SetBits(pixels.data(), width, height, true);
        return image;
    }

    // A row of n copies of one word: two vector blocks and a tail for n = 9.
    std::unique_ptr<MemoryImage> Row(uint32_t pixel, int n = 9) { return Make(n, 1, Pixels(size_t(n), pixel)); }

    TestApp app;
};

constexpr uint32_t kSrcColor = 0x00C86432; // r 200, g 100, b 50
constexpr uint32_t kDstColor = 0x003C78B4; // r 60, g 120, b 180

// ---- Hand-worked tables. ----

// White onto an opaque destination (no alpha or transparency flag), by runs:
// out = (dest * (256 - a)) / 256 + (src * a) / 256, alpha 255.
TEST_F(MemoryImageBlitsTest, RunPathTable)
{
    struct Case {
        uint32_t alpha;
        uint32_t expected;
    };
    const Case cases[] = {
        {0x00, 0xFF3C78B4}, // alpha 0: skipped
        {0x01, 0xFF3B77B3}, // r 59+0 g 119+0 b 179+0
        {0x08, 0xFF4077AF}, // r 58+6 g 116+3 b 174+1
        {0x09, 0xFF4076AE}, // r 57+7 g 115+3 b 173+1
        {0xEF, 0xFFBD6439}, // r 3+186 g 7+93 b 11+46
        {0xF0, 0xFFBE6439}, // r 3+187 g 7+93 b 11+46
        {0xFA, 0xFFC46334}, // r 1+195 g 2+97 b 4+48
        {0xFB, 0xFFC56434}, // r 1+196 g 2+98 b 3+49
        {0xFE, 0xFFC66332}, // r 0+198 g 0+99 b 1+49
        {0xFF, 0xFFC86432}, // alpha 255: copied
    };
    for (const Case& c : cases) {
        auto dst = Row(0xFF000000 | kDstColor);
        ASSERT_FALSE(dst->mHasAlpha || dst->mHasTrans);
        auto src = Row(c.alpha << 24 | kSrcColor);
        dst->Blt(src.get(), 0, 0, TRect<int>(0, 0, 9, 1), Color::White, 0);
        EXPECT_EQ(BitsOf(*dst), Pixels(9, c.expected)) << "alpha " << c.alpha;
    }
}

// White onto a destination with alpha d: A = d + ((255 - d) * a) / 255,
// w = (a * 255) / A, out = (dest * (256 - w) + src * w) / 256, alpha A.
TEST_F(MemoryImageBlitsTest, WhiteOverTable)
{
    struct Case {
        uint32_t alpha;
        uint32_t destAlpha;
        uint32_t expected;
    };
    const Case cases[] = {
        {0x00, 0x00, 0x003C78B4}, // alpha 0: skipped
        {0x01, 0x00, 0x01C76432}, // A=1 w=255: r (60*1+200*255)/256=199
        {0x08, 0x00, 0x08C76432}, // A=8 w=255
        {0x09, 0x00, 0x09C76432}, // A=9 w=255
        {0xEF, 0x00, 0xEFC76432}, // A=239 w=255
        {0xF0, 0x00, 0xF0C76432}, // A=240 w=255
        {0xFA, 0x00, 0xFAC76432}, // A=250 w=255
        {0xFB, 0x00, 0xFBC76432}, // A=251 w=255
        {0xFE, 0x00, 0xFEC76432}, // A=254 w=255
        {0xFF, 0x00, 0xFFC76432}, // A=255 w=255
        {0x00, 0xFF, 0xFF3C78B4}, // alpha 0: skipped
        {0x01, 0xFF, 0xFF3C77B3}, // A=255 w=1: r (60*255+200)/256=60
        {0x08, 0xFF, 0xFF4077AF}, // A=255 w=8
        {0x09, 0xFF, 0xFF4077AF}, // A=255 w=9
        {0xEF, 0xFF, 0xFFBE653A}, // A=255 w=239
        {0xF0, 0xFF, 0xFFBF653A}, // A=255 w=240
        {0xFA, 0xFF, 0xFFC46435}, // A=255 w=250
        {0xFB, 0xFF, 0xFFC56434}, // A=255 w=251
        {0xFE, 0xFF, 0xFFC66433}, // A=255 w=254
        {0xFF, 0xFF, 0xFFC76432}, // A=255 w=255: r (60+200*255)/256=199, not a copy
        {0x01, 0x80, 0x803C77B3}, // A=128+127/255=128 w=255/128=1
        {0x08, 0x80, 0x834476AC}, // A=128+1016/255=131 w=2040/131=15
        {0x09, 0x80, 0x844576AB}, // A=128+1143/255=132 w=2295/132=17
        {0xEF, 0x80, 0xF7C26437}, // A=128+30353/255=247 w=60945/247=246
        {0xF0, 0x80, 0xF7C36436}, // A=128+30480/255=247 w=61200/247=247
        {0xFA, 0x80, 0xFCC56434}, // A=128+31750/255=252 w=63750/252=252
        {0xFB, 0x80, 0xFDC56434}, // A=128+31877/255=253 w=64005/253=252
        {0xFE, 0x80, 0xFEC76432}, // A=128+32258/255=254 w=64770/254=255
        {0xFF, 0x80, 0xFFC76432}, // A=255 w=255
    };
    for (const Case& c : cases) {
        auto dst = Row(c.destAlpha << 24 | kDstColor);
        dst->SetImageMode(true, true);
        auto src = Row(c.alpha << 24 | kSrcColor);
        dst->Blt(src.get(), 0, 0, TRect<int>(0, 0, 9, 1), Color::White, 0);
        EXPECT_EQ(BitsOf(*dst), Pixels(9, c.expected)) << "alpha " << c.alpha << " dest " << c.destAlpha;
    }
}

// Coloured: a' = (a * colour alpha) / 255, s' = (src * colour channel) / 256,
// then A and w from a' and out = (s' * w + dest * (256 - w)) / 256.
TEST_F(MemoryImageBlitsTest, ColouredTable)
{
    struct Case {
        Color color;
        uint32_t alpha;
        uint32_t destAlpha;
        uint32_t expected;
    };
    const Case cases[] = {
        {{128, 128, 128, 255}, 0x00, 0x00, 0x003C78B4}, // a'=0: skipped
        {{128, 128, 128, 255}, 0x01, 0x00, 0x01633219}, // a'=1 s'=(100,50,25) A=1 w=255
        {{128, 128, 128, 255}, 0x09, 0x00, 0x09633219}, // a'=9 A=9 w=255
        {{128, 128, 128, 255}, 0xF0, 0x00, 0xF0633219}, // a'=240 A=240 w=255
        {{128, 128, 128, 255}, 0xFB, 0x00, 0xFB633219}, // a'=251 A=251 w=255
        {{128, 128, 128, 255}, 0xFF, 0x00, 0xFF633219}, // a'=255 A=255 w=255
        {{128, 128, 128, 255}, 0x01, 0xFF, 0xFF3C77B3}, // a'=1 s'=(100,50,25) A=255 w=1
        {{128, 128, 128, 255}, 0x09, 0xFF, 0xFF3D75AE}, // A=255 w=9: r (100*9+60*247)/256=61
        {{128, 128, 128, 255}, 0xF0, 0xFF, 0xFF613622}, // A=255 w=240
        {{128, 128, 128, 255}, 0xFB, 0xFF, 0xFF63331C}, // A=255 w=251
        {{128, 128, 128, 255}, 0xFF, 0xFF, 0xFF633219}, // A=255 w=255
        {{255, 128, 64, 200}, 0x01, 0x00, 0x003C78B4},  // a'=200/255=0: skipped
        {{255, 128, 64, 200}, 0x01, 0xFF, 0xFF3C78B4},  // a'=0: skipped
        {{255, 128, 64, 200}, 0x09, 0x00, 0x07C6320C},  // a'=7 s'=(199,50,12) A=7 w=255
        {{255, 128, 64, 200}, 0xF0, 0x00, 0xBCC6320C},  // a'=188 A=188 w=255
        {{255, 128, 64, 200}, 0xFB, 0x00, 0xC4C6320C},  // a'=196 A=196 w=255
        {{255, 128, 64, 200}, 0xFF, 0x00, 0xC8C6320C},  // a'=200 A=200 w=255
        {{255, 128, 64, 200}, 0x09, 0xFF, 0xFF3F76AF},  // a'=7 A=255 w=7
        {{255, 128, 64, 200}, 0xF0, 0xFF, 0xFFA24438},  // a'=188 A=255 w=188
        {{255, 128, 64, 200}, 0xFB, 0xFF, 0xFFA64233},  // a'=196 A=255 w=196
        {{255, 128, 64, 200}, 0xFF, 0xFF, 0xFFA84130},  // a'=200 A=255 w=200
        // White with a colour alpha below 255 is a grey: s' = src * 255 / 256.
        {{255, 255, 255, 128}, 0x09, 0x00, 0x04C66331}, // a'=4 s'=(199,99,49) A=4 w=255
        {{255, 255, 255, 128}, 0xFF, 0x00, 0x80C66331}, // a'=128 A=128 w=255
        {{255, 255, 255, 128}, 0xF0, 0xFF, 0xFF7D6E76}, // a'=120 A=255 w=120
        {{255, 255, 255, 128}, 0xFF, 0xFF, 0xFF816D72}, // a'=128 A=255 w=128
    };
    for (const Case& c : cases) {
        auto dst = Row(c.destAlpha << 24 | kDstColor);
        auto src = Row(c.alpha << 24 | kSrcColor);
        // The flags do not matter with a colour: clear them to show it.
        dst->SetImageMode(false, false);
        dst->Blt(src.get(), 0, 0, TRect<int>(0, 0, 9, 1), c.color, 0);
        EXPECT_EQ(BitsOf(*dst), Pixels(9, c.expected)) << "alpha " << c.alpha << " dest " << c.destAlpha;
    }
}

// Additive, destination 0x803C78B4 (its alpha stays): out = min(dest + term,
// 255); colour (255, 128, 64, 200) gives c = channel * 200 / 255 = (200, 100, 50).
TEST_F(MemoryImageBlitsTest, AdditiveTable)
{
    struct Case {
        bool coloured;
        bool sourceHasAlpha;
        uint32_t alpha;
        uint32_t expected;
    };
    const Case cases[] = {
        {false, false, 0x00, 0x80FFDCE6}, // term src = (200,100,50), alpha unused even at 0
        {false, false, 0xFF, 0x80FFDCE6}, // term (200,100,50)
        {false, true, 0x00, 0x803C78B4},  // term src * 0 / 256 = 0
        {false, true, 0x01, 0x803C78B4},  // term src * 1 / 256 = 0
        {false, true, 0x80, 0x80A0AACD},  // term (100,50,25)
        {false, true, 0xFF, 0x80FFDBE5},  // term (199,99,49)
        {true, false, 0x00, 0x80D89FBD},  // term src * c / 256 = (156,39,9)
        {true, false, 0xFF, 0x80D89FBD},  // term (156,39,9)
        {true, true, 0x01, 0x803C78B4},   // term (156,39,9) * 1 / 256 = 0
        {true, true, 0x80, 0x808A8BB8},   // term (156,39,9) * 128 / 256 = (78,19,4)
        {true, true, 0xFF, 0x80D79EBC},   // term (156,39,9) * 255 / 256 = (155,38,8)
    };
    for (const Case& c : cases) {
        auto dst = Row(0x80000000 | kDstColor);
        auto src = Row(c.alpha << 24 | kSrcColor);
        src->SetImageMode(false, c.sourceHasAlpha);
        const Color color = c.coloured ? Color(255, 128, 64, 200) : Color::White;
        dst->Blt(src.get(), 0, 0, TRect<int>(0, 0, 9, 1), color, 1);
        EXPECT_EQ(BitsOf(*dst), Pixels(9, c.expected))
            << "coloured " << c.coloured << " has-alpha " << c.sourceHasAlpha << " alpha " << c.alpha;
    }
}

TEST_F(MemoryImageBlitsTest, AdditiveWhiteOnWhiteSaturates)
{
    auto dst = Row(0x40FFFFFF);
    auto src = Row(0xFFFFFFFF);
    dst->Blt(src.get(), 0, 0, TRect<int>(0, 0, 9, 1), Color::White, 1);
    EXPECT_EQ(BitsOf(*dst), Pixels(9, 0x40FFFFFF)); // min(255 + 255, 255), alpha kept
}

// 0x80FF0000 over 0x00000000: A = 128, w = 128 * 255 / 128 = 255,
// r = (255 * 255) / 256 = 254. Over 0xFF000000 by runs: r = 0 + (255 * 128) / 256
// = 127; by the per-pixel loop: A = 255, w = 128, r = (255 * 128) / 256 = 127.
TEST_F(MemoryImageBlitsTest, HalfRedOverBlackAndTransparent)
{
    auto src = Row(0x80FF0000);

    auto transparent = Row(0x00000000);
    transparent->Blt(src.get(), 0, 0, TRect<int>(0, 0, 9, 1), Color::White, 0);
    EXPECT_EQ(BitsOf(*transparent), Pixels(9, 0x80FE0000));

    auto byRuns = Row(0xFF000000);
    ASSERT_FALSE(byRuns->mHasAlpha || byRuns->mHasTrans);
    byRuns->Blt(src.get(), 0, 0, TRect<int>(0, 0, 9, 1), Color::White, 0);
    EXPECT_EQ(BitsOf(*byRuns), Pixels(9, 0xFF7F0000));

    auto perPixel = Row(0xFF000000);
    perPixel->SetImageMode(false, true);
    perPixel->Blt(src.get(), 0, 0, TRect<int>(0, 0, 9, 1), Color::White, 0);
    EXPECT_EQ(BitsOf(*perPixel), Pixels(9, 0xFF7F0000));
}

// ---- Every input against the model. ----

TEST_F(MemoryImageBlitsTest, DivideBy255TrickIsExactForEveryByteProduct)
{
    for (uint32_t x = 0; x <= 255 * 255; x += 8) {
        alignas(16) uint16_t lanes[8];
        for (uint32_t k = 0; k < 8; ++k) {
            lanes[k] = uint16_t(std::min<uint32_t>(x + k, 255 * 255));
        }
        alignas(16) uint16_t out[8];
        _mm_store_si128(reinterpret_cast<__m128i*>(out),
                        PixelBlend::Simd::Div255(_mm_load_si128(reinterpret_cast<const __m128i*>(lanes))));
        for (int k = 0; k < 8; ++k) {
            ASSERT_EQ(out[k], lanes[k] / 255) << lanes[k];
        }
    }
}

// A 256 x 256 picture pair holding every (source alpha, destination alpha)
// pair, once with the destination alpha constant along each vector block and
// once varying within it; colours from a fixed generator.
struct AlphaPairs {
    Pixels src;
    Pixels dst;
};

AlphaPairs MakeAlphaPairs(bool destAlphaAlongRow)
{
    std::mt19937 random(12345);
    AlphaPairs pairs;
    for (uint32_t y = 0; y < 256; ++y) {
        for (uint32_t x = 0; x < 256; ++x) {
            const uint32_t sa = destAlphaAlongRow ? y : x;
            const uint32_t da = destAlphaAlongRow ? x : y;
            pairs.src.push_back(sa << 24 | (random() & 0x00FFFFFFu));
            pairs.dst.push_back(da << 24 | (random() & 0x00FFFFFFu));
        }
    }
    return pairs;
}

TEST_F(MemoryImageBlitsTest, EveryAlphaPairMatchesTheModel)
{
    struct Case {
        Color color;
        int mode;
        bool destFlags; // destination has alpha (so no run path)
        bool sourceHasAlpha;
    };
    const Case cases[] = {
        {Color::White, 0, false, true},        // runs
        {Color::White, 0, true, true},         // white per pixel
        {Color(128, 128, 128, 255), 0, true, true},
        {Color(255, 128, 64, 200), 0, true, true},
        {Color(17, 250, 99, 255), 0, false, true},
        {Color::White, 1, true, false},
        {Color::White, 1, true, true},
        {Color(255, 128, 64, 200), 1, true, false},
        {Color(255, 128, 64, 200), 1, true, true},
    };
    const TRect<int> all(0, 0, 256, 256);
    for (bool alongRow : {false, true}) {
        const AlphaPairs pairs = MakeAlphaPairs(alongRow);
        for (const Case& c : cases) {
            auto src = Make(256, 256, pairs.src);
            auto dst = Make(256, 256, pairs.dst);
            src->SetImageMode(true, c.sourceHasAlpha);
            dst->SetImageMode(c.destFlags, c.destFlags);
            const bool runPath = c.mode == 0 && c.color == Color::White && !c.destFlags;
            const Pixels expected =
                ModelBlit(pairs.dst, 256, pairs.src, 256, 0, 0, all, c.color, c.mode, runPath, c.sourceHasAlpha);
            dst->Blt(src.get(), 0, 0, all, c.color, c.mode);
            const Pixels got = BitsOf(*dst);
            size_t mismatches = 0;
            for (size_t i = 0; i < got.size(); ++i) {
                if (got[i] != expected[i] && ++mismatches <= 3) {
                    ADD_FAILURE() << std::hex << "pixel " << i << " src " << pairs.src[i] << " dst " << pairs.dst[i]
                                  << " got " << got[i] << " want " << expected[i] << std::dec << " mode " << c.mode
                                  << " colour " << c.color.mRed << "," << c.color.mGreen << "," << c.color.mBlue
                                  << "," << c.color.mAlpha;
                }
            }
            EXPECT_EQ(mismatches, 0u);
        }
    }
}

// The run bytes of each row: pixels from each one to the end of its run of
// one alpha class (0, 255, 1-254) within the row, at most 255.
std::vector<uint8_t> RunBytes(const Pixels& pixels, int width)
{
    const auto classOf = [](uint32_t p) { return (p >> 24) == 0 ? 0 : (p >> 24) == 255 ? 1 : 2; };
    std::vector<uint8_t> runs(pixels.size());
    for (size_t row = 0; row < pixels.size(); row += size_t(width)) {
        for (int x = width - 1; x >= 0; --x) {
            const size_t i = row + size_t(x);
            const bool continues = x + 1 < width && classOf(pixels[i + 1]) == classOf(pixels[i]);
            runs[i] = uint8_t(continues ? std::min(runs[i + 1] + 1, 255) : 1);
        }
    }
    return runs;
}

// The row kernels themselves, SSE2 and (where the processor runs it) AVX2,
// on every (source alpha, destination alpha) pair, each row drawn from its
// own offset over its own length so that blocks and tails fall everywhere:
// both must give the model's words, so machines with and without AVX2 draw
// the same pixels.
TEST_F(MemoryImageBlitsTest, SseAndAvx2RowKernelsMatchTheModel)
{
    enum class Kernel { kRuns, kOver, kAdd };
    struct Case {
        Kernel kernel;
        Color color;
        bool sourceHasAlpha;
    };
    const Case cases[] = {
        {Kernel::kRuns, Color::White, true},
        {Kernel::kOver, Color::White, true},
        {Kernel::kOver, Color(128, 128, 128, 255), true},
        {Kernel::kOver, Color(255, 128, 64, 200), true},
        {Kernel::kOver, Color(17, 250, 99, 255), true},
        {Kernel::kAdd, Color::White, false},
        {Kernel::kAdd, Color::White, true},
        {Kernel::kAdd, Color(255, 128, 64, 200), false},
        {Kernel::kAdd, Color(255, 128, 64, 200), true},
    };
    using PixelBlend::Tint;
    const auto draw = [](const Case& c, bool avx2, uint32_t* d, const uint32_t* s, const uint8_t* runs, int n) {
        const bool white = c.color == Color::White;
        const uint32_t ca = uint32_t(c.color.mAlpha);
        const Tint tint{uint32_t(c.color.mRed), uint32_t(c.color.mGreen), uint32_t(c.color.mBlue), ca};
        const Tint add{uint32_t(c.color.mRed) * ca / 255, uint32_t(c.color.mGreen) * ca / 255,
                       uint32_t(c.color.mBlue) * ca / 255, 255};
        namespace Sse2 = PixelBlend;
        namespace Avx2 = PixelBlend::Avx2;
        if (c.kernel == Kernel::kRuns) {
            avx2 ? Avx2::BlendRunsRow(d, s, runs, n) : Sse2::BlendRunsRow(d, s, runs, n);
        } else if (c.kernel == Kernel::kOver && white) {
            avx2 ? Avx2::BlendOverRow<false>(d, s, n, tint) : Sse2::BlendOverRow<false>(d, s, n, tint);
        } else if (c.kernel == Kernel::kOver) {
            avx2 ? Avx2::BlendOverRow<true>(d, s, n, tint) : Sse2::BlendOverRow<true>(d, s, n, tint);
        } else if (white && c.sourceHasAlpha) {
            avx2 ? Avx2::AddRow<false, true>(d, s, n, tint) : Sse2::AddRow<false, true>(d, s, n, tint);
        } else if (white) {
            avx2 ? Avx2::AddRow<false, false>(d, s, n, tint) : Sse2::AddRow<false, false>(d, s, n, tint);
        } else if (c.sourceHasAlpha) {
            avx2 ? Avx2::AddRow<true, true>(d, s, n, add) : Sse2::AddRow<true, true>(d, s, n, add);
        } else {
            avx2 ? Avx2::AddRow<true, false>(d, s, n, add) : Sse2::AddRow<true, false>(d, s, n, add);
        }
    };
    for (bool alongRow : {false, true}) {
        const AlphaPairs pairs = MakeAlphaPairs(alongRow);
        const std::vector<uint8_t> runs = RunBytes(pairs.src, 256);
        for (const Case& c : cases) {
            for (const bool avx2 : {false, true}) {
                if (avx2 && !PixelBlend::Avx2::Available()) {
                    continue;
                }
                Pixels got = pairs.dst;
                Pixels expected = pairs.dst;
                for (size_t y = 0; y < 256; ++y) {
                    const size_t offset = y % 11;
                    const int count = int(256 - offset - y % 7);
                    const size_t start = y * 256 + offset;
                    draw(c, avx2, got.data() + start, pairs.src.data() + start, runs.data() + start, count);
                    for (size_t i = start; i < start + size_t(count); ++i) {
                        const uint32_t s = pairs.src[i];
                        expected[i] = c.kernel == Kernel::kRuns ? ModelRuns(expected[i], s)
                            : c.kernel == Kernel::kOver         ? ModelOver(expected[i], s, c.color)
                                                                : ModelAdd(expected[i], s, c.color, c.sourceHasAlpha);
                    }
                }
                size_t mismatches = 0;
                for (size_t i = 0; i < got.size(); ++i) {
                    if (got[i] != expected[i] && ++mismatches <= 3) {
                        ADD_FAILURE() << std::hex << "pixel " << i << " src " << pairs.src[i] << " dst "
                                      << pairs.dst[i] << " got " << got[i] << " want " << expected[i] << std::dec
                                      << " kernel " << int(c.kernel) << " avx2 " << avx2;
                    }
                }
                EXPECT_EQ(mismatches, 0u);
            }
        }
    }
}

// Every (source alpha, colour alpha) pair of the tinted alpha a * ca / 255.
TEST_F(MemoryImageBlitsTest, EveryColourAlphaMatchesTheModel)
{
    Pixels srcRow;
    Pixels dstRow;
    for (uint32_t x = 0; x < 256; ++x) {
        srcRow.push_back(x << 24 | 0x00C86432);
        dstRow.push_back(((x * 37) & 0xFF) << 24 | 0x003C78B4);
    }
    auto src = Make(256, 1, srcRow);
    for (int colourAlpha = 0; colourAlpha < 256; ++colourAlpha) {
        const Color color(90, 200, 255, colourAlpha);
        auto dst = Make(256, 1, dstRow);
        const TRect<int> all(0, 0, 256, 1);
        dst->Blt(src.get(), 0, 0, all, color, 0);
        ASSERT_EQ(BitsOf(*dst), ModelBlit(dstRow, 256, srcRow, 256, 0, 0, all, color, 0, false, true))
            << "colour alpha " << colourAlpha;
    }
}

// Every (source, destination) value pair of each channel, at the weights the
// vector loops treat apart: a = 255 (w = 255), d = 0 (w = 255), d = 255
// (w = a), and a general pair.
TEST_F(MemoryImageBlitsTest, EveryChannelPairMatchesTheModel)
{
    struct Case {
        uint32_t alpha;
        uint32_t destAlpha;
        Color color;
    };
    const Case cases[] = {
        {255, 255, Color::White}, {255, 77, Color::White}, {77, 0, Color::White}, {1, 255, Color::White},
        {128, 255, Color::White}, {254, 255, Color::White}, {200, 100, Color::White},
        {255, 77, Color(200, 100, 255, 255)}, {255, 255, Color(200, 100, 255, 255)},
        {77, 0, Color(200, 100, 255, 180)}, {200, 100, Color(17, 250, 99, 255)},
    };
    const TRect<int> all(0, 0, 256, 256);
    for (const Case& c : cases) {
        Pixels srcPixels;
        Pixels dstPixels;
        for (uint32_t y = 0; y < 256; ++y) {
            for (uint32_t x = 0; x < 256; ++x) {
                srcPixels.push_back(c.alpha << 24 | x << 16 | y << 8 | (x ^ y));
                dstPixels.push_back(c.destAlpha << 24 | y << 16 | x << 8 | (255 - x));
            }
        }
        auto src = Make(256, 256, srcPixels);
        auto dst = Make(256, 256, dstPixels);
        dst->SetImageMode(true, true);
        dst->Blt(src.get(), 0, 0, all, c.color, 0);
        EXPECT_EQ(BitsOf(*dst), ModelBlit(dstPixels, 256, srcPixels, 256, 0, 0, all, c.color, 0, false, true))
            << "alpha " << c.alpha << " dest " << c.destAlpha;
    }
}

// A sprite-like picture: runs of transparent, opaque and partial pixels, the
// alphas biased to the boundaries of the formulas.
Pixels MakeSprite(std::mt19937& random, size_t count)
{
    static const uint32_t kAlphas[] = {0, 1, 8, 9, 128, 239, 240, 250, 251, 254, 255};
    Pixels pixels;
    while (pixels.size() < count) {
        const uint32_t kind = random() % 3;
        const size_t run = 1 + random() % 12;
        for (size_t k = 0; k < run && pixels.size() < count; ++k) {
            uint32_t alpha = kind == 0 ? 0 : kind == 1 ? 255 : kAlphas[random() % 11];
            if (kind == 2 && random() % 2 == 0) {
                alpha = random() & 0xFF;
            }
            pixels.push_back(alpha << 24 | (random() & 0xFFFFFF));
        }
    }
    return pixels;
}

// Rectangles of every width up to 13 at several offsets (vector blocks and
// tails), random colours, flags and modes, against the model.
TEST_F(MemoryImageBlitsTest, RandomRectanglesMatchTheModel)
{
    std::mt19937 random(777);
    const Color colors[] = {Color::White, Color(128, 128, 128, 255), Color(255, 128, 64, 200),
                            Color(255, 255, 255, 100), Color(0, 0, 0, 255)};
    for (int iteration = 0; iteration < 400; ++iteration) {
        const int srcW = 1 + int(random() % 20);
        const int srcH = 1 + int(random() % 4);
        const int dstW = 1 + int(random() % 24);
        const int dstH = 1 + int(random() % 5);
        const Pixels srcPixels = MakeSprite(random, size_t(srcW * srcH));
        const Pixels dstPixels = MakeSprite(random, size_t(dstW * dstH));
        auto src = Make(srcW, srcH, srcPixels);
        auto dst = Make(dstW, dstH, dstPixels);
        const bool destFlags = random() % 2 == 0;
        dst->SetImageMode(destFlags, destFlags);

        TRect<int> rect;
        rect.mX = int(random() % unsigned(srcW));
        rect.mY = int(random() % unsigned(srcH));
        rect.mWidth = std::min(1 + int(random() % 13), srcW - rect.mX);
        rect.mHeight = 1 + int(random() % unsigned(srcH - rect.mY));
        const int x = int(random() % unsigned(std::max(1, dstW - rect.mWidth + 1)));
        const int y = int(random() % unsigned(std::max(1, dstH - rect.mHeight + 1)));
        rect.mWidth = std::min(rect.mWidth, dstW - x);
        rect.mHeight = std::min(rect.mHeight, dstH - y);

        const Color color = colors[random() % 5];
        const int mode = int(random() % 2);
        const bool runPath = mode == 0 && color == Color::White && !destFlags;
        const Pixels expected =
            ModelBlit(dstPixels, dstW, srcPixels, srcW, x, y, rect, color, mode, runPath, src->mHasAlpha);
        dst->Blt(src.get(), x, y, rect, color, mode);
        ASSERT_EQ(BitsOf(*dst), expected) << "iteration " << iteration;
    }
}

// ---- Source forms. ----

// Opaque colours, transparent black and partial black survive the trip
// through the premultiplied native form unchanged, so the native form can be
// held to the same pixels as the others. 300 wide: more than one chunk of
// an expanded palette row.
TEST_F(MemoryImageBlitsTest, EverySourceFormBlitsTheSamePixels)
{
    constexpr int kW = 300;
    constexpr int kH = 3;
    const uint32_t palette[] = {0x00000000, 0xFF102030, 0xFFC86432, 0x80000000, 0x01000000,
                                0xFE000000, 0xFFFFFFFF, 0x09000000, 0xF0000000, 0xFF00FF00};
    Pixels pixels;
    std::vector<uint8_t> indices;
    for (int i = 0; i < kW * kH; ++i) {
        const uint8_t index = uint8_t(((i / 7) * 3 + i % 5) % 10);
        indices.push_back(index);
        pixels.push_back(palette[index]);
    }

    const auto makeForm = [&](int form) {
        auto image = Make(kW, kH, pixels);
        if (form == 1) { // palette
            image->mColorTable = std::make_unique<uint32_t[]>(256);
            std::copy(std::begin(palette), std::end(palette), image->mColorTable.get());
            image->mColorIndices = std::make_unique<uint8_t[]>(indices.size());
            std::copy(indices.begin(), indices.end(), image->mColorIndices.get());
            image->mBits.reset();
        } else if (form == 2) { // native only
            image->PurgeBits();
            EXPECT_EQ(image->mBits, nullptr);
            EXPECT_NE(image->mNativeAlphaData, nullptr);
        } else if (form == 3) { // run-length table made beforehand
            image->GetRLAlphaData();
        }
        return image;
    };

    struct Draw {
        Color color;
        int mode;
        bool destFlags;
    };
    const Draw draws[] = {
        {Color::White, 0, false}, {Color::White, 0, true}, {Color(255, 128, 64, 200), 0, false},
        {Color::White, 1, false}, {Color(255, 128, 64, 200), 1, false},
    };
    Pixels dstPixels;
    for (int i = 0; i < kW * kH; ++i) {
        dstPixels.push_back(uint32_t(i * 2654435761u) | 0xFF000000);
    }
    const TRect<int> rect(3, 1, 290, 2);
    for (const Draw& draw : draws) {
        Pixels results[4];
        for (int form = 0; form < 4; ++form) {
            auto src = makeForm(form);
            auto dst = Make(kW, kH, dstPixels);
            dst->SetImageMode(draw.destFlags, draw.destFlags);
            dst->Blt(src.get(), 2, 0, rect, draw.color, draw.mode);
            results[form] = BitsOf(*dst);
            if (form == 1) {
                EXPECT_NE(src->mColorTable, nullptr) << "the palette form is read in place";
                EXPECT_EQ(src->mBits, nullptr);
            }
        }
        const bool runPath = draw.mode == 0 && draw.color == Color::White && !draw.destFlags;
        EXPECT_EQ(results[0], ModelBlit(dstPixels, kW, pixels, kW, 2, 0, rect, draw.color, draw.mode, runPath, true));
        for (int form = 1; form < 4; ++form) {
            EXPECT_EQ(results[form], results[0]) << "form " << form << " mode " << draw.mode;
        }
    }
}

// ---- The call frame. ----

TEST_F(MemoryImageBlitsTest, PlainImageSourceDrawsNothing)
{
    Image plain;
    plain.mWidth = 4;
    plain.mHeight = 1;
    auto dst = Row(0xFF000000, 4);
    const int version = dst->mBitsVersion;
    const bool changed = dst->mBitsChanged;
    for (int mode : {0, 1}) {
        plain.mDrawn = false;
        dst->Blt(&plain, 0, 0, TRect<int>(0, 0, 4, 1), Color::White, mode);
        EXPECT_TRUE(plain.mDrawn);
    }
    EXPECT_EQ(dst->mBitsVersion, version);
    EXPECT_EQ(dst->mBitsChanged, changed);
    EXPECT_EQ(BitsOf(*dst), Pixels(4, 0xFF000000));
}

TEST_F(MemoryImageBlitsTest, DrawnFlagAndModes)
{
    auto src = Row(0xFFFFFFFF, 4);
    auto dst = Row(0xFF000000, 4);
    const TRect<int> rect(0, 0, 4, 1);

    src->mDrawn = false;
    dst->NormalBlt(src.get(), 0, 0, rect, Color::White);
    EXPECT_TRUE(src->mDrawn);
    src->mDrawn = false;
    dst->AdditiveBlt(src.get(), 0, 0, rect, Color::White);
    EXPECT_TRUE(src->mDrawn);

    auto fresh = Row(0xFF000000, 4);
    const int version = fresh->mBitsVersion;
    src->mDrawn = false;
    fresh->Blt(src.get(), 0, 0, rect, Color::White, 2);
    EXPECT_TRUE(src->mDrawn);
    EXPECT_EQ(fresh->mBitsVersion, version) << "mode 2 draws nothing";
    EXPECT_EQ(BitsOf(*fresh), Pixels(4, 0xFF000000));
}

// A memory image keeps the image base's empty mirrored blits.
TEST_F(MemoryImageBlitsTest, MirroredBlitsDrawNothing)
{
    auto src = Row(0xFFFFFFFF, 4);
    auto dst = Row(0xFF000000, 4);
    const int version = dst->mBitsVersion;
    const TRect<int> rect(0, 0, 4, 1);
    dst->BltMirror(src.get(), 0, 0, rect, Color::White, 0);
    dst->StretchBltMirror(src.get(), rect, rect, rect, Color::White, 0, true);
    EXPECT_EQ(dst->mBitsVersion, version);
    EXPECT_EQ(BitsOf(*dst), Pixels(4, 0xFF000000));
}

TEST_F(MemoryImageBlitsTest, EmptyRectangleStillMarksBitsChanged)
{
    auto src = Row(0xFFFFFFFF, 4);
    auto dst = Row(0xFF000000, 4);
    dst->CommitBits();
    const int version = dst->mBitsVersion;
    dst->Blt(src.get(), 0, 0, TRect<int>(0, 0, 4, 0), Color::White, 0);
    EXPECT_EQ(dst->mBitsVersion, version + 1);
    EXPECT_TRUE(dst->mBitsChanged);
    EXPECT_EQ(BitsOf(*dst), Pixels(4, 0xFF000000));
}

// A run of 10 opaque pixels, 3 of them inside the rectangle: only 3 copied.
TEST_F(MemoryImageBlitsTest, RunLongerThanRectangleIsCut)
{
    auto src = Row(0xFF123456, 10);
    auto dst = Row(0xFF000000, 10);
    dst->Blt(src.get(), 4, 0, TRect<int>(0, 0, 3, 1), Color::White, 0);
    const Pixels expected = {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF123456,
                             0xFF123456, 0xFF123456, 0xFF000000, 0xFF000000, 0xFF000000};
    EXPECT_EQ(BitsOf(*dst), expected);
}

TEST_F(MemoryImageBlitsTest, BltFHandsOverToTheRotatedBlitWithoutAngle)
{
    auto src = Row(0xFFFFFFFF, 4);
    RecordingImage dst;
    src->mDrawn = false;
    const TRect<int> rect(1, 0, 3, 1);
    const TRect<int> clip(0, 0, 50, 60);
    const Color color(10, 20, 30, 40);
    dst.BltF(src.get(), 10.5f, 2.25f, rect, clip, color, 1);
    EXPECT_TRUE(src->mDrawn);
    ASSERT_EQ(dst.calls, 1);
    EXPECT_EQ(dst.lastImage, src.get());
    EXPECT_EQ(dst.lastX, 10.5f);
    EXPECT_EQ(dst.lastY, 2.25f);
    EXPECT_EQ(dst.lastSrc, rect);
    EXPECT_EQ(dst.lastClip, clip);
    EXPECT_EQ(dst.lastColor, color);
    EXPECT_EQ(dst.lastMode, 1);
    EXPECT_EQ(dst.lastAngle, 0.0);
    EXPECT_EQ(dst.lastCenterX, 0.0f);
    EXPECT_EQ(dst.lastCenterY, 0.0f);
}

// Rectangles reaching outside either image are cut to both, so a caller
// that did not clip cannot write or read outside the pixels.
TEST_F(MemoryImageBlitsTest, RectanglesOutsideTheImagesAreCut)
{
    std::mt19937 random(5);
    const Pixels srcPixels = MakeSprite(random, 6 * 4);
    const Pixels dstPixels = MakeSprite(random, 5 * 5);
    struct Case {
        int x;
        int y;
        TRect<int> rect;
        int inX; // the part inside both images
        int inY;
        TRect<int> inRect;
    };
    const Case cases[] = {
        {-2, 1, TRect<int>(0, 0, 6, 4), 0, 1, TRect<int>(2, 0, 4, 4)},
        {3, -1, TRect<int>(1, 1, 5, 3), 3, 0, TRect<int>(1, 2, 2, 2)},
        {1, 1, TRect<int>(-3, -2, 8, 8), 4, 3, TRect<int>(0, 0, 1, 2)},
        {0, 0, TRect<int>(4, 2, 100, 100), 0, 0, TRect<int>(4, 2, 2, 2)},
        {7, 0, TRect<int>(0, 0, 3, 3), 0, 0, TRect<int>(0, 0, 0, 0)},
        {0, 0, TRect<int>(2147483600, 0, 100, 2), 0, 0, TRect<int>(0, 0, 0, 0)},
    };
    for (const Case& c : cases) {
        for (int mode : {0, 1}) {
            auto src = Make(6, 4, srcPixels);
            auto dst = Make(5, 5, dstPixels);
            dst->SetImageMode(true, true);
            dst->Blt(src.get(), c.x, c.y, c.rect, Color::White, mode);
            EXPECT_EQ(BitsOf(*dst), ModelBlit(dstPixels, 5, srcPixels, 6, c.inX, c.inY, c.inRect, Color::White,
                                              mode, false, src->mHasAlpha))
                << c.x << "," << c.y << " mode " << mode;
        }
    }
}

// An image drawn onto itself reads its pixels as they were before the call,
// whichever way source and destination overlap.
TEST_F(MemoryImageBlitsTest, SelfBlitReadsTheUntouchedPixels)
{
    constexpr int kW = 300;
    constexpr int kH = 6;
    std::mt19937 random(99);
    const Pixels pixels = MakeSprite(random, size_t(kW * kH));
    struct Case {
        int x;
        int y;
        TRect<int> rect;
    };
    const Case cases[] = {
        {1, 0, TRect<int>(0, 0, 299, 6)},   // one to the right
        {3, 1, TRect<int>(0, 0, 290, 5)},   // down and right
        {0, 0, TRect<int>(2, 1, 298, 5)},   // up and left
        {0, 1, TRect<int>(5, 0, 295, 5)},   // down and left
        {260, 0, TRect<int>(0, 0, 40, 6)},  // no overlap
    };
    const Color colors[] = {Color::White, Color(255, 128, 64, 200)};
    for (const Case& c : cases) {
        for (int mode : {0, 1}) {
            for (const Color& color : colors) {
                for (bool destFlags : {false, true}) {
                    auto self = Make(kW, kH, pixels);
                    self->SetImageMode(destFlags, destFlags);
                    auto copy = Make(kW, kH, pixels);
                    copy->SetImageMode(destFlags, destFlags);
                    auto reference = Make(kW, kH, pixels); // same flags: the additive blit reads them
                    reference->SetImageMode(destFlags, destFlags);
                    copy->Blt(reference.get(), c.x, c.y, c.rect, color, mode);
                    self->Blt(self.get(), c.x, c.y, c.rect, color, mode);
                    EXPECT_EQ(BitsOf(*self), BitsOf(*copy))
                        << c.x << "," << c.y << " mode " << mode << " flags " << destFlags;
                }
            }
        }
    }
}

// Colour channels outside 0-255 are taken as their nearest bound.
TEST_F(MemoryImageBlitsTest, OutOfRangeColourChannelsAreClamped)
{
    auto src = Row(0x80C86432);
    for (int mode : {0, 1}) {
        auto clamped = Row(0xFF3C78B4);
        auto wild = Row(0xFF3C78B4);
        clamped->Blt(src.get(), 0, 0, TRect<int>(0, 0, 9, 1), Color(255, 0, 128, 255), mode);
        wild->Blt(src.get(), 0, 0, TRect<int>(0, 0, 9, 1), Color(900, -40, 128, 300), mode);
        EXPECT_EQ(BitsOf(*wild), BitsOf(*clamped)) << "mode " << mode;
    }
}

} // namespace
} // namespace Lumo

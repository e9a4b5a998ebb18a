// The stretched and rotated blits of the memory image: the nearest-sample and
// filtered stretches and the bilinear rotated blit, checked against words
// worked out by hand and, on random pictures, against a plain transcription
// of the formulas; ARGB and palette sources must draw the same pixels.
#include "framework/graphics/MemoryImage.h"

#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <vector>

using Lumo::Color;
using Lumo::Image;
using Lumo::MemoryImage;
using Lumo::TRect;

namespace {

using Words = std::vector<uint32_t>;

class MemoryImageStretchTest : public testing::Test {
protected:
    TestApp mApp;
};

std::unique_ptr<MemoryImage> MakeImage(int width, int height, const Words& pixels)
{
    auto image = std::make_unique<MemoryImage>();
    image->SetBits(pixels.data(), width, height, true);
    return image;
}

std::unique_ptr<MemoryImage> MakeFilled(int width, int height, uint32_t pixel)
{
    return MakeImage(width, height, Words(static_cast<size_t>(width) * static_cast<size_t>(height), pixel));
}

// The same picture in palette form, its index array exactly one byte per
// pixel (as a freshly palettized image may have it).
std::unique_ptr<MemoryImage> MakePalette(int width, int height, const Words& pixels)
{
    auto image = std::make_unique<MemoryImage>();
    image->Create(width, height);
    image->mColorTable = std::make_unique<uint32_t[]>(256);
    image->mColorIndices = std::make_unique<uint8_t[]>(pixels.size());
    std::map<uint32_t, int> seen;
    for (size_t i = 0; i < pixels.size(); ++i) {
        auto found = seen.find(pixels[i]);
        if (found == seen.end()) {
            const int index = static_cast<int>(seen.size());
            found = seen.emplace(pixels[i], index).first;
            image->mColorTable[index] = pixels[i];
        }
        image->mColorIndices[i] = static_cast<uint8_t>(found->second);
    }
    for (size_t i = seen.size(); i < 256; ++i) {
        image->mColorTable[i] = 0x12345678; // never to be read
    }
    return image;
}

Words Pixels(MemoryImage& image)
{
    const uint32_t* bits = image.GetBits();
    return Words(bits, bits + image.PixelCount());
}

// ---------------------------------------------------------------------------
// Plain transcriptions of the formulas, one pixel at a time.

uint32_t WhiteBlend(uint32_t src, uint32_t dest)
{
    const uint32_t a = src >> 24;
    if (a == 0) {
        return dest;
    }
    const uint32_t d = dest >> 24;
    const uint32_t alpha = d + ((255 - d) * a) / 255;
    const uint32_t w = (a * 255) / alpha;
    uint32_t out = alpha << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t s = (src >> shift) & 0xFF;
        const uint32_t t = (dest >> shift) & 0xFF;
        out |= ((t * (256 - w) + s * w) / 256) << shift;
    }
    return out;
}

void ReferenceFastStretch(Words& dest, int destWidth, const Words& src, int srcWidth, const TRect<int>& destRect,
                          const TRect<double>& srcRect)
{
    const double stepX = srcRect.mWidth / destRect.mWidth;
    const double stepY = srcRect.mHeight / destRect.mHeight;
    for (int j = 0; j < destRect.mHeight; ++j) {
        const int row = static_cast<int>(srcRect.mY + j * stepY);
        for (int i = 0; i < destRect.mWidth; ++i) {
            const int col = static_cast<int>(srcRect.mX + i * stepX);
            uint32_t& out = dest[static_cast<size_t>((destRect.mY + j) * destWidth + destRect.mX + i)];
            out = WhiteBlend(src[static_cast<size_t>(row * srcWidth + col)], out);
        }
    }
}

struct Acc {
    int64_t c[4] = {0, 0, 0, 0};
};

void AddPixel(Acc& acc, uint32_t pixel, int64_t weight)
{
    for (int ch = 0; ch < 4; ++ch) {
        acc.c[ch] += static_cast<int64_t>((pixel >> (8 * ch)) & 0xFF) * weight;
    }
}

void ReferenceFilteredStretch(Words& dest, int destWidth, const Words& src, int srcWidth, int srcHeight,
                              const TRect<int>& destRect, const TRect<double>& s)
{
    const int dw = destRect.mWidth;
    const int dh = destRect.mHeight;
    int sx0 = static_cast<int>(std::floor(s.mX));
    int sy0 = static_cast<int>(std::floor(s.mY));
    int sw = static_cast<int>(std::ceil(s.mX - sx0 + s.mWidth));
    int sh = static_cast<int>(std::ceil(s.mY - sy0 + s.mHeight));
    sx0 = std::max(sx0, 0);
    sy0 = std::max(sy0, 0);
    sw = std::min(sw, srcWidth - sx0);
    sh = std::min(sh, srcHeight - sy0);
    if (sw < 1 || sh < 1) {
        return;
    }
    std::vector<std::vector<Acc>> first(static_cast<size_t>(sh), std::vector<Acc>(static_cast<size_t>(dw) + 4));
    std::vector<std::vector<Acc>> second(static_cast<size_t>(dh) + 4, std::vector<Acc>(static_cast<size_t>(dw) + 4));
    for (int r = 0; r < sh; ++r) {
        const uint32_t* p = src.data() + static_cast<size_t>((sy0 + r) * srcWidth);
        if (s.mWidth < dw) {
            const double step = std::max(0.0, dw == 1 ? s.mWidth / dw : (s.mWidth - 1) / (dw - 1));
            for (int i = 1; i <= dw; ++i) {
                const double pos = (i - 1) * step + s.mX;
                const int ix = static_cast<int>(pos);
                const int f = static_cast<int>((1 - (pos - ix)) * 257);
                AddPixel(first[r][i], p[ix], f);
                if (257 - f != 0) {
                    AddPixel(first[r][i], p[ix + 1], 257 - f);
                }
            }
        } else {
            const double scale = dw / s.mWidth;
            const double offset = (sx0 - s.mX) * scale + 1;
            for (int k = 0; k < sw; ++k) {
                const double a = k * scale + offset;
                const double b = a + scale;
                const int ia = static_cast<int>(a);
                const int ib = static_cast<int>(b);
                if (ia == ib) {
                    AddPixel(first[r][ia], p[sx0 + k], static_cast<int>(scale * 257));
                } else {
                    AddPixel(first[r][ia], p[sx0 + k], static_cast<int>((ib - a) * 257));
                    AddPixel(first[r][ia + 1], p[sx0 + k], static_cast<int>((b - ib) * 257));
                }
            }
        }
    }
    auto addRow = [&](std::vector<Acc>& out, const std::vector<Acc>& in, int64_t weight) {
        for (size_t e = 0; e < out.size(); ++e) {
            for (int ch = 0; ch < 4; ++ch) {
                out[e].c[ch] += in[e].c[ch] * weight;
            }
        }
    };
    if (s.mHeight < dh) {
        const double step = std::max(0.0, dh == 1 ? s.mHeight / dh : (s.mHeight - 1) / (dh - 1));
        for (int k = 1; k <= dh; ++k) {
            const double pos = (k - 1) * step + (s.mY - std::trunc(s.mY));
            const int iy = static_cast<int>(pos);
            const int f = static_cast<int>((1 - (pos - iy)) * 256);
            addRow(second[k], first[iy], f);
            addRow(second[k], first[std::min(iy + 1, sh - 1)], 256 - f);
        }
    } else {
        const double scale = dh / s.mHeight;
        for (int j = 0; j < sh; ++j) {
            const double a = j * scale + (sy0 - s.mY) * scale + 1;
            const double b = a + scale;
            const int ia = static_cast<int>(std::floor(a));
            const int ib = static_cast<int>(std::floor(b));
            if (ia == ib) {
                addRow(second[ia], first[j], static_cast<int>(scale * 256));
            } else {
                addRow(second[ia], first[j], static_cast<int>((ib - a) * 256));
                addRow(second[ia + 1], first[j], static_cast<int>((b - ib) * 256));
            }
        }
    }
    for (int r = 0; r < dh; ++r) {
        for (int c = 0; c < dw; ++c) {
            const Acc& acc = second[r + 1][c + 1];
            const int64_t a = acc.c[3] >> 16;
            if (a == 0) {
                continue;
            }
            uint32_t& out = dest[static_cast<size_t>((destRect.mY + r) * destWidth + destRect.mX + c)];
            const int64_t d = out >> 24;
            uint32_t pixel = static_cast<uint32_t>(d + ((255 - d) * a) / 255) << 24;
            for (int ch = 0; ch < 3; ++ch) {
                const int64_t value = acc.c[ch] >> 16;
                const int64_t old = (out >> (8 * ch)) & 0xFF;
                pixel |= static_cast<uint32_t>((value * a) / 256 + (old * (256 - a)) / 256) << (8 * ch);
            }
            out = pixel;
        }
    }
}

struct RotateCall {
    float x;
    float y;
    TRect<int> srcRect;
    TRect<int> clip;
    Color color;
    int mode;
    double angle;
    float cx;
    float cy;
};

void ReferenceRotated(Words& dest, int destWidth, const Words& src, int srcWidth, const RotateCall& call)
{
    TRect<double> bounds;
    if (!MemoryImage::GetRotatedBounds(call.x, call.y, call.srcRect, call.clip, call.angle, bounds, call.cx,
                                       call.cy)) {
        return;
    }
    const float c = static_cast<float>(std::cos(call.angle));
    const float s = static_cast<float>(std::sin(call.angle));
    const int64_t du = static_cast<int64_t>(c * 65536.0f);
    const int64_t dv = static_cast<int64_t>(s * 65536.0f);
    const int x0 = static_cast<int>(bounds.mX);
    const int y0 = static_cast<int>(bounds.mY);
    const int64_t W = call.srcRect.mWidth;
    const int64_t H = call.srcRect.mHeight;
    const bool white = call.color == Color::White;
    const int col[4] = {call.color.mBlue, call.color.mGreen, call.color.mRed, call.color.mAlpha};
    for (int r = 0; r < bounds.mHeight; ++r) {
        const int Y = y0 + r;
        const float dx = static_cast<float>(x0) - call.cx - call.x;
        const float dy = static_cast<float>(Y) - call.cy - call.y;
        const int64_t U = static_cast<int64_t>((c * dx - s * dy + call.cx) * 65536.0f);
        const int64_t V = static_cast<int64_t>((s * dx + c * dy + call.cy) * 65536.0f);
        int64_t lo = 0;
        int64_t hi = static_cast<int64_t>(bounds.mWidth - 1);
        bool skip = false;
        if (du >= 1) {
            skip |= (U >> 16) >= W - 1;
            lo = std::max(lo, (65536 - U) / du);
            hi = std::min(hi, (W * 65536 - U - 98303) / du);
        } else if (du <= -1) {
            skip |= (U >> 16) < 0;
            lo = std::max(lo, (W * 65536 - U - 163839) / du);
            hi = std::min(hi, (32767 - U) / du);
        } else {
            skip |= U < 0 || U >= (W - 1) * 65536;
        }
        if (dv >= 1) {
            skip |= (V >> 16) >= H - 1;
            lo = std::max(lo, (65536 - V) / dv);
            hi = std::min(hi, (H * 65536 - V - 98303) / dv);
        } else if (dv <= -1) {
            skip |= (V >> 16) < 0;
            lo = std::max(lo, (H * 65536 - V - 163839) / dv);
            hi = std::min(hi, -(V / dv));
        } else {
            skip |= V < 0 || V >= (H - 1) * 65536;
        }
        if (skip) {
            continue;
        }
        for (int64_t i = lo; i <= hi; ++i) {
            const int64_t u = U + i * du;
            const int64_t v = V + i * dv;
            const size_t at = static_cast<size_t>((call.srcRect.mY + (v >> 16)) * srcWidth + call.srcRect.mX + (u >> 16));
            const uint32_t p[4] = {src[at], src[at + 1], src[at + srcWidth], src[at + srcWidth + 1]};
            const int64_t fu = (u & 0xFFFE) + 1;
            const int64_t fv = (v & 0xFFFE) + 1;
            const int64_t base[4] = {((65536 - fu) * (65536 - fv)) >> 16, ((65536 - fv) * fu) >> 16,
                                     ((65536 - fu) * fv) >> 16, (fu * fv) >> 16};
            int64_t w[4];
            int64_t S = 0;
            for (int k = 0; k < 4; ++k) {
                w[k] = (base[k] * (p[k] >> 24)) >> 16;
                if (call.mode == 0 && !white) {
                    w[k] = (w[k] * col[3]) >> 8;
                }
                S += w[k];
            }
            if (S == 0) {
                continue;
            }
            uint32_t& out = dest[static_cast<size_t>(Y * destWidth + x0 + i)];
            uint32_t pixel = 0;
            if (call.mode == 0) {
                int64_t P[3];
                for (int ch = 0; ch < 3; ++ch) {
                    int64_t sum = 0;
                    for (int k = 0; k < 4; ++k) {
                        sum += ((p[k] >> (8 * ch)) & 0xFF) * w[k];
                    }
                    P[ch] = sum / 256;
                    if (!white) {
                        P[ch] = P[ch] * (col[ch] + 1) / 256;
                    }
                }
                if (S >= 251) {
                    pixel = 0xFF000000;
                    for (int ch = 0; ch < 3; ++ch) {
                        pixel |= static_cast<uint32_t>(P[ch]) << (8 * ch);
                    }
                } else {
                    const int64_t d = out >> 24;
                    const int64_t D = 256 - ((256 - d) * (256 - S)) / 256;
                    pixel = static_cast<uint32_t>(D - 1) << 24;
                    for (int ch = 0; ch < 3; ++ch) {
                        const int64_t t = (out >> (8 * ch)) & 0xFF;
                        pixel |= static_cast<uint32_t>((((t * d) / 256) * (256 - S) + P[ch] * 256) / D) << (8 * ch);
                    }
                }
            } else {
                pixel = out & 0xFF000000;
                for (int ch = 0; ch < 3; ++ch) {
                    int64_t sum = 0;
                    for (int k = 0; k < 4; ++k) {
                        sum += ((p[k] >> (8 * ch)) & 0xFF) * w[k] * (white ? 1 : (col[ch] * col[3]) / 255);
                    }
                    const int64_t P = white ? sum / 256 : sum / 65536;
                    const int64_t t = (out >> (8 * ch)) & 0xFF;
                    pixel |= static_cast<uint32_t>(std::min<int64_t>(t + P, 255)) << (8 * ch);
                }
            }
            out = pixel;
        }
    }
}

// Random pictures with every alpha class in runs, as sprites have them; at
// most 240 colours, so that they have a palette form.
Words RandomPicture(std::mt19937& rng, int width, int height)
{
    Words colors[3];
    for (int i = 0; i < 80; ++i) {
        colors[0].push_back(rng() & 0xFFFFFF);
        colors[1].push_back(0xFF000000 | (rng() & 0xFFFFFF));
        colors[2].push_back((rng() % 256) << 24 | (rng() & 0xFFFFFF));
    }
    Words pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    int kind = 1;
    for (uint32_t& p : pixels) {
        if (rng() % 5 == 0) {
            kind = static_cast<int>(rng() % 3);
        }
        p = colors[kind][rng() % 80];
    }
    return pixels;
}

} // namespace

// ---------------------------------------------------------------------------
// Fast stretch

TEST_F(MemoryImageStretchTest, FastStretchBlendsLikeTheWhiteNormalBlit)
{
    struct Case {
        uint32_t src;
        uint32_t dest;
        uint32_t expected;
    };
    const Case cases[] = {
        {0x00FFFFFF, 0x80123456, 0x80123456}, // a = 0: untouched
        {0xFF804020, 0xFF000000, 0xFF7F3F1F}, // A = 255, w = 255: c * 255 / 256
        {0x80FF0000, 0xFF0000FF, 0xFF7F007F}, // d = 255: w = a = 128
        {0x80FF8040, 0x00000000, 0x80FE7F3F}, // d = 0: A = 128, w = 255
        {0x64C80000, 0x32000064, 0x82990017}, // A = 50 + 20500 / 255 = 130, w = 25500 / 130 = 196
        {0x01FFFFFF, 0xFE808080, 0xFE808080}, // A = 254, w = 1: (128 * 255 + 255) / 256 = 128
        {0xFE000000, 0x01FFFFFF, 0xFE000000}, // A = 1 + 64516 / 255 = 254, w = 255
        {0xFFFFFFFF, 0x00FFFFFF, 0xFFFFFFFF}, // (255 + 255 * 255) / 256 = 255
        {0xC8FF0000, 0xC80000FF, 0xF3D0002E}, // A = 243, w = 209: 53295 / 256, 255 * 47 / 256
    };
    const int count = static_cast<int>(std::size(cases));
    Words src;
    Words dest;
    Words expected;
    for (const Case& c : cases) {
        src.push_back(c.src);
        dest.push_back(c.dest);
        expected.push_back(c.expected);
    }
    // The whole row (four at a time and a rest), then each case alone.
    auto source = MakeImage(count, 1, src);
    auto target = MakeImage(count, 1, dest);
    target->StretchBlt(source.get(), {0, 0, count, 1}, {0, 0, count, 1}, {0, 0, count, 1}, Color::White, 0, true);
    EXPECT_EQ(Pixels(*target), expected);
    for (const Case& c : cases) {
        auto one = MakeImage(1, 1, {c.src});
        auto into = MakeImage(1, 1, {c.dest});
        into->StretchBlt(one.get(), {0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 1, 1}, Color::White, 0, true);
        EXPECT_EQ(Pixels(*into)[0], c.expected) << std::hex << c.src << " over " << c.dest;
    }
}

TEST_F(MemoryImageStretchTest, FastStretchTakesTheNearestSample)
{
    // Opaque samples onto opaque black come out as c * 255 / 256.
    const Words src = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    const uint32_t R = 0xFFFE0000, G = 0xFF00FE00, B = 0xFF0000FE, W = 0xFFFEFEFE, K = 0xFF000000;
    auto source = MakeImage(2, 2, src);

    // Doubled: columns and rows trunc(i * 0.5).
    auto target = MakeFilled(4, 4, K);
    target->StretchBlt(source.get(), {0, 0, 4, 4}, {0, 0, 2, 2}, {0, 0, 4, 4}, Color::White, 0, true);
    EXPECT_EQ(Pixels(*target), (Words{R, R, G, G, R, R, G, G, B, B, W, W, B, B, W, W}));

    // Clipped to the lower right: the source starts at (1, 1).
    target = MakeFilled(4, 4, K);
    target->StretchBlt(source.get(), {0, 0, 4, 4}, {0, 0, 2, 2}, {2, 3, 2, 1}, Color::White, 0, true);
    EXPECT_EQ(Pixels(*target), (Words{K, K, K, K, K, K, K, K, K, K, K, K, K, K, W, W}));

    // Four opaque samples at once: (dest + src * 255) / 256 per channel,
    // red (255 + 128 * 255) / 256 = 128, green 255 * 255 / 256 = 254, blue 128 / 256 = 0.
    auto opaque = MakeFilled(4, 1, 0xFF80FF00);
    target = MakeFilled(4, 1, 0x40FF0080);
    target->StretchBlt(opaque.get(), {0, 0, 4, 1}, {0, 0, 4, 1}, {0, 0, 4, 1}, Color::White, 0, true);
    EXPECT_EQ(Pixels(*target), Words(4, 0xFF80FE00));

    // Halved: columns trunc(i * 2) of a 4 x 1 row.
    auto row = MakeImage(4, 1, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
    target = MakeFilled(2, 1, K);
    target->StretchBlt(row.get(), {0, 0, 2, 1}, {0, 0, 4, 1}, {0, 0, 2, 1}, Color::White, 0, true);
    EXPECT_EQ(Pixels(*target), (Words{R, B}));
}

TEST_F(MemoryImageStretchTest, FastStretchWithColourDrawsNothingButCountsAChange)
{
    auto source = MakeFilled(2, 2, 0xFFFFFFFF);
    auto target = MakeFilled(4, 4, 0xFF000000);
    const int version = target->mBitsVersion;
    target->StretchBlt(source.get(), {0, 0, 4, 4}, {0, 0, 2, 2}, {0, 0, 4, 4}, Color(255, 255, 255, 254), 0, true);
    EXPECT_EQ(Pixels(*target), Words(16, 0xFF000000));
    EXPECT_EQ(target->mBitsVersion, version + 1);
    EXPECT_TRUE(source->mDrawn);

    // A plain image is no memory image: nothing drawn, a change all the same.
    Image plain;
    target->StretchBlt(&plain, {0, 0, 4, 4}, {0, 0, 2, 2}, {0, 0, 4, 4}, Color::White, 0, true);
    EXPECT_TRUE(plain.mDrawn);
    EXPECT_EQ(target->mBitsVersion, version + 2);
    EXPECT_EQ(Pixels(*target), Words(16, 0xFF000000));
}

// ---------------------------------------------------------------------------
// Filtered stretch

TEST_F(MemoryImageStretchTest, FilteredStretchWeighsBySpan)
{
    struct Case {
        const char* what;
        int srcWidth;
        int srcHeight;
        Words src;
        int destWidth;
        int destHeight;
        uint32_t destPixel;
        Words expected;
    };
    const Case cases[] = {
        // Shrinking branches at 1:1: weights 257 and 256, A = 255 * 65792 >> 16 = 255,
        // C = 128 * 65792 >> 16 = 128; out = C * 255 / 256.
        {"1x1 opaque", 1, 1, {0xFF804020}, 1, 1, 0xFF000000, {0xFF7F3F1F}},
        // A = 128: out = 255 * 128 / 256 + dest * 128 / 256, alpha d + (255 - d) * 128 / 255.
        {"1x1 half over opaque", 1, 1, {0x80FF0000}, 1, 1, 0xFF0000FF, {0xFF7F007F}},
        {"1x1 half over clear", 1, 1, {0x80FF0000}, 1, 1, 0x00000000, {0x807F0000}},
        // Enlarging 2 -> 3, step 0.5: weights (257, 0), (128, 129), (257, 0);
        // red 0, 255 * 129 * 256 >> 16 = 128, 255; out = C * 255 / 256.
        {"enlarge across", 2, 1, {0xFF000000, 0xFFFF0000}, 3, 1, 0xFF000000, {0xFF000000, 0xFF7F0000, 0xFFFE0000}},
        // Shrinking 4 -> 3, scale 0.75: entry 1 = 192 p0 + 64 p1, entry 2 = 128 p1 + 128 p2,
        // entry 3 = 64 p2 + 192 p3; red 191, 127, 63 after the passes; out = C * 255 / 256.
        {"shrink across", 4, 1, {0xFFFF0000, 0xFF000000, 0xFFFF0000, 0xFF000000}, 3, 1, 0xFF000000,
         {0xFFBE0000, 0xFF7E0000, 0xFF3E0000}},
        // Enlarging 2 -> 3 down, step 0.5: rows (256, 0), (128, 128), (256, last row again);
        // blue 65535 * 256 >> 16 = 255, 65535 * 128 >> 16 = 127, 0.
        {"enlarge down", 1, 2, {0xFF0000FF, 0xFF000000}, 1, 3, 0xFF000000, {0xFF0000FE, 0xFF00007E, 0xFF000000}},
        // Alpha 0 everywhere: the destination stays.
        {"clear source", 2, 2, Words(4, 0x00FFFFFF), 3, 3, 0x40102030, Words(9, 0x40102030)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto source = MakeImage(c.srcWidth, c.srcHeight, c.src);
        auto target = MakeFilled(c.destWidth, c.destHeight, c.destPixel);
        target->StretchBlt(source.get(), {0, 0, c.destWidth, c.destHeight}, {0, 0, c.srcWidth, c.srcHeight},
                           {0, 0, c.destWidth, c.destHeight}, Color::White, 0, false);
        EXPECT_EQ(Pixels(*target), c.expected);
        // The palette form draws the same.
        auto palette = MakePalette(c.srcWidth, c.srcHeight, c.src);
        target = MakeFilled(c.destWidth, c.destHeight, c.destPixel);
        target->StretchBlt(palette.get(), {0, 0, c.destWidth, c.destHeight}, {0, 0, c.srcWidth, c.srcHeight},
                           {0, 0, c.destWidth, c.destHeight}, Color::White, 0, false);
        EXPECT_EQ(Pixels(*target), c.expected);
        EXPECT_NE(palette->mColorTable, nullptr); // still in palette form
    }
}

TEST_F(MemoryImageStretchTest, FilteredEnlargementOfOpaqueWhiteIs254)
{
    // 255 * 257 * 256 >> 16 = 255 in every channel; out = 255 * 255 / 256 = 254.
    auto source = MakeFilled(3, 2, 0xFFFFFFFF);
    auto target = MakeFilled(7, 5, 0xFF000000);
    target->StretchBlt(source.get(), {0, 0, 7, 5}, {0, 0, 3, 2}, {0, 0, 7, 5}, Color(1, 2, 3, 4), 1, false);
    EXPECT_EQ(Pixels(*target), Words(35, 0xFFFEFEFE));
}

TEST_F(MemoryImageStretchTest, FilteredStretchOfNothingLeavesTheVersion)
{
    auto target = MakeFilled(4, 4, 0xFF000000);
    const int version = target->mBitsVersion;
    Image plain;
    target->StretchBlt(&plain, {0, 0, 4, 4}, {0, 0, 2, 2}, {0, 0, 4, 4}, Color::White, 0, false);
    EXPECT_TRUE(plain.mDrawn);
    // A source window outside the picture.
    auto source = MakeFilled(2, 2, 0xFFFFFFFF);
    target->StretchBltImpl(source.get(), {0, 0, 4, 4}, TRect<double>(5.0, 0.0, 2.0, 2.0), Color::White, 0);
    EXPECT_EQ(target->mBitsVersion, version);
    EXPECT_EQ(Pixels(*target), Words(16, 0xFF000000));
}

// A stretch clipped to less than one source pixel used to step backwards and
// weigh the neighbour negatively, overflowing the channels; now every
// destination pixel takes the one source pixel.
TEST_F(MemoryImageStretchTest, FilteredStretchOfASliverOfOnePixelStaysInRange)
{
    auto source = MakeImage(2, 2, {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF});
    auto target = MakeFilled(20, 20, 0xFF000000);
    target->StretchBlt(source.get(), {0, 0, 20, 20}, {0, 0, 1, 1}, {0, 0, 10, 10}, Color::White, 0, false);
    const Words pixels = Pixels(*target);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            // Blue 255 with weights 257 and 256: 255 * 255 / 256 = 254.
            EXPECT_EQ(pixels[static_cast<size_t>(y * 20 + x)], x < 10 && y < 10 ? 0xFF0000FEU : 0xFF000000U);
        }
    }
}

// ---------------------------------------------------------------------------
// Rotated blit

TEST_F(MemoryImageStretchTest, RotatedAtAngleZeroDropsTheEdgesOfTheRectangle)
{
    // Pixel (c, r) has red 64 c and green 64 r. On whole positions the
    // neighbour weights are 0 but w00 = (65534 * 255) >> 16 = 254, so each
    // channel comes out as c * 254 / 256: 64 -> 63, 128 -> 127, 192 -> 190.
    Words src;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            src.push_back(0xFF000000 | static_cast<uint32_t>(64 * c) << 16 | static_cast<uint32_t>(64 * r) << 8);
        }
    }
    auto source = MakeImage(4, 3, src);
    auto target = MakeFilled(7, 5, 0);
    target->BltRotated(source.get(), 2.0f, 1.0f, {0, 0, 4, 3}, {0, 0, 7, 5}, Color::White, 0, 0.0, 0.0f, 0.0f);
    Words expected(35, 0);
    expected[1 * 7 + 3] = 0xFF3F0000;
    expected[1 * 7 + 4] = 0xFF7F0000;
    expected[2 * 7 + 3] = 0xFF3F3F00;
    expected[2 * 7 + 4] = 0xFF7F3F00;
    EXPECT_EQ(Pixels(*target), expected);
    EXPECT_TRUE(source->mDrawn);
}

TEST_F(MemoryImageStretchTest, RotatedAtAHalfPixelSamplesBetweenColumns)
{
    // x = 0.5: U = -32768, so offset 1 samples u = 32768: fu = 32769,
    // w00 = ((32767 * 65535) >> 16) * 255 >> 16 = 127, w10 = ((65535 * 32769) >> 16) * 255 >> 16 = 127;
    // red and green 255 * 127 / 256 = 126.
    auto source = MakeImage(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF0000FF});
    auto target = MakeFilled(4, 2, 0);
    target->BltRotated(source.get(), 0.5f, 0.0f, {0, 0, 2, 2}, {0, 0, 4, 2}, Color::White, 0, 0.0, 0.0f, 0.0f);
    EXPECT_EQ(Pixels(*target), (Words{0, 0xFF7E7E00, 0, 0, 0, 0, 0, 0}));
}

TEST_F(MemoryImageStretchTest, RotatedBlendsPartialCoverage)
{
    struct Case {
        uint32_t srcPixel;
        Color color;
        int mode;
        uint32_t dest;
        uint32_t expected;
    };
    // The sample sits on the whole pixel (1, 0) of a 3 x 2 source: only p00
    // weighs, w = (65534 * a) >> 16.
    const Case cases[] = {
        // a = 128: S = 127, P = 255 * 127 / 256 = 126.
        // d = 255: D = 256; red 126, blue ((255 * 255) / 256) * 129 / 256 = 127.
        {0x80FF0000, Color::White, 0, 0xFF0000FF, 0xFF7E007F},
        // d = 0: D = 256 - 129 = 127, red 126 * 256 / 127 = 253, alpha 126.
        {0x80FF0000, Color::White, 0, 0x00000000, 0x7EFD0000},
        // d = 100: D = 256 - (156 * 129) / 256 = 178; red (12 * 129 + 32256) / 178 = 189,
        // green 25 * 129 / 178 = 18, blue 37 * 129 / 178 = 26, alpha 177.
        {0x80FF0000, Color::White, 0, 0x64204060, 0xB1BD121A},
        // Colour with alpha 255: w = 254 * 255 >> 8 = 253 (opaque); P = 252, then
        // times (colour + 1) / 256: red 252 * 129 / 256 = 126, green 252, blue 252 * 65 / 256 = 63.
        {0xFFFFFFFF, Color(128, 255, 64, 255), 0, 0x00000000, 0xFF7EFC3F},
        // Colour alpha 128: w = 254 * 128 >> 8 = 127 = S; P = 126; blue 126 * 255 / 256 = 125; D = 256.
        {0xFFFFFFFF, Color(255, 255, 254, 128), 0, 0xFF000000, 0xFF7E7E7D},
        // Additive white: P = 128 * 254 / 256 = 127 added and clamped, alpha kept.
        {0xFF808080, Color::White, 1, 0x40A0A0A0, 0x40FFFFFF},
        {0xFF808080, Color::White, 1, 0x40102030, 0x408F9FAF},
        // Additive colour: c = (128, 64, 0); P = 32512 * c >> 16 = 63, 31, 0.
        {0xFF808080, Color(255, 128, 0, 128), 1, 0x40102030, 0x404F3F30},
        // A transparent sample leaves the pixel in both modes.
        {0x00FFFFFF, Color::White, 0, 0x11223344, 0x11223344},
        {0x00FFFFFF, Color::White, 1, 0x11223344, 0x11223344},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.srcPixel << " mode " << c.mode << " onto " << c.dest);
        Words src(6, 0xFFFFFFFF);
        src[1] = c.srcPixel;
        auto source = MakeImage(3, 2, src);
        auto target = MakeFilled(3, 2, c.dest);
        target->BltRotated(source.get(), 0.0f, 0.0f, {0, 0, 3, 2}, {0, 0, 3, 2}, c.color, c.mode, 0.0, 0.0f, 0.0f);
        EXPECT_EQ(Pixels(*target), (Words{c.dest, c.expected, c.dest, c.dest, c.dest, c.dest}));
    }
}

TEST_F(MemoryImageStretchTest, RotatedCoverageOf251IsOpaqueAnd250IsNot)
{
    // On whole positions S = (65534 * a) >> 16: alpha 252 gives 251, written as
    // P = 255 * 251 / 256 = 250 with alpha 255; alpha 251 gives 250, blended:
    // P = 255 * 250 / 256 = 249, D = 256, blue ((255 * 255) / 256) * 6 / 256 = 5.
    const uint32_t a252 = 0xFCFF0000, a251 = 0xFBFF0000, dest = 0xFF0000FF;
    auto source = MakeImage(6, 2, {a252, a252, a252, a251, a252, a252, a252, a252, a252, a252, a252, a252});
    auto target = MakeFilled(6, 2, dest);
    target->BltRotated(source.get(), 0.0f, 0.0f, {0, 0, 6, 2}, {0, 0, 6, 2}, Color::White, 0, 0.0, 0.0f, 0.0f);
    EXPECT_EQ(Pixels(*target), (Words{dest, 0xFFFA0000, 0xFFFA0000, 0xFFF90005, 0xFFFA0000, dest, //
                                      dest, dest, dest, dest, dest, dest}));
}

TEST_F(MemoryImageStretchTest, RotatedQuarterTurnIsCounterClockwise)
{
    // About the centre (2, 2) of a 4 x 4 source at (10, 10): destination
    // (X, Y) samples source (14 - Y, X - 10); the span bounds keep X 11-12, Y 12-13.
    Words src;
    for (uint32_t i = 0; i < 16; ++i) {
        src.push_back(0xFF000000 | (i * 16) << 16);
    }
    auto source = MakeImage(4, 4, src);
    auto target = MakeFilled(20, 20, 0);
    target->BltRotated(source.get(), 10.0f, 10.0f, {0, 0, 4, 4}, {0, 0, 20, 20}, Color::White, 0, M_PI / 2, 2.0f,
                       2.0f);
    const Words pixels = Pixels(*target);
    auto expect = [](int col, int row) {
        // red 16 i * 254 / 256 for source pixel i
        const uint32_t red = static_cast<uint32_t>(16 * (row * 4 + col)) * 254 / 256;
        return 0xFF000000 | red << 16;
    };
    Words expected(400, 0);
    expected[12 * 20 + 11] = expect(2, 1);
    expected[12 * 20 + 12] = expect(2, 2);
    expected[13 * 20 + 11] = expect(1, 1);
    expected[13 * 20 + 12] = expect(1, 2);
    EXPECT_EQ(pixels, expected);
}

TEST_F(MemoryImageStretchTest, RotatedOutsideTheClipChangesNothing)
{
    auto source = MakeFilled(4, 4, 0xFFFFFFFF);
    auto target = MakeFilled(20, 20, 0);
    const int version = target->mBitsVersion;
    target->BltRotated(source.get(), 10.0f, 10.0f, {0, 0, 4, 4}, {0, 0, 5, 5}, Color::White, 0, 0.3, 2.0f, 2.0f);
    EXPECT_EQ(target->mBitsVersion, version);
    EXPECT_TRUE(source->mDrawn);

    // Not a memory image: no change either.
    Image plain;
    target->BltRotated(&plain, 1.0f, 1.0f, {0, 0, 4, 4}, {0, 0, 20, 20}, Color::White, 0, 0.3, 2.0f, 2.0f);
    EXPECT_TRUE(plain.mDrawn);
    EXPECT_EQ(target->mBitsVersion, version);
    EXPECT_EQ(Pixels(*target), Words(400, 0));
}

TEST_F(MemoryImageStretchTest, OpaqueRotationWritesOpaquePixels)
{
    auto source = MakeFilled(16, 16, 0xFF336699);
    auto target = MakeFilled(40, 40, 0x00000000);
    target->BltRotated(source.get(), 12.0f, 12.0f, {0, 0, 16, 16}, {0, 0, 40, 40}, Color::White, 0, 0.7, 8.0f, 8.0f);
    int drawn = 0;
    for (uint32_t p : Pixels(*target)) {
        if (p != 0) {
            ++drawn;
            // Interior samples have S >= 251: P exactly, alpha 255. Only
            // partly covered edge samples may be lighter in alpha.
            if (p >> 24 == 255) {
                EXPECT_LE((p >> 16) & 0xFF, 0x33u);
                EXPECT_GE((p >> 16) & 0xFF, 0x31u);
            }
        }
    }
    EXPECT_GT(drawn, 150);
}

// ---------------------------------------------------------------------------
// Random pictures against the plain formulas, in both source forms.

TEST_F(MemoryImageStretchTest, RandomRotationsMatchTheFormulas)
{
    std::mt19937 rng(20240611);
    const Color colors[] = {Color::White, Color(200, 100, 50, 255), Color(255, 255, 255, 77), Color(10, 250, 128, 200)};
    for (int trial = 0; trial < 160; ++trial) {
        const int sw = 2 + static_cast<int>(rng() % 19);
        const int sh = 2 + static_cast<int>(rng() % 19);
        const int dw = 8 + static_cast<int>(rng() % 40);
        const int dh = 8 + static_cast<int>(rng() % 40);
        const Words src = RandomPicture(rng, sw, sh);
        const Words dest = RandomPicture(rng, dw, dh);
        RotateCall call;
        call.srcRect.mX = static_cast<int>(rng() % 2);
        call.srcRect.mY = static_cast<int>(rng() % 2);
        call.srcRect.mWidth = sw - call.srcRect.mX - static_cast<int>(rng() % 2);
        call.srcRect.mHeight = sh - call.srcRect.mY - static_cast<int>(rng() % 2);
        call.x = static_cast<float>(rng() % 4000) / 100.0f - 8.0f;
        call.y = static_cast<float>(rng() % 4000) / 100.0f - 8.0f;
        call.clip = {static_cast<int>(rng() % 4), static_cast<int>(rng() % 4), dw - 4, dh - 4};
        call.color = colors[rng() % 4];
        call.mode = static_cast<int>(rng() % 3) == 0 ? 1 : 0;
        // A quarter unrotated (as BltF draws), an eighth at a quarter turn, the rest anywhere.
        const int kind = static_cast<int>(rng() % 8);
        call.angle = kind < 2 ? 0.0 : (kind == 2 ? -M_PI / 2 : (static_cast<double>(rng() % 62832) / 10000.0 - 3.1416));
        call.cx = static_cast<float>(rng() % 200) / 10.0f;
        call.cy = static_cast<float>(rng() % 200) / 10.0f;

        Words expected = dest;
        ReferenceRotated(expected, dw, src, sw, call);
        for (int form = 0; form < 2; ++form) {
            SCOPED_TRACE(testing::Message() << "trial " << trial << " form " << form);
            auto source = form == 0 ? MakeImage(sw, sh, src) : MakePalette(sw, sh, src);
            auto target = MakeImage(dw, dh, dest);
            target->BltRotated(source.get(), call.x, call.y, call.srcRect, call.clip, call.color, call.mode,
                               call.angle, call.cx, call.cy);
            ASSERT_EQ(Pixels(*target), expected);
        }
    }
}

TEST_F(MemoryImageStretchTest, RandomStretchesMatchTheFormulas)
{
    std::mt19937 rng(77);
    for (int trial = 0; trial < 150; ++trial) {
        const int sw = 1 + static_cast<int>(rng() % 24);
        const int sh = 1 + static_cast<int>(rng() % 24);
        const int dw = 1 + static_cast<int>(rng() % 40);
        const int dh = 1 + static_cast<int>(rng() % 40);
        const Words src = RandomPicture(rng, sw, sh);
        const Words dest = RandomPicture(rng, dw, dh);
        TRect<int> srcRect(static_cast<int>(rng() % sw), static_cast<int>(rng() % sh), 0, 0);
        srcRect.mWidth = 1 + static_cast<int>(rng() % (sw - srcRect.mX));
        srcRect.mHeight = 1 + static_cast<int>(rng() % (sh - srcRect.mY));
        const TRect<int> destRect(static_cast<int>(rng() % 5) - 2, static_cast<int>(rng() % 5) - 2, dw, dh);
        const TRect<int> clip(static_cast<int>(rng() % 3), static_cast<int>(rng() % 3), dw - 2, dh - 2);
        TRect<double> clippedSrc;
        TRect<int> clippedDest;
        const bool visible = MemoryImage::ClipStretchRects(srcRect, clip.Intersection({0, 0, dw, dh}), destRect,
                                                           clippedSrc, clippedDest);
        // A clip that leaves less than a whole source pixel is the sliver
        // case tested on its own.
        if (visible && (clippedSrc.mWidth < 1.0 || clippedSrc.mHeight < 1.0)) {
            continue;
        }
        for (int fast = 0; fast < 2; ++fast) {
            Words expected = dest;
            if (visible) {
                if (fast == 1) {
                    ReferenceFastStretch(expected, dw, src, sw, clippedDest, clippedSrc);
                } else {
                    ReferenceFilteredStretch(expected, dw, src, sw, sh, clippedDest, clippedSrc);
                }
            }
            for (int form = 0; form < 2; ++form) {
                SCOPED_TRACE(testing::Message() << "trial " << trial << " fast " << fast << " form " << form);
                auto source = form == 0 ? MakeImage(sw, sh, src) : MakePalette(sw, sh, src);
                auto target = MakeImage(dw, dh, dest);
                target->StretchBlt(source.get(), destRect, srcRect, clip, Color::White, 0, fast == 1);
                ASSERT_EQ(Pixels(*target), expected);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Reads and writes stay inside the pictures.

TEST_F(MemoryImageStretchTest, EnlargingToTheLastPixelReadsNoFurther)
{
    // The source ends on the last pixel of the last row: its right
    // neighbour (weight 0) lies past the pixels. The palette made here has
    // no spare index, the copy of a palette image has one.
    const Words src = {0xFF000000, 0xFF102030, 0x80FFFFFF, 0xFFFF0000};
    auto argb = MakeImage(2, 2, src);
    auto palette = MakePalette(2, 2, src);
    MemoryImage copy(*palette);
    EXPECT_EQ(copy.mColorIndices[4], 0); // the spare index, zeroed

    Words expected;
    for (MemoryImage* source : {static_cast<MemoryImage*>(argb.get()), palette.get(), &copy}) {
        auto target = MakeFilled(9, 7, 0xFF808080);
        target->StretchBlt(source, {0, 0, 9, 7}, {0, 0, 2, 2}, {0, 0, 9, 7}, Color::White, 0, false);
        if (expected.empty()) {
            expected = Pixels(*target);
        }
        EXPECT_EQ(Pixels(*target), expected);
    }
    EXPECT_NE(copy.mColorTable, nullptr);
}

TEST_F(MemoryImageStretchTest, RectanglesBeyondThePicturesStayInside)
{
    auto source = MakeFilled(4, 4, 0xFFFFFFFF);
    auto target = MakeFilled(6, 6, 0xFF000000);
    // A clip larger than the destination is cut to it.
    target->StretchBlt(source.get(), {-3, -3, 12, 12}, {0, 0, 4, 4}, {-10, -10, 40, 40}, Color::White, 0, false);
    target->StretchBlt(source.get(), {-3, -3, 12, 12}, {0, 0, 4, 4}, {-10, -10, 40, 40}, Color::White, 0, true);
    target->BltRotated(source.get(), -2.0f, -2.0f, {0, 0, 4, 4}, {-10, -10, 40, 40}, Color::White, 0, 0.5, 2.0f,
                       2.0f);
    // Source rectangles reaching past the picture read only what exists.
    target->StretchBlt(source.get(), {0, 0, 6, 6}, {-2, -2, 9, 9}, {0, 0, 6, 6}, Color::White, 0, false);
    target->StretchBlt(source.get(), {0, 0, 6, 6}, {2, 2, 9, 9}, {0, 0, 6, 6}, Color::White, 0, true);
    target->BltRotated(source.get(), 0.0f, 0.0f, {-3, -3, 10, 10}, {0, 0, 6, 6}, Color::White, 1, 0.25, 5.0f, 5.0f);
    // Positions far outside any picture, or not numbers.
    target->BltRotated(source.get(), 3e9f, -3e9f, {0, 0, 4, 4}, {0, 0, 6, 6}, Color::White, 0, 0.1, 1e30f, 2.0f);
    target->BltRotated(source.get(), 0.0f, 0.0f, {0, 0, 4, 4}, {0, 0, 6, 6}, Color::White, 0, NAN, 0.0f, 0.0f);
    EXPECT_EQ(target->PixelCount(), 36u);
    EXPECT_EQ(target->mBits[36], MemoryImage::kBitsSentinel);
}

TEST_F(MemoryImageStretchTest, AnImageDrawnFromNativeDataDrawsItsBits)
{
    // A purged image keeps its pixels as native data; drawing brings the
    // bits back and draws exactly those.
    std::mt19937 rng(5);
    const Words src = RandomPicture(rng, 9, 7);
    auto purged = MakeImage(9, 7, src);
    purged->PurgeBits();
    ASSERT_EQ(purged->mBits, nullptr);
    auto target = MakeFilled(30, 30, 0xFF204060);
    target->BltRotated(purged.get(), 5.5f, 4.25f, {0, 0, 9, 7}, {0, 0, 30, 30}, Color::White, 0, 1.0, 4.0f, 3.0f);
    target->StretchBlt(purged.get(), {0, 0, 30, 17}, {0, 0, 9, 7}, {0, 0, 30, 30}, Color::White, 0, true);

    auto plain = MakeImage(9, 7, Pixels(*purged));
    auto expected = MakeFilled(30, 30, 0xFF204060);
    expected->BltRotated(plain.get(), 5.5f, 4.25f, {0, 0, 9, 7}, {0, 0, 30, 30}, Color::White, 0, 1.0, 4.0f, 3.0f);
    expected->StretchBlt(plain.get(), {0, 0, 30, 17}, {0, 0, 9, 7}, {0, 0, 30, 30}, Color::White, 0, true);
    EXPECT_EQ(Pixels(*target), Pixels(*expected));
}

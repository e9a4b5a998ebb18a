// Small fixtures of the textured filler tests: fixed-point vertices, a texture
// record over a vector of texels, and a canvas of at most 8 x 8 pixels with
// guard words on both sides, drawn through the filler table.
#pragma once

#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace TexturedTestKit {

using Lumo::TriangleRasterizer::SpanColor;
using Lumo::TriangleRasterizer::SpanVertex;
using Lumo::TriangleRasterizer::TextureInfo;

// Table groups, added to the flag index.
constexpr int k8888 = 0;
constexpr int k888 = 32;
constexpr int k565 = 64;
constexpr int k555 = 96;

// A vertex at (x, y) with texel position (u, v), all in whole units (exact in
// 16.16 for the quarters used here), and vertex colour argb.
inline SpanVertex Vertex(double x, double y, double u, double v, uint32_t argb = 0)
{
    SpanVertex s = {};
    s.mX = static_cast<int32_t>(x * 65536.0);
    s.mY = static_cast<int32_t>(y * 65536.0);
    s.mU = static_cast<int32_t>(u * 65536.0);
    s.mV = static_cast<int32_t>(v * 65536.0);
    s.mA = static_cast<int32_t>(((argb >> 24) & 0xFF) << 16);
    s.mR = static_cast<int32_t>(((argb >> 16) & 0xFF) << 16);
    s.mG = static_cast<int32_t>(((argb >> 8) & 0xFF) << 16);
    s.mB = static_cast<int32_t>((argb & 0xFF) << 16);
    return s;
}

// Texels held exactly (no slack after the last one, so that a sanitizer sees
// any read past it).
struct Texture {
    std::vector<uint32_t> texels;
    TextureInfo info = {};

    Texture(int width, int height, std::vector<uint32_t> pixels) : texels(std::move(pixels))
    {
        info.mBits = texels.data();
        info.mWidth = width;
        info.mHeight = height;
        info.mSize = width * height;
        int log2Width = 0;
        for (int w = width; w >= 2; w >>= 1) {
            ++log2Width;
        }
        info.mShift = 16 - log2Width;
        info.mUMask = static_cast<uint32_t>(width - 1) << 16;
        info.mVMask = static_cast<uint32_t>(height - 1) << 16;
    }
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;
};

// One texel everywhere.
inline std::vector<uint32_t> Plain(int count, uint32_t texel)
{
    return std::vector<uint32_t>(static_cast<size_t>(count), texel);
}

constexpr int kCanvasSize = 8;
constexpr int kGuardWords = 16;
constexpr uint32_t kGuard = 0xDEADBEEF;

// kCanvasSize x kCanvasSize pixels of type Pixel, guarded before and after.
template <class Pixel>
class Canvas {
public:
    explicit Canvas(Pixel background)
        : mWords(static_cast<size_t>(kGuardWords * 2) + kCanvasSize * kCanvasSize * sizeof(Pixel) / 4 + 1, kGuard)
    {
        for (int y = 0; y < kCanvasSize; ++y) {
            for (int x = 0; x < kCanvasSize; ++x) {
                At(x, y) = background;
            }
        }
    }

    Pixel& At(int x, int y) { return Pixels()[y * kCanvasSize + x]; }
    uint8_t* Bits() { return reinterpret_cast<uint8_t*>(Pixels()); }
    static int Pitch() { return kCanvasSize * static_cast<int>(sizeof(Pixel)); }

    bool GuardsIntact() const
    {
        const size_t pixelWords = kCanvasSize * kCanvasSize * sizeof(Pixel) / 4;
        for (size_t i = 0; i < mWords.size(); ++i) {
            const bool isGuard = i < kGuardWords || i >= kGuardWords + pixelWords;
            if (isGuard && mWords[i] != kGuard) {
                return false;
            }
        }
        return true;
    }

    // One line per row, '\n' after each; each pixel as name(pixel).
    template <class Name>
    std::string Picture(Name name)
    {
        std::string out;
        for (int y = 0; y < kCanvasSize; ++y) {
            for (int x = 0; x < kCanvasSize; ++x) {
                out += name(At(x, y));
            }
            out += '\n';
        }
        return out;
    }

private:
    Pixel* Pixels() { return reinterpret_cast<Pixel*>(mWords.data() + kGuardWords); }

    std::vector<uint32_t> mWords;
};

// Calls table entry index (the table filled first) for one triangle.
template <class Pixel>
void Draw(int index, const SpanVertex (&triangle)[3], Canvas<Pixel>& canvas, const Texture& texture,
          const SpanColor& color = {255, 255, 255, 255})
{
    using namespace Lumo::TriangleRasterizer;
    InitSpanFunctions();
    const SpanFunction filler = gSpanFunctions[index];
    if (filler != nullptr) {
        filler(triangle, canvas.Bits(), Canvas<Pixel>::Pitch(), &texture.info, &color);
    }
}

// True when every pixel outside the triangle's bounding box (columns and rows
// from the ceiling of the least to below the ceiling of the greatest
// coordinate) still holds background.
template <class Pixel>
bool OnlyInsideBox(Canvas<Pixel>& canvas, const SpanVertex (&triangle)[3], Pixel background)
{
    auto ceiling = [](int32_t v) { return (static_cast<int64_t>(v) + 65535) >> 16; };
    int64_t left = INT64_MAX;
    int64_t right = INT64_MIN;
    int64_t top = INT64_MAX;
    int64_t bottom = INT64_MIN;
    for (const SpanVertex& v : triangle) {
        left = std::min(left, ceiling(v.mX));
        right = std::max(right, ceiling(v.mX));
        top = std::min(top, ceiling(v.mY));
        bottom = std::max(bottom, ceiling(v.mY));
    }
    for (int y = 0; y < kCanvasSize; ++y) {
        for (int x = 0; x < kCanvasSize; ++x) {
            const bool inside = x >= left && x < right && y >= top && y < bottom;
            if (!inside && canvas.At(x, y) != background) {
                return false;
            }
        }
    }
    return true;
}

// A triangle over pixels (0, 0), (1, 0) and (0, 1) only, sampling texel
// position (u, v) and vertex colour argb at every pixel.
inline void Corner(SpanVertex (&triangle)[3], double u, double v, uint32_t argb = 0)
{
    triangle[0] = Vertex(0.0, 0.0, u, v, argb);
    triangle[1] = Vertex(2.0, 0.0, u, v, argb);
    triangle[2] = Vertex(0.0, 2.0, u, v, argb);
}

// The vertices drawn by DrawTriangles onto a fresh canvas of background,
// clipped to the whole canvas.
template <class Pixel>
std::vector<Pixel> DrawWhole(Lumo::MemoryImage* texture, int format, Pixel background, const Lumo::Color& color,
                             bool linear, bool vertexColors, const Lumo::TriangleRasterizer::ClipVertex* vertices,
                             int count)
{
    std::vector<Pixel> pixels(kCanvasSize * kCanvasSize, background);
    Lumo::TriangleRasterizer::DrawTriangles(vertices, count, texture, color, 0,
                                            Lumo::TRect<int>(0, 0, kCanvasSize, kCanvasSize), pixels.data(),
                                            kCanvasSize * static_cast<int>(sizeof(Pixel)), format, linear,
                                            vertexColors);
    return pixels;
}

// Texel position (x + 0.5) / 2 at destination x: pixel column c samples
// texel column c / 2 with a quarter texel to spare either way.
inline SpanVertex Halved(double x, double y)
{
    return Vertex(x, y, (x + 0.5) / 2.0, (y + 0.5) / 2.0);
}

// One hand-worked pixel: filler index, texture, sampled position, vertex and
// draw colour (a, r, g, b), destination before and expected after.
template <class Pixel>
struct PixelCase {
    const char* what;
    int index;
    int width;
    int height;
    std::vector<uint32_t> texels;
    double u;
    double v;
    uint32_t vertexColor;
    SpanColor color;
    Pixel dest;
    Pixel expected;
};

constexpr SpanColor kWhite = {255, 255, 255, 255};

// 3 x 3 texels for sampling: white, red, blue / green, white, red /
// transparent, half-alpha red, blue.
inline const std::vector<uint32_t> kGrid = {0xFFFFFFFF, 0xFFFF0000, 0xFF0000FF, 0xFF00FF00, 0xFFFFFFFF,
                                            0xFFFF0000, 0x00000000, 0x80FF0000, 0xFF0000FF};

// Draws c's corner triangle onto a canvas of c.dest with pixel (1, 1) set to
// background, and expects c.expected at the three covered pixels and the
// rest untouched.
template <class Pixel>
void ExpectHandCase(const PixelCase<Pixel>& c, Pixel background)
{
    SCOPED_TRACE(c.what);
    const Texture texture(c.width, c.height, c.texels);
    SpanVertex triangle[3];
    Corner(triangle, c.u, c.v, c.vertexColor);
    Canvas<Pixel> canvas(c.dest);
    canvas.At(1, 1) = background;
    Draw(c.index, triangle, canvas, texture, c.color);
    EXPECT_EQ(canvas.At(0, 0), c.expected);
    EXPECT_EQ(canvas.At(1, 0), c.expected);
    EXPECT_EQ(canvas.At(0, 1), c.expected);
    EXPECT_EQ(canvas.At(1, 1), background);
    EXPECT_EQ(canvas.At(2, 0), c.dest);
}

// A texture drawn 1:1 (one texel per pixel across, the same row along a
// row) in spans of 8 down to 1 pixels, wholly inside the texture and running
// past its last texel (read as transparent black): each pixel inside the
// triangle is pack(group, texel), the rest background.
template <class Pixel, class Pack>
void ExpectOneToOneRunsGiveTheTexels(const int (&groups)[2], Pixel background, Pack pack)
{
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 64; ++i) {
        texels.push_back(i * 0x9E3779B1u);
    }
    const Texture square(8, 8, texels);
    const Texture strip(8, 1, std::vector<uint32_t>(texels.begin(), texels.begin() + 8));
    // Rows 0-7 of 8 down to 1 pixels; texel x across, row y (square) or
    // texel x + 3 of the one row (strip, so that longer rows run past it).
    const SpanVertex onSquare[3] = {Vertex(0.0, 0.0, 0.0, 0.5), Vertex(8.0, 0.0, 8.0, 0.5), Vertex(0.0, 8.0, 0.0, 8.5)};
    const SpanVertex onStrip[3] = {Vertex(0.0, 0.0, 3.0, 0.5), Vertex(8.0, 0.0, 11.0, 0.5), Vertex(0.0, 8.0, 3.0, 0.5)};
    for (const int group : groups) {
        SCOPED_TRACE(group);
        Canvas<Pixel> squareCanvas(background);
        Draw(group + Lumo::TriangleRasterizer::kSpanTextured, onSquare, squareCanvas, square);
        Canvas<Pixel> stripCanvas(background);
        Draw(group + Lumo::TriangleRasterizer::kSpanTextured, onStrip, stripCanvas, strip);
        for (int y = 0; y < kCanvasSize; ++y) {
            for (int x = 0; x < kCanvasSize; ++x) {
                const bool inside = x < kCanvasSize - y;
                const Pixel fromSquare = pack(group, texels[y * 8 + x]);
                const Pixel fromStrip = pack(group, x + 3 < 8 ? texels[x + 3] : 0);
                EXPECT_EQ(squareCanvas.At(x, y), inside ? fromSquare : background) << x << "," << y;
                EXPECT_EQ(stripCanvas.At(x, y), inside ? fromStrip : background) << x << "," << y;
            }
        }
        EXPECT_TRUE(squareCanvas.GuardsIntact());
    }
}

// 5 x 4 texels of varied colour and alpha, for comparing palette and ARGB forms.
inline std::vector<uint32_t> VariedTexels()
{
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 20; ++i) {
        texels.push_back(((i * 13) & 0xFF) << 24 | (i * 0x0B1D07));
    }
    return texels;
}

// Expects argb and palette (the same picture in two forms) to draw the same
// pixels through DrawTriangles in both formats, for every set of the colour,
// linear and vertex-colour flags.
template <class Pixel>
void ExpectDrawAlikeOnEveryFlagSet(Lumo::MemoryImage* argb, Lumo::MemoryImage* palette, const int (&formats)[2],
                                   Pixel background)
{
    using Lumo::Color;
    const Lumo::TriangleRasterizer::ClipVertex triangle[3] = {{0.25f, 0.5f, 0.0f, 0.1f, 0xFF80FF40},
                                                              {7.5f, 1.25f, 1.0f, 0.0f, 0x80FFFFFF},
                                                              {2.0f, 7.75f, 0.3f, 1.0f, 0x40FF00FF}};
    for (const int format : formats) {
        for (int flags = 0; flags < 8; ++flags) {
            SCOPED_TRACE(flags);
            const Color color = (flags & 1) != 0 ? Color(200, 100, 255, 180) : Color::White;
            const bool linear = (flags & 2) != 0;
            const bool vertexColors = (flags & 4) != 0;
            EXPECT_EQ(DrawWhole(argb, format, background, color, linear, vertexColors, triangle, 3),
                      DrawWhole(palette, format, background, color, linear, vertexColors, triangle, 3));
        }
    }
}

// Texture positions anywhere in 32 bits, tiny and odd-sized textures: every
// texel read stays inside the texels (the sanitizer build sees any that does
// not) and no write leaves the triangle's bounding box.
template <class Pixel>
void ExpectWildTexturePositionsStayInside(uint32_t seed, const int (&groups)[2], Pixel background)
{
    std::mt19937 random(seed);
    const int sizes[][2] = {{1, 1}, {3, 2}, {2, 5}, {7, 7}};
    for (const auto& size : sizes) {
        const Texture texture(size[0], size[1], Plain(size[0] * size[1], 0x80FF8040));
        for (int round = 0; round < 200; ++round) {
            SpanVertex triangle[3];
            for (SpanVertex& v : triangle) {
                v = Vertex((random() % 33) / 4.0, (random() % 33) / 4.0, 0.0, 0.0, random());
                const int32_t spread = (round % 4 == 0) ? INT32_MAX : (size[0] + size[1]) * 65536 * 2;
                v.mU = static_cast<int32_t>(random()) % spread;
                v.mV = static_cast<int32_t>(random()) % spread;
            }
            for (const int group : groups) {
                const int flags = Lumo::TriangleRasterizer::kSpanTextured + static_cast<int>(random() % 16);
                Canvas<Pixel> canvas(background);
                Draw(group + flags, triangle, canvas, texture, {128, 200, 100, 50});
                ASSERT_TRUE(canvas.GuardsIntact());
                ASSERT_TRUE(OnlyInsideBox(canvas, triangle, background));
            }
        }
    }
}

} // namespace TexturedTestKit

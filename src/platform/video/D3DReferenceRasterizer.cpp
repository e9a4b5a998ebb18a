// The reference 3-D device's pixel pipeline.
#include "platform/video/D3DReferenceRasterizer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace Plat {

namespace {

// round(a * b / 255) for a * b + 128 up to 65535 + 128.
inline uint32_t Div255(uint32_t x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
}

inline uint32_t Mul8(uint32_t a, uint32_t b)
{
    return Div255(a * b);
}

inline int64_t FloorDiv(int64_t a, int64_t b) // b > 0
{
    int64_t q = a / b;
    if ((a % b) != 0 && a < 0) {
        --q;
    }
    return q;
}

inline int64_t CeilDiv(int64_t a, int64_t b) // b > 0
{
    return -FloorDiv(-a, b);
}

inline bool Usable(const TLVertex& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::fabs(v.x) <= D3DReferenceRasterizer::kMaxCoordinate &&
           std::fabs(v.y) <= D3DReferenceRasterizer::kMaxCoordinate;
}

// Positions with 8 fraction bits.
inline int64_t Snap(float value)
{
    return static_cast<int64_t>(std::floor(static_cast<double>(value) * 256.0 + 0.5));
}

inline uint32_t ClampChannel(double value)
{
    const double rounded = std::floor(value + 0.5);
    return rounded <= 0.0 ? 0u : rounded >= 255.0 ? 255u : static_cast<uint32_t>(rounded);
}

template <D3DReferenceRasterizer::TargetKind T>
struct TargetPixel;

template <>
struct TargetPixel<D3DReferenceRasterizer::TargetKind::k565> {
    static constexpr int kBytes = 2;
    static void Load(const uint8_t* p, uint32_t& r, uint32_t& g, uint32_t& b)
    {
        const uint32_t v = *reinterpret_cast<const uint16_t*>(p);
        r = (v >> 11) << 3;
        g = ((v >> 5) & 63) << 2;
        b = (v & 31) << 3;
    }
    static void Store(uint8_t* p, uint32_t r, uint32_t g, uint32_t b)
    {
        *reinterpret_cast<uint16_t*>(p) = static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    }
};

template <>
struct TargetPixel<D3DReferenceRasterizer::TargetKind::k555> {
    static constexpr int kBytes = 2;
    static void Load(const uint8_t* p, uint32_t& r, uint32_t& g, uint32_t& b)
    {
        const uint32_t v = *reinterpret_cast<const uint16_t*>(p);
        r = ((v >> 10) & 31) << 3;
        g = ((v >> 5) & 31) << 3;
        b = (v & 31) << 3;
    }
    static void Store(uint8_t* p, uint32_t r, uint32_t g, uint32_t b)
    {
        *reinterpret_cast<uint16_t*>(p) = static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
    }
};

template <>
struct TargetPixel<D3DReferenceRasterizer::TargetKind::k888> {
    static constexpr int kBytes = 3;
    static void Load(const uint8_t* p, uint32_t& r, uint32_t& g, uint32_t& b)
    {
        b = p[0];
        g = p[1];
        r = p[2];
    }
    static void Store(uint8_t* p, uint32_t r, uint32_t g, uint32_t b)
    {
        p[0] = static_cast<uint8_t>(b);
        p[1] = static_cast<uint8_t>(g);
        p[2] = static_cast<uint8_t>(r);
    }
};

template <>
struct TargetPixel<D3DReferenceRasterizer::TargetKind::k8888> {
    static constexpr int kBytes = 4;
    static void Load(const uint8_t* p, uint32_t& r, uint32_t& g, uint32_t& b)
    {
        const uint32_t v = *reinterpret_cast<const uint32_t*>(p);
        r = (v >> 16) & 255;
        g = (v >> 8) & 255;
        b = v & 255;
    }
    static void Store(uint8_t* p, uint32_t r, uint32_t g, uint32_t b)
    {
        *reinterpret_cast<uint32_t*>(p) = (r << 16) | (g << 8) | b;
    }
};

template <D3DReferenceRasterizer::TextureKind X>
inline uint32_t TexelInRow(const D3DReferenceRasterizer::Texture& t, const uint8_t* row, int x)
{
    if constexpr (X == D3DReferenceRasterizer::TextureKind::k8888) {
        return reinterpret_cast<const uint32_t*>(row)[x];
    } else if constexpr (X == D3DReferenceRasterizer::TextureKind::k4444) {
        const uint32_t p = reinterpret_cast<const uint16_t*>(row)[x];
        return ((p >> 12) * 17) << 24 | (((p >> 8) & 15) * 17) << 16 | (((p >> 4) & 15) * 17) << 8 | (p & 15) * 17;
    } else if constexpr (X == D3DReferenceRasterizer::TextureKind::k565) {
        const uint32_t p = reinterpret_cast<const uint16_t*>(row)[x];
        const uint32_t r = p >> 11;
        const uint32_t g = (p >> 5) & 63;
        const uint32_t b = p & 31;
        return 0xFF000000u | ((r << 3) | (r >> 2)) << 16 | ((g << 2) | (g >> 4)) << 8 | ((b << 3) | (b >> 2));
    } else {
        return t.palette[row[x]];
    }
}

template <D3DReferenceRasterizer::TextureKind X>
inline uint32_t Texel(const D3DReferenceRasterizer::Texture& t, int x, int y)
{
    return TexelInRow<X>(t, t.pixels + static_cast<std::ptrdiff_t>(y) * t.pitch, x);
}

} // namespace

bool D3DReferenceRasterizer::TargetKindOf(const DisplayPixelFormat& format, TargetKind& kind)
{
    if ((format.flags & kDdpfRgb) == 0) {
        return false;
    }
    if (format.bitCount == 16 && format.redMask == 0xF800 && format.greenMask == 0x7E0 && format.blueMask == 0x1F) {
        kind = TargetKind::k565;
    } else if (format.bitCount == 16 && format.redMask == 0x7C00 && format.greenMask == 0x3E0 &&
               format.blueMask == 0x1F) {
        kind = TargetKind::k555;
    } else if (format.bitCount == 24 && format.redMask == 0xFF0000 && format.greenMask == 0xFF00 &&
               format.blueMask == 0xFF) {
        kind = TargetKind::k888;
    } else if (format.bitCount == 32 && format.redMask == 0xFF0000 && format.greenMask == 0xFF00 &&
               format.blueMask == 0xFF) {
        kind = TargetKind::k8888;
    } else {
        return false;
    }
    return true;
}

bool D3DReferenceRasterizer::TextureKindOf(const DisplayPixelFormat& format, TextureKind& kind)
{
    if ((format.flags & kDdpfPaletteIndexed8) != 0 && format.bitCount == 8) {
        kind = TextureKind::kP8;
    } else if ((format.flags & kDdpfRgb) == 0) {
        return false;
    } else if (format.bitCount == 32 && format.alphaMask == 0xFF000000u && format.redMask == 0xFF0000 &&
               format.greenMask == 0xFF00 && format.blueMask == 0xFF) {
        kind = TextureKind::k8888;
    } else if (format.bitCount == 16 && format.alphaMask == 0xF000 && format.redMask == 0xF00 &&
               format.greenMask == 0xF0 && format.blueMask == 0xF) {
        kind = TextureKind::k4444;
    } else if (format.bitCount == 16 && format.alphaMask == 0 && format.redMask == 0xF800 &&
               format.greenMask == 0x7E0 && format.blueMask == 0x1F) {
        kind = TextureKind::k565;
    } else {
        return false;
    }
    return true;
}

void D3DReferenceRasterizer::PaletteToArgb(const uint32_t entries[256], uint32_t argb[256])
{
    for (int i = 0; i < 256; ++i) {
        const uint32_t e = entries[i];
        argb[i] = (e & 0xFF000000u) | (e & 0xFF) << 16 | (e & 0xFF00) | ((e >> 16) & 0xFF);
    }
}

namespace {

template <D3DReferenceRasterizer::TextureKind K>
void TexelRow(const D3DReferenceRasterizer::Texture& texture, const uint8_t* row, uint32_t* argb)
{
    for (int x = 0; x < texture.width; ++x)
        argb[x] = TexelInRow<K>(texture, row, x);
}

} // namespace

void D3DReferenceRasterizer::TextureRowToArgb(const Texture& texture, int y, uint32_t* argb)
{
    // One choice of format a row, not one a texel.
    const uint8_t* row = texture.pixels + static_cast<std::ptrdiff_t>(y) * texture.pitch;
    switch (texture.kind) {
    case TextureKind::k8888:
        TexelRow<TextureKind::k8888>(texture, row, argb);
        break;
    case TextureKind::k4444:
        TexelRow<TextureKind::k4444>(texture, row, argb);
        break;
    case TextureKind::k565:
        TexelRow<TextureKind::k565>(texture, row, argb);
        break;
    case TextureKind::kP8:
        TexelRow<TextureKind::kP8>(texture, row, argb);
        break;
    default:
        std::fill(argb, argb + texture.width, 0u);
        break;
    }
}

namespace {

template <D3DReferenceRasterizer::TargetKind T>
void LoadRow(const uint8_t* row, int width, uint32_t* argb)
{
    for (int x = 0; x < width; ++x, row += TargetPixel<T>::kBytes) {
        uint32_t r;
        uint32_t g;
        uint32_t b;
        TargetPixel<T>::Load(row, r, g, b);
        argb[x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
}

template <D3DReferenceRasterizer::TargetKind T>
void StoreRow(uint8_t* row, int width, const uint32_t* argb)
{
    for (int x = 0; x < width; ++x, row += TargetPixel<T>::kBytes) {
        TargetPixel<T>::Store(row, (argb[x] >> 16) & 255, (argb[x] >> 8) & 255, argb[x] & 255);
    }
}

} // namespace

void D3DReferenceRasterizer::TargetRowToArgb(const Target& target, int y, uint32_t* argb)
{
    const uint8_t* row = target.pixels + static_cast<std::ptrdiff_t>(y) * target.pitch;
    switch (target.kind) {
    case TargetKind::k565:
        LoadRow<TargetKind::k565>(row, target.width, argb);
        break;
    case TargetKind::k555:
        LoadRow<TargetKind::k555>(row, target.width, argb);
        break;
    case TargetKind::k888:
        LoadRow<TargetKind::k888>(row, target.width, argb);
        break;
    case TargetKind::k8888:
        LoadRow<TargetKind::k8888>(row, target.width, argb);
        break;
    }
}

void D3DReferenceRasterizer::StoreTargetRow(const Target& target, int y, const uint32_t* argb)
{
    uint8_t* row = target.pixels + static_cast<std::ptrdiff_t>(y) * target.pitch;
    switch (target.kind) {
    case TargetKind::k565:
        StoreRow<TargetKind::k565>(row, target.width, argb);
        break;
    case TargetKind::k555:
        StoreRow<TargetKind::k555>(row, target.width, argb);
        break;
    case TargetKind::k888:
        StoreRow<TargetKind::k888>(row, target.width, argb);
        break;
    case TargetKind::k8888:
        StoreRow<TargetKind::k8888>(row, target.width, argb);
        break;
    }
}

D3DReferenceRasterizer::Blend D3DReferenceRasterizer::BlendOf(bool enabled, uint32_t srcBlend, uint32_t destBlend,
                                                              uint32_t quirks)
{
    if (!enabled) {
        return Blend::kNone;
    }
    Blend blend = Blend::kNone;
    if (srcBlend == kD3dblendSrcAlpha && destBlend == kD3dblendInvSrcAlpha) {
        blend = (quirks & kD3dQuirkAlphaAsAdditive) != 0 ? Blend::kAlphaAdd : Blend::kAlpha;
    } else if (srcBlend == kD3dblendSrcAlpha && destBlend == kD3dblendOne) {
        blend = (quirks & kD3dQuirkAlphaAddAsAdditive) != 0 ? Blend::kAdd : Blend::kAlphaAdd;
    } else if (srcBlend == kD3dblendOne && destBlend == kD3dblendOne) {
        blend = (quirks & kD3dQuirkAdditiveAsAlpha) != 0 ? Blend::kAlpha : Blend::kAdd;
    }
    // Any other pair draws unblended (ONE/ZERO).
    return blend;
}

void D3DReferenceRasterizer::SetViewport(const DisplayRect& rect)
{
    mViewport.left = std::max(rect.left, 0);
    mViewport.top = std::max(rect.top, 0);
    mViewport.right = std::min(rect.right, mTarget.width);
    mViewport.bottom = std::min(rect.bottom, mTarget.height);
}

void D3DReferenceRasterizer::Clear(uint32_t argb)
{
    const uint32_t r = (argb >> 16) & 255;
    const uint32_t g = (argb >> 8) & 255;
    const uint32_t b = argb & 255;
    for (int y = mViewport.top; y < mViewport.bottom; ++y) {
        uint8_t* row = mTarget.pixels + static_cast<std::ptrdiff_t>(y) * mTarget.pitch;
        for (int x = mViewport.left; x < mViewport.right; ++x) {
            switch (mTarget.kind) {
            case TargetKind::k565:
                TargetPixel<TargetKind::k565>::Store(row + x * 2, r, g, b);
                break;
            case TargetKind::k555:
                TargetPixel<TargetKind::k555>::Store(row + x * 2, r, g, b);
                break;
            case TargetKind::k888:
                TargetPixel<TargetKind::k888>::Store(row + x * 3, r, g, b);
                break;
            case TargetKind::k8888:
                TargetPixel<TargetKind::k8888>::Store(row + x * 4, r, g, b);
                break;
            }
        }
    }
}

template <D3DReferenceRasterizer::TargetKind T, D3DReferenceRasterizer::TextureKind X>
void D3DReferenceRasterizer::Span(int y, int x0, int x1, Attributes at, const Attributes& step, bool flatColour)
{
    using Pixel = TargetPixel<T>;
    uint8_t* p = mTarget.pixels + static_cast<std::ptrdiff_t>(y) * mTarget.pitch + static_cast<std::ptrdiff_t>(x0) * Pixel::kBytes;
    const Blend blend = mBlend;
    const bool linear = mLinear;
    const bool modulateAlpha = mModulateAlpha && (mQuirks & kD3dQuirkIgnoreDiffuseAlpha) == 0;
    const int maxX = mTexture.width - 1;
    const int maxY = mTexture.height - 1;
    uint32_t dr = ClampChannel(at.r);
    uint32_t dg = ClampChannel(at.g);
    uint32_t db = ClampChannel(at.b);
    uint32_t da = ClampChannel(at.a);
    // Texture coordinates step in 16.16 fixed point along the span: exact
    // for whole-texel steps, and no float rounding per pixel.
    constexpr double kHeld = 1 << 20; // far outside any texture; clamped anyway
    const int64_t stepU = static_cast<int64_t>(std::floor(std::clamp(step.u, -kHeld, kHeld) * 65536.0 + 0.5));
    const int64_t stepV = static_cast<int64_t>(std::floor(std::clamp(step.v, -kHeld, kHeld) * 65536.0 + 0.5));
    int64_t u = static_cast<int64_t>(std::floor(std::clamp(at.u, -kHeld, kHeld) * 65536.0 + 0.5));
    int64_t v = static_cast<int64_t>(std::floor(std::clamp(at.v, -kHeld, kHeld) * 65536.0 + 0.5));
    const int shift = mTexelShift;
    bool pixelOff = mPixelOffPending;
    for (int x = x0; x < x1; ++x, p += Pixel::kBytes, u += stepU, v += stepV) {
        if (!flatColour) {
            dr = ClampChannel(at.r);
            dg = ClampChannel(at.g);
            db = ClampChannel(at.b);
            da = ClampChannel(at.a);
        }
        uint32_t sr = dr;
        uint32_t sg = dg;
        uint32_t sb = db;
        uint32_t sa = da;
        if constexpr (X != TextureKind::kNone) {
            uint32_t tr;
            uint32_t tg;
            uint32_t tb;
            uint32_t ta;
            if (!linear) {
                int64_t tx = (u >> 16) + shift;
                int64_t ty = v >> 16;
                tx = tx < 0 ? 0 : tx > maxX ? maxX : tx;
                ty = ty < 0 ? 0 : ty > maxY ? maxY : ty;
                const uint32_t t = Texel<X>(mTexture, static_cast<int>(tx), static_cast<int>(ty));
                ta = t >> 24;
                tr = (t >> 16) & 255;
                tg = (t >> 8) & 255;
                tb = t & 255;
            } else {
                // Texel centres sit half a texel in; weights in 1/256.
                const int64_t cu = u - 32768;
                const int64_t cv = v - 32768;
                int64_t tx0 = (cu >> 16) + shift;
                int64_t ty0 = cv >> 16;
                uint32_t wx = static_cast<uint32_t>(((cu & 0xFFFF) + 128) >> 8);
                uint32_t wy = static_cast<uint32_t>(((cv & 0xFFFF) + 128) >> 8);
                if (wx == 256) {
                    ++tx0;
                    wx = 0;
                }
                if (wy == 256) {
                    ++ty0;
                    wy = 0;
                }
                const int tx1 = static_cast<int>(tx0 + 1 < 0 ? 0 : tx0 + 1 > maxX ? maxX : tx0 + 1);
                const int ty1 = static_cast<int>(ty0 + 1 < 0 ? 0 : ty0 + 1 > maxY ? maxY : ty0 + 1);
                const int cx0 = static_cast<int>(tx0 < 0 ? 0 : tx0 > maxX ? maxX : tx0);
                const int cy0 = static_cast<int>(ty0 < 0 ? 0 : ty0 > maxY ? maxY : ty0);
                const uint8_t* row0 = mTexture.pixels + static_cast<std::ptrdiff_t>(cy0) * mTexture.pitch;
                const uint8_t* row1 = mTexture.pixels + static_cast<std::ptrdiff_t>(ty1) * mTexture.pitch;
                const uint32_t t00 = TexelInRow<X>(mTexture, row0, cx0);
                const uint32_t t10 = TexelInRow<X>(mTexture, row0, tx1);
                const uint32_t t01 = TexelInRow<X>(mTexture, row1, cx0);
                const uint32_t t11 = TexelInRow<X>(mTexture, row1, tx1);
                const uint32_t w00 = (256 - wx) * (256 - wy);
                const uint32_t w10 = wx * (256 - wy);
                const uint32_t w01 = (256 - wx) * wy;
                const uint32_t w11 = wx * wy;
                auto mix = [&](int bits) {
                    return (((t00 >> bits) & 255) * w00 + ((t10 >> bits) & 255) * w10 +
                            ((t01 >> bits) & 255) * w01 + ((t11 >> bits) & 255) * w11 + 32768) >>
                           16;
                };
                ta = mix(24);
                tr = mix(16);
                tg = mix(8);
                tb = mix(0);
            }
            sr = Mul8(tr, dr);
            sg = Mul8(tg, dg);
            sb = Mul8(tb, db);
            sa = modulateAlpha ? Mul8(ta, da) : ta;
        }
        if (pixelOff) {
            pixelOff = false;
            mPixelOffPending = false;
            Pixel::Store(p, 128, 128, 128);
        } else if (blend == Blend::kNone) {
            Pixel::Store(p, sr, sg, sb);
        } else {
            uint32_t r;
            uint32_t g;
            uint32_t b;
            Pixel::Load(p, r, g, b);
            if (blend == Blend::kAlpha) {
                const uint32_t inv = 255 - sa;
                r = Div255(sr * sa + r * inv);
                g = Div255(sg * sa + g * inv);
                b = Div255(sb * sa + b * inv);
            } else if (blend == Blend::kAlphaAdd) {
                r = std::min(255u, r + Mul8(sr, sa));
                g = std::min(255u, g + Mul8(sg, sa));
                b = std::min(255u, b + Mul8(sb, sa));
            } else {
                r = std::min(255u, r + sr);
                g = std::min(255u, g + sg);
                b = std::min(255u, b + sb);
            }
            Pixel::Store(p, r, g, b);
        }
        if (!flatColour) {
            at.r += step.r;
            at.g += step.g;
            at.b += step.b;
            at.a += step.a;
        }
    }
}

template <D3DReferenceRasterizer::TargetKind T>
void D3DReferenceRasterizer::SpanFor(int y, int x0, int x1, const Attributes& at, const Attributes& step,
                                     bool flatColour)
{
    switch (mTexture.kind) {
    case TextureKind::kNone:
        Span<T, TextureKind::kNone>(y, x0, x1, at, step, flatColour);
        break;
    case TextureKind::k8888:
        Span<T, TextureKind::k8888>(y, x0, x1, at, step, flatColour);
        break;
    case TextureKind::k4444:
        Span<T, TextureKind::k4444>(y, x0, x1, at, step, flatColour);
        break;
    case TextureKind::k565:
        Span<T, TextureKind::k565>(y, x0, x1, at, step, flatColour);
        break;
    case TextureKind::kP8:
        if (mTexture.palette != nullptr) {
            Span<T, TextureKind::kP8>(y, x0, x1, at, step, flatColour);
        }
        break;
    }
}

void D3DReferenceRasterizer::RunSpan(int y, int x0, int x1, const Attributes& at, const Attributes& step,
                                     bool flatColour)
{
    switch (mTarget.kind) {
    case TargetKind::k565:
        SpanFor<TargetKind::k565>(y, x0, x1, at, step, flatColour);
        break;
    case TargetKind::k555:
        SpanFor<TargetKind::k555>(y, x0, x1, at, step, flatColour);
        break;
    case TargetKind::k888:
        SpanFor<TargetKind::k888>(y, x0, x1, at, step, flatColour);
        break;
    case TargetKind::k8888:
        SpanFor<TargetKind::k8888>(y, x0, x1, at, step, flatColour);
        break;
    }
}

void D3DReferenceRasterizer::DrawTriangle(const TLVertex& a, const TLVertex& b, const TLVertex& c)
{
    if (mTarget.pixels == nullptr || !Usable(a) || !Usable(b) || !Usable(c) || mViewport.Width() <= 0 ||
        mViewport.Height() <= 0) {
        return;
    }
    const TLVertex* v[3] = {&a, &b, &c};
    int64_t X[3];
    int64_t Y[3];
    for (int i = 0; i < 3; ++i) {
        X[i] = Snap(v[i]->x);
        Y[i] = Snap(v[i]->y);
    }
    int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
    // Positive area: clockwise on the screen (y runs down).
    if (area == 0 || (mCull > 0 && area > 0) || (mCull < 0 && area < 0)) {
        return;
    }
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
        area = -area;
    }
    mTexelShift = (mQuirks & kD3dQuirkTexelShift) != 0 && (a.x < 0.0f || b.x < 0.0f || c.x < 0.0f) ? 1 : 0;

    // Attribute planes over the snapped positions (in pixels).
    const double x0 = static_cast<double>(X[0]) / 256.0;
    const double y0 = static_cast<double>(Y[0]) / 256.0;
    const double ex1 = static_cast<double>(X[1] - X[0]) / 256.0;
    const double ey1 = static_cast<double>(Y[1] - Y[0]) / 256.0;
    const double ex2 = static_cast<double>(X[2] - X[0]) / 256.0;
    const double ey2 = static_cast<double>(Y[2] - Y[0]) / 256.0;
    const double det = ex1 * ey2 - ex2 * ey1;
    auto plane = [&](double a0, double a1, double a2, double& base, double& gx, double& gy) {
        const double d1 = a1 - a0;
        const double d2 = a2 - a0;
        gx = (d1 * ey2 - d2 * ey1) / det;
        gy = (d2 * ex1 - d1 * ex2) / det;
        base = a0;
    };
    const double tw = mTexture.width;
    const double th = mTexture.height;
    Attributes base{};
    Attributes gx{};
    Attributes gy{};
    plane(v[0]->u * tw, v[1]->u * tw, v[2]->u * tw, base.u, gx.u, gy.u);
    plane(v[0]->v * th, v[1]->v * th, v[2]->v * th, base.v, gx.v, gy.v);
    const bool flat = v[0]->diffuse == v[1]->diffuse && v[0]->diffuse == v[2]->diffuse;
    auto channel = [&](int shift, double& b0, double& cx, double& cy) {
        if (flat) {
            b0 = static_cast<double>((v[0]->diffuse >> shift) & 255);
            cx = 0.0;
            cy = 0.0;
            return;
        }
        plane(static_cast<double>((v[0]->diffuse >> shift) & 255), static_cast<double>((v[1]->diffuse >> shift) & 255),
              static_cast<double>((v[2]->diffuse >> shift) & 255), b0, cx, cy);
    };
    channel(16, base.r, gx.r, gy.r);
    channel(8, base.g, gx.g, gy.g);
    channel(0, base.b, gx.b, gy.b);
    channel(24, base.a, gx.a, gy.a);

    // Edges a -> b with the interior on the positive side; top and left
    // edges keep the pixels whose centres lie on them.
    struct Edge {
        int64_t ax, ay, dx, dy;
        int64_t bias;
    } edges[3];
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        Edge& e = edges[i];
        e.ax = X[i];
        e.ay = Y[i];
        e.dx = X[j] - X[i];
        e.dy = Y[j] - Y[i];
        const bool topLeft = e.dy < 0 || (e.dy == 0 && e.dx > 0);
        e.bias = topLeft ? 0 : -1;
    }
    const int64_t minY = std::min({Y[0], Y[1], Y[2]});
    const int64_t maxY = std::max({Y[0], Y[1], Y[2]});
    const int64_t minX = std::min({X[0], X[1], X[2]});
    const int64_t maxX = std::max({X[0], X[1], X[2]});
    const int yStart = static_cast<int>(std::max<int64_t>(CeilDiv(minY, 256), mViewport.top));
    const int yEnd = static_cast<int>(std::min<int64_t>(FloorDiv(maxY, 256) + 1, mViewport.bottom));
    const int64_t spanMin = std::max<int64_t>(CeilDiv(minX, 256), mViewport.left);
    const int64_t spanMax = std::min<int64_t>(FloorDiv(maxX, 256) + 1, mViewport.right);
    for (int py = yStart; py < yEnd; ++py) {
        const int64_t sy = static_cast<int64_t>(py) * 256;
        int64_t left = spanMin;
        int64_t right = spanMax; // exclusive
        for (const Edge& e : edges) {
            // E(px) = dx * (sy - ay) - dy * (256 px - ax) + bias >= 0
            const int64_t c = e.dx * (sy - e.ay) + e.dy * e.ax + e.bias;
            const int64_t k = -256 * e.dy;
            if (k > 0) {
                left = std::max(left, CeilDiv(-c, k));
            } else if (k < 0) {
                right = std::min(right, FloorDiv(c, -k) + 1);
            } else if (c < 0) {
                right = left;
            }
        }
        if (left >= right) {
            continue;
        }
        const double dxp = static_cast<double>(left) - x0;
        const double dyp = static_cast<double>(py) - y0;
        Attributes at;
        at.u = base.u + gx.u * dxp + gy.u * dyp;
        at.v = base.v + gx.v * dxp + gy.v * dyp;
        at.r = base.r + gx.r * dxp + gy.r * dyp;
        at.g = base.g + gx.g * dxp + gy.g * dyp;
        at.b = base.b + gx.b * dxp + gy.b * dyp;
        at.a = base.a + gx.a * dxp + gy.a * dyp;
        RunSpan(py, static_cast<int>(left), static_cast<int>(right), at, gx, flat);
    }
}

void D3DReferenceRasterizer::DrawLine(const TLVertex& a, const TLVertex& b)
{
    if (mTarget.pixels == nullptr || !Usable(a) || !Usable(b)) {
        return;
    }
    const Texture saved = mTexture;
    mTexture.kind = TextureKind::kNone; // lines take the vertex colour
    mTexelShift = 0;
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    const double length = xMajor ? std::fabs(dx) : std::fabs(dy);
    const int64_t first = static_cast<int64_t>(std::floor((xMajor ? a.x : a.y) + 0.5));
    const int64_t last = static_cast<int64_t>(std::floor((xMajor ? b.x : b.y) + 0.5));
    const int64_t count = last >= first ? last - first : first - last;
    const int64_t direction = last >= first ? 1 : -1;
    const Attributes none{};
    for (int64_t i = 0; i < count; ++i) {
        const int64_t major = first + i * direction;
        const double t = length > 0.0 ? std::fabs(static_cast<double>(major) - (xMajor ? a.x : a.y)) / length : 0.0;
        const double minor = (xMajor ? a.y + dy * t : a.x + dx * t);
        const int64_t m = static_cast<int64_t>(std::floor(minor + 0.5));
        const int64_t px = xMajor ? major : m;
        const int64_t py = xMajor ? m : major;
        if (px < mViewport.left || px >= mViewport.right || py < mViewport.top || py >= mViewport.bottom) {
            continue;
        }
        Attributes at{};
        for (int shift : {16, 8, 0, 24}) {
            const double ca = static_cast<double>((a.diffuse >> shift) & 255);
            const double cb = static_cast<double>((b.diffuse >> shift) & 255);
            const double value = ca + (cb - ca) * t;
            (shift == 16 ? at.r : shift == 8 ? at.g : shift == 0 ? at.b : at.a) = value;
        }
        RunSpan(static_cast<int>(py), static_cast<int>(px), static_cast<int>(px) + 1, at, none, false);
    }
    mTexture = saved;
}

} // namespace Plat

// The reference 3-D device's pixel pipeline: triangles and lines of
// pre-transformed vertices drawn straight into surface memory with the
// rules the display code was written for: pixel centres at integer
// coordinates, the top-left fill rule on positions with 8 fraction bits,
// affine texture coordinates and colour, point sampling at floor(u * w) or
// bilinear at u * w - 0.5 with clamped addressing, texel times vertex colour,
// and the blend pairs SRCALPHA/INVSRCALPHA, SRCALPHA/ONE and ONE/ONE (or
// none). Targets are 5:6:5, 5:5:5, 24- and 32-bit; textures 8888, 4444, 5:6:5
// and 8-bit with a palette. It shares nothing with the software rasterizer,
// so each can check the other.
#pragma once

#include "platform/video/D3DTypes.h"
#include "platform/video/DisplayTypes.h"

#include <cstdint>

namespace Plat {

class D3DReferenceRasterizer {
public:
    enum class Blend { kNone, kAlpha, kAlphaAdd, kAdd };
    enum class TargetKind { k565, k555, k888, k8888 };
    enum class TextureKind { kNone, k8888, k4444, k565, kP8 };

    struct Target {
        uint8_t* pixels = nullptr;
        int pitch = 0;
        int width = 0;
        int height = 0;
        TargetKind kind = TargetKind::k8888;
    };
    struct Texture {
        const uint8_t* pixels = nullptr;
        int pitch = 0;
        int width = 0;
        int height = 0;
        TextureKind kind = TextureKind::kNone;
        const uint32_t* palette = nullptr; // 256 ARGB words for kP8
    };

    // False for a layout it does not draw.
    static bool TargetKindOf(const DisplayPixelFormat& format, TargetKind& kind);
    static bool TextureKindOf(const DisplayPixelFormat& format, TextureKind& kind);
    // A blend kind from the render states.
    static Blend BlendOf(bool enabled, uint32_t srcBlend, uint32_t destBlend, uint32_t quirks);
    // Palette entries (0xAABBGGRR, alpha in the flags byte) as ARGB.
    static void PaletteToArgb(const uint32_t entries[256], uint32_t argb[256]);
    // One row of a texture as ARGB, expanded as the sampler expands texels.
    static void TextureRowToArgb(const Texture& texture, int y, uint32_t* argb);
    // One row of a target as opaque ARGB, as blending reads it; and back,
    // as blending stores it.
    static void TargetRowToArgb(const Target& target, int y, uint32_t* argb);
    static void StoreTargetRow(const Target& target, int y, const uint32_t* argb);

    void SetTarget(const Target& target) { mTarget = target; }
    // Drawing stays inside the rect (cut to the target).
    void SetViewport(const DisplayRect& rect);
    void SetTexture(const Texture& texture) { mTexture = texture; }
    void SetBlend(Blend blend) { mBlend = blend; }
    void SetLinear(bool linear) { mLinear = linear; }
    // The vertex alpha scales the texel alpha (texture stage alpha op MODULATE).
    void SetModulateAlpha(bool modulate) { mModulateAlpha = modulate; }
    void SetQuirks(uint32_t quirks) { mQuirks = quirks; }
    // 1 drops triangles that run clockwise on the screen, -1 the others, 0 none.
    void SetCull(int cull) { mCull = cull; }

    // Skips a triangle with a corner that is not finite or lies farther
    // than kMaxCoordinate from the origin.
    void DrawTriangle(const TLVertex& a, const TLVertex& b, const TLVertex& c);
    // From a to b, the last pixel left out.
    void DrawLine(const TLVertex& a, const TLVertex& b);
    // Fills the viewport with an ARGB colour, unblended.
    void Clear(uint32_t argb);
    // Marks the next drawn pixel for the pixel-off quirk.
    void BeginPrimitive() { mPixelOffPending = (mQuirks & kD3dQuirkPixelOff) != 0; }

    static constexpr float kMaxCoordinate = 524288.0f;

    // Per-row attribute stepping, one value per channel; public for the
    // span functions of the .cpp.
    struct Attributes {
        double u, v, r, g, b, a;
    };

private:
    template <TargetKind T, TextureKind X>
    void Span(int y, int x0, int x1, Attributes at, const Attributes& step, bool flatColour);
    template <TargetKind T>
    void SpanFor(int y, int x0, int x1, const Attributes& at, const Attributes& step, bool flatColour);
    void RunSpan(int y, int x0, int x1, const Attributes& at, const Attributes& step, bool flatColour);

    Target mTarget;
    Texture mTexture;
    DisplayRect mViewport;
    Blend mBlend = Blend::kAlpha;
    bool mLinear = false;
    bool mModulateAlpha = true;
    bool mPixelOffPending = false;
    uint32_t mQuirks = 0;
    int mCull = 0;
    int mTexelShift = 0; // the texel-shift quirk of the triangle being drawn
};

} // namespace Plat

// The locked surface as the drawing loops see it: where its rows are, which
// of the three pixel layouts it has (16-bit 5:6:5 or 5:5:5, 32-bit), and per
// channel the mask, the shift of its lowest bit and its width. Also the
// 16-bit "spread" form, which spaces the three channels of a 5:6:5 or 5:5:5
// pixel apart in a 32-bit word so that one multiplication by a 5-bit weight
// scales all three.
#pragma once

#include "framework/display/DisplayPixel.h"
#include "platform/video/DisplayTypes.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace Lumo {

struct SurfaceView {
    enum Kind { kNone, k565, k555, k32 };

    Kind kind = kNone;
    uint8_t* bits = nullptr;
    ptrdiff_t pitch = 0; // bytes from row to row
    int width = 0;
    int height = 0;
    uint32_t mask[3] = {0, 0, 0}; // red, green, blue
    int shift[3] = {0, 0, 0};
    int size[3] = {0, 0, 0}; // channel widths in bits
    bool bytes = false;      // 32-bit with three 8-bit channels in the low 24 bits (any order)

    template <typename Word>
    Word* Row(int y) const
    {
        return reinterpret_cast<Word*>(bits + static_cast<ptrdiff_t>(y) * pitch);
    }

    // The view of a locked surface of width x height pixels; kNone for a
    // layout the loops do not draw.
    static SurfaceView Of(const Plat::SurfaceDesc& desc, int width, int height)
    {
        SurfaceView view;
        const Plat::DisplayPixelFormat& f = desc.pixelFormat;
        const DisplayChannels c = MakeDisplayChannels(f.redMask, f.greenMask, f.blueMask);
        view.mask[0] = c.redMask;
        view.mask[1] = c.greenMask;
        view.mask[2] = c.blueMask;
        view.shift[0] = c.redShift;
        view.shift[1] = c.greenShift;
        view.shift[2] = c.blueShift;
        view.size[0] = c.redBits;
        view.size[1] = c.greenBits;
        view.size[2] = c.blueBits;
        view.bits = static_cast<uint8_t*>(desc.surface);
        view.pitch = desc.pitch;
        view.width = std::min(width, static_cast<int>(desc.width));
        view.height = std::min(height, static_cast<int>(desc.height));
        if (view.bits == nullptr || view.width <= 0 || view.height <= 0) {
            return view;
        }
        if (f.bitCount == 16 && f.redMask == 0xF800 && f.greenMask == 0x7E0 && f.blueMask == 0x1F &&
            view.pitch >= 2 * view.width) {
            view.kind = k565;
        } else if (f.bitCount == 16 && f.redMask == 0x7C00 && f.greenMask == 0x3E0 && f.blueMask == 0x1F &&
                   view.pitch >= 2 * view.width) {
            view.kind = k555;
        } else if (f.bitCount == 32 && view.pitch >= 4 * view.width) {
            bool sound = true;
            for (int i = 0; i < 3; ++i) {
                sound = sound && view.size[i] >= 1 && view.size[i] <= 8;
            }
            view.kind = sound ? k32 : kNone;
            view.bytes = sound && view.size[0] == 8 && view.size[1] == 8 && view.size[2] == 8 &&
                         (view.mask[0] | view.mask[1] | view.mask[2]) == 0xFFFFFFu && view.mask[1] == 0xFF00u;
        }
        return view;
    }
};

// Calls body(std::integral_constant<Kind, layout>) for the view's layout, so
// that the loops are chosen once per call; nothing for kNone.
template <typename Body>
void ForLayout(const SurfaceView& view, Body&& body)
{
    switch (view.kind) {
    case SurfaceView::k565:
        body(std::integral_constant<SurfaceView::Kind, SurfaceView::k565>{});
        break;
    case SurfaceView::k555:
        body(std::integral_constant<SurfaceView::Kind, SurfaceView::k555>{});
        break;
    case SurfaceView::k32:
        body(std::integral_constant<SurfaceView::Kind, SurfaceView::k32>{});
        break;
    case SurfaceView::kNone:
        break;
    }
}

// A channel's mask, shift and width (0 red, 1 green, 2 blue): constants for
// the 16-bit layouts, so that the loops fold them; the view's own for 32-bit
// pixels, whose channel order varies.
template <SurfaceView::Kind K>
inline uint32_t MaskOf(const SurfaceView& v, int i)
{
    if constexpr (K == SurfaceView::k565) {
        return i == 0 ? 0xF800u : (i == 1 ? 0x7E0u : 0x1Fu);
    } else if constexpr (K == SurfaceView::k555) {
        return i == 0 ? 0x7C00u : (i == 1 ? 0x3E0u : 0x1Fu);
    } else {
        return v.mask[i];
    }
}

template <SurfaceView::Kind K>
inline int ShiftOf(const SurfaceView& v, int i)
{
    if constexpr (K == SurfaceView::k565) {
        return i == 0 ? 11 : (i == 1 ? 5 : 0);
    } else if constexpr (K == SurfaceView::k555) {
        return i == 0 ? 10 : (i == 1 ? 5 : 0);
    } else {
        return v.shift[i];
    }
}

template <SurfaceView::Kind K>
inline int SizeOf(const SurfaceView& v, int i)
{
    if constexpr (K == SurfaceView::k565) {
        return i == 1 ? 6 : 5;
    } else if constexpr (K == SurfaceView::k555) {
        return 5;
    } else {
        return v.size[i];
    }
}

// Three 8-bit channels of d each plus the term's, saturating (a 32-bit
// pixel with byte channels); the unused top byte comes out 0.
inline uint32_t AddBytes(uint32_t d, uint32_t term)
{
    const __m128i sum = _mm_adds_epu8(_mm_cvtsi32_si128(static_cast<int>(d)),
                                      _mm_cvtsi32_si128(static_cast<int>(term & 0xFFFFFFu)));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(sum)) & 0xFFFFFFu;
}

// The pixel word of a layout.
template <SurfaceView::Kind K>
using SurfaceWord = std::conditional_t<K == SurfaceView::k32, uint32_t, uint16_t>;

// ---- The spread form of 16-bit pixels

template <SurfaceView::Kind K>
constexpr uint32_t kSpreadMask = K == SurfaceView::k565 ? 0x07E0F81Fu : 0x03E07C1Fu;

template <SurfaceView::Kind K>
inline uint32_t Spread(uint32_t p)
{
    if constexpr (K == SurfaceView::k565) {
        return ((p & 0x7E0u) << 16) | (p & 0xF81Fu);
    } else {
        return ((p & 0x3E0u) << 16) | (p & 0x7C1Fu);
    }
}

// A spread word back to its 16-bit pixel.
inline uint32_t Unspread(uint32_t v)
{
    return ((v >> 16) | v) & 0xFFFFu;
}

// The top bits of an 0xAARRGGBB word's colour channels, in spread layout.
template <SurfaceView::Kind K>
inline uint32_t SpreadOfArgb(uint32_t s)
{
    if constexpr (K == SurfaceView::k565) {
        return ((s & 0xFC00u) * 0x800u) + ((s >> 3) & 0x1Fu) + ((s >> 8) & 0xF800u);
    } else {
        return ((s >> 3) & 0x1Fu) + ((s >> 9) & 0x7C00u) + ((s & 0xF800u) * 0x400u);
    }
}

// A colour channel held to 0-255; a caller's out-of-range value must not
// spill into the neighbouring channel.
inline uint32_t Channel255(int value)
{
    return static_cast<uint32_t>(std::clamp(value, 0, 255));
}

// The channel value saturated at the channel's largest value (the display's
// saturation tables hold min(i, 2^width - 1)).
inline uint32_t Saturate(uint32_t value, int width)
{
    const uint32_t top = (1u << width) - 1u;
    return value < top ? value : top;
}

} // namespace Lumo

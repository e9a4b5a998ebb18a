// The surface image's unscaled blit loops on its locked surface: normal and
// additive, straight and mirrored, for 5:6:5, 5:5:5 and 32-bit pixels. They
// read the source's premultiplied display-format words and its run-length
// bytes, so that transparent runs are skipped and opaque ones copied; a
// volatile source is blended from its 32-bit pixels instead. A source with
// a surface of its own is copied by one display blit where the picture
// allows it.
#include "framework/display/DDImage.h"

#include "framework/display/DDInterface.h"
#include "framework/display/SurfaceView.h"
#include "framework/graphics/BlitArea.h"
#include "framework/graphics/Color.h"
#include "platform/video/DisplaySurface.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>

namespace Lumo {

namespace {

using Kind = SurfaceView::Kind;

// The source's premultiplied display words: one per pixel, or (palette
// form) a table of 256 addressed by the pixel's index byte. Two types, so
// that the loops do not test which per pixel.
struct PlainWords {
    const uint32_t* words;
    int width; // pixels from row to row

    uint32_t At(size_t i) const { return words[i]; }
};

struct PaletteWords {
    const uint32_t* words;
    const uint8_t* indices;
    int width;

    uint32_t At(size_t i) const { return words[indices[i]]; }
};

// The colour a blit is drawn in: white, a grey (r' = g' = b'), or another.
enum class Tint { kWhite, kGrey, kOther };

struct TintTerms {
    uint32_t f[3]; // r', g', b': channel x alpha / 255
    uint32_t alpha;
    uint32_t q;          // grey, 16-bit: f >> 3
    uint16_t keep[256];  // by source alpha T: 256 - T x alpha / 255
};

TintTerms TermsOf(const Color& color)
{
    TintTerms t{};
    t.alpha = Channel255(color.mAlpha);
    t.f[0] = Channel255(color.mRed) * t.alpha / 255;
    t.f[1] = Channel255(color.mGreen) * t.alpha / 255;
    t.f[2] = Channel255(color.mBlue) * t.alpha / 255;
    t.q = t.f[0] >> 3;
    for (uint32_t T = 0; T < 256; ++T) {
        t.keep[T] = static_cast<uint16_t>(256 - T * t.alpha / 255);
    }
    return t;
}

// One destination pixel d under source word p of the run class (opaque:
// T = 255 and the colour alpha 255).
template <Kind K, Tint kTint>
inline uint32_t BlendNormal(const SurfaceView& v, uint32_t d, uint32_t p, bool opaque, const TintTerms& t)
{
    const uint32_t T = p >> 24;
    if constexpr (kTint == Tint::kWhite) {
        if (opaque) {
            return p;
        }
        if constexpr (K == SurfaceView::k32) {
            const uint32_t k = 256 - T;
            return (((d & 0xFF00u) * k >> 8) & 0xFF00u) + (((d & 0xFF00FFu) * k >> 8) & 0xFF00FFu) + p;
        } else {
            const uint32_t k = (256 - T) >> 3;
            return Unspread((Spread<K>(d) * k >> 5) & kSpreadMask<K>) + (p & 0xFFFFu);
        }
    } else if constexpr (kTint == Tint::kGrey) {
        const uint32_t c = t.f[0];
        if constexpr (K == SurfaceView::k32) {
            if (opaque) {
                return (((p & 0xFF00FFu) * c >> 8) & 0xFF00FFu) + (((p & 0xFF00u) * c >> 8) & 0xFF00u);
            }
            const uint32_t k = t.keep[T];
            return ((((d & 0xFF00FFu) * k + (p & 0xFF00FFu) * c) >> 8) & 0xFF00FFu) +
                   ((((d & 0xFF00u) * k + (p & 0xFF00u) * c) >> 8) & 0xFF00u);
        } else {
            if (opaque) {
                return Unspread((Spread<K>(p) * t.q >> 5) & kSpreadMask<K>);
            }
            const uint32_t k = uint32_t(t.keep[T]) >> 3;
            return Unspread(((Spread<K>(p) * t.q + Spread<K>(d) * k) >> 5) & kSpreadMask<K>);
        }
    } else {
        uint32_t out = 0;
        if (opaque) {
            for (int i = 0; i < 3; ++i) {
                out += ((p & MaskOf<K>(v, i)) * t.f[i] >> 8) & MaskOf<K>(v, i);
            }
            return out;
        }
        const uint32_t k = t.keep[T];
        for (int i = 0; i < 3; ++i) {
            out += (((d & MaskOf<K>(v, i)) * k + (p & MaskOf<K>(v, i)) * t.f[i]) >> 8) & MaskOf<K>(v, i);
        }
        return out;
    }
}

// Where the run starting at i ends, cut to the row (a 0 byte moves on by one).
inline int RunEnd(const uint8_t* runs, int i, int count)
{
    const int n = runs[i];
    return n > count - i ? count : i + (n == 0 ? 1 : n);
}

// Four 32-bit pixels with byte channels through BlendNormal's arithmetic,
// each channel in a 16-bit lane: white, (d x (256 - T)) >> 8 plus the
// source word; a colour, (d x k + p x f) >> 8 with k from the run (0 for an
// opaque one). No lane passes 65535, and no channel 255 before the pack.
template <Tint kTint>
inline void BlendBytes4(uint32_t* d, const uint32_t* p, bool opaque, const TintTerms& t, __m128i factors)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i pv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    short k[4];
    for (int i = 0; i < 4; ++i) {
        const uint32_t T = p[i] >> 24;
        k[i] = static_cast<short>(kTint == Tint::kWhite ? 256 - T : (opaque ? 0u : t.keep[T]));
    }
    const __m128i kLo = _mm_set_epi16(k[1], k[1], k[1], k[1], k[0], k[0], k[0], k[0]);
    const __m128i kHi = _mm_set_epi16(k[3], k[3], k[3], k[3], k[2], k[2], k[2], k[2]);
    const __m128i dLo = _mm_unpacklo_epi8(dv, zero);
    const __m128i dHi = _mm_unpackhi_epi8(dv, zero);
    const __m128i pLo = _mm_unpacklo_epi8(pv, zero);
    const __m128i pHi = _mm_unpackhi_epi8(pv, zero);
    __m128i out;
    if constexpr (kTint == Tint::kWhite) {
        const __m128i lo = _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(dLo, kLo), 8), pLo);
        const __m128i hi = _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(dHi, kHi), 8), pHi);
        // The sum keeps the source word's top byte.
        out = _mm_or_si128(_mm_and_si128(_mm_packus_epi16(lo, hi), _mm_set1_epi32(0x00FFFFFF)),
                           _mm_and_si128(pv, _mm_set1_epi32(static_cast<int>(0xFF000000u))));
    } else {
        const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(dLo, kLo), _mm_mullo_epi16(pLo, factors)), 8);
        const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(dHi, kHi), _mm_mullo_epi16(pHi, factors)), 8);
        out = _mm_and_si128(_mm_packus_epi16(lo, hi), _mm_set1_epi32(0x00FFFFFF));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), out);
}

template <Kind K, Tint kTint, bool kMirror, typename Src>
void NormalRuns(const SurfaceView& v, const Src& src, const uint8_t* runs, const BlitArea& a,
                const TintTerms& t)
{
    using Word = SurfaceWord<K>;
    const int step = kMirror ? -1 : 1;
    const bool fullAlpha = t.alpha == 255;
    // The colour's factor for each byte of a 32-bit pixel (none for the top one).
    uint16_t byteFactor[4] = {0, 0, 0, 0};
    if constexpr (K == SurfaceView::k32) {
        for (int k = 0; k < 3; ++k) {
            byteFactor[(ShiftOf<K>(v, k) / 8) & 3] = static_cast<uint16_t>(t.f[k]);
        }
    }
    const __m128i factors = _mm_set_epi16(short(byteFactor[3]), short(byteFactor[2]), short(byteFactor[1]),
                                          short(byteFactor[0]), short(byteFactor[3]), short(byteFactor[2]),
                                          short(byteFactor[1]), short(byteFactor[0]));
    for (int j = 0; j < a.height; ++j) {
        const size_t srcRow = size_t(a.srcY + j) * size_t(src.width) + size_t(a.srcX);
        const uint8_t* rowRuns = runs + srcRow;
        Word* out = v.Row<Word>(a.dstY + j) + (kMirror ? a.dstX + a.width - 1 : a.dstX);
        int i = 0;
        while (i < a.width) {
            const int end = RunEnd(rowRuns, i, a.width);
            const uint32_t T = src.At(srcRow + size_t(i)) >> 24;
            if (T != 0) {
                const bool opaque = T == 255 && fullAlpha;
                int n = i;
                if constexpr (K == SurfaceView::k32) {
                    if (v.bytes && !(kTint == Tint::kWhite && opaque)) {
                        for (; n + 4 <= end; n += 4) {
                            uint32_t pw[4];
                            uint32_t dw[4];
                            for (int q = 0; q < 4; ++q) {
                                pw[q] = src.At(srcRow + size_t(n + q));
                                dw[q] = out[(n + q) * step];
                            }
                            BlendBytes4<kTint>(dw, pw, opaque, t, factors);
                            for (int q = 0; q < 4; ++q) {
                                out[(n + q) * step] = dw[q];
                            }
                        }
                    }
                }
                for (; n < end; ++n) {
                    Word& d = out[n * step];
                    d = static_cast<Word>(BlendNormal<K, kTint>(v, d, src.At(srcRow + size_t(n)), opaque, t));
                }
            }
            i = end;
        }
    }
}

// A source without partly transparent pixels, in white: copied, or with
// transparency, only the pixels whose alpha is not 0.
template <Kind K, bool kMirror, typename Src>
void CopyOpaque(const SurfaceView& v, const Src& src, const BlitArea& a, bool keyed)
{
    using Word = SurfaceWord<K>;
    const int step = kMirror ? -1 : 1;
    for (int j = 0; j < a.height; ++j) {
        const size_t srcRow = size_t(a.srcY + j) * size_t(src.width) + size_t(a.srcX);
        Word* out = v.Row<Word>(a.dstY + j) + (kMirror ? a.dstX + a.width - 1 : a.dstX);
        if (!keyed) {
            for (int n = 0; n < a.width; ++n) {
                out[n * step] = static_cast<Word>(src.At(srcRow + size_t(n)));
            }
        } else {
            for (int n = 0; n < a.width; ++n) {
                const uint32_t p = src.At(srcRow + size_t(n));
                if ((p >> 24) != 0) {
                    out[n * step] = static_cast<Word>(p);
                }
            }
        }
    }
}

// A volatile source in white, from its 32-bit pixels: every pixel blended
// with its own alpha, no runs.
template <Kind K, bool kMirror>
void BlendVolatile(const SurfaceView& v, const uint32_t* bits, const uint32_t* table, const uint8_t* indices,
                   int srcWidth, const BlitArea& a, bool rgbOrder)
{
    using Word = SurfaceWord<K>;
    const int step = kMirror ? -1 : 1;
    const bool spreadForm = K != SurfaceView::k32 && rgbOrder && bits != nullptr;
    for (int j = 0; j < a.height; ++j) {
        const size_t srcRow = size_t(a.srcY + j) * size_t(srcWidth) + size_t(a.srcX);
        Word* out = v.Row<Word>(a.dstY + j) + (kMirror ? a.dstX + a.width - 1 : a.dstX);
        for (int n = 0; n < a.width; ++n) {
            const size_t i = srcRow + size_t(n);
            const uint32_t s = bits != nullptr ? bits[i] : table[indices[i]];
            const uint32_t alpha = s >> 24;
            Word& p = out[n * step];
            const uint32_t d = p;
            uint32_t result = 0;
            if constexpr (K != SurfaceView::k32) {
                if (spreadForm) {
                    // (S - D) x alpha wraps; the fields' gaps absorb it.
                    const uint32_t S = SpreadOfArgb<K>(s);
                    const uint32_t D = Spread<K>(d);
                    result = Unspread(((((S - D) * (s >> 27)) >> 5) + D) & kSpreadMask<K>);
                } else {
                    const uint32_t c[3] = {(s >> 16) & 0xFF, (s >> 8) & 0xFF, s & 0xFF};
                    for (int k = 0; k < 3; ++k) {
                        const uint32_t m = MaskOf<K>(v, k);
                        result += (((d & m) * (256 - alpha) + (c[k] * alpha * m >> 8) + (m >> 1)) >> 8) & m;
                    }
                }
            } else if (rgbOrder) {
                const uint32_t rb = d & 0xFF00FFu;
                const uint32_t g = d & 0xFF00u;
                result = ((((((s & 0xFF00FFu) - rb) * alpha) >> 8) + rb) & 0xFF00FFu) |
                         ((((((s & 0xFF00u) - g) * alpha) >> 8) + g) & 0xFF00u);
            } else {
                const uint32_t c[3] = {(s >> 16) & 0xFF, (s >> 8) & 0xFF, s & 0xFF};
                for (int k = 0; k < 3; ++k) {
                    const uint32_t m = MaskOf<K>(v, k);
                    result += (((d & m) * (256 - alpha) + ((c[k] * alpha) >> 8) * m + (m >> 1)) >> 8) & m;
                }
            }
            p = static_cast<Word>(result);
        }
    }
}

template <Kind K, bool kWhite, bool kMirror, typename Src>
void AddRuns(const SurfaceView& v, const Src& src, const uint8_t* runs, const BlitArea& a,
             const TintTerms& t)
{
    using Word = SurfaceWord<K>;
    const int step = kMirror ? -1 : 1;
    for (int j = 0; j < a.height; ++j) {
        const size_t srcRow = size_t(a.srcY + j) * size_t(src.width) + size_t(a.srcX);
        const uint8_t* rowRuns = runs + srcRow;
        Word* out = v.Row<Word>(a.dstY + j) + (kMirror ? a.dstX + a.width - 1 : a.dstX);
        int i = 0;
        while (i < a.width) {
            const int end = RunEnd(rowRuns, i, a.width);
            if ((src.At(srcRow + size_t(i)) & 0xFFFFFFu) != 0) {
                for (int n = i; n < end; ++n) {
                    const uint32_t p = src.At(srcRow + size_t(n));
                    Word& dp = out[n * step];
                    const uint32_t d = dp;
                    if constexpr (K == SurfaceView::k32) {
                        if (v.bytes) {
                            // Byte channels: the saturation tables are a saturating byte add.
                            uint32_t term = p;
                            if constexpr (!kWhite) {
                                term = 0;
                                for (int k = 0; k < 3; ++k) {
                                    const int s = ShiftOf<K>(v, k);
                                    term |= ((((p >> s) & 0xFFu) * t.f[k]) >> 8) << s;
                                }
                            }
                            dp = AddBytes(d, term);
                            continue;
                        }
                    }
                    uint32_t result = 0;
                    for (int k = 0; k < 3; ++k) {
                        const uint32_t m = MaskOf<K>(v, k);
                        const int s = ShiftOf<K>(v, k);
                        const uint32_t sum = kWhite ? ((d & m) + (p & m)) >> s
                                                    : ((((p & m) >> s) * t.f[k]) >> 8) + ((d & m) >> s);
                        result |= Saturate(sum, SizeOf<K>(v, k)) << s;
                    }
                    dp = static_cast<Word>(result);
                }
            }
            i = end;
        }
    }
}

template <Kind K, bool kMirror, typename Src>
void NormalRunsFor(const SurfaceView& v, const Src& src, const uint8_t* runs, const BlitArea& a,
                   const Color& color, const TintTerms& t)
{
    if (color == Color::White) {
        NormalRuns<K, Tint::kWhite, kMirror>(v, src, runs, a, t);
    } else if (t.f[0] == t.f[1] && t.f[1] == t.f[2]) {
        NormalRuns<K, Tint::kGrey, kMirror>(v, src, runs, a, t);
    } else {
        NormalRuns<K, Tint::kOther, kMirror>(v, src, runs, a, t);
    }
}

// A source that is a surface image whose pixels cannot be read draws nothing.
bool ReadableSource(MemoryImage* source)
{
    DDImage* surfaceImage = dynamic_cast<DDImage*>(source);
    return surfaceImage == nullptr || surfaceImage->mColorTable != nullptr || surfaceImage->GetBits() != nullptr;
}

} // namespace

bool DDImage::BltFromSurface(DDImage* source, const Plat::DisplayRect& destRect, const Plat::DisplayRect& srcRect)
{
    Plat::DisplaySurface* target = GetSurface();
    if (target == nullptr || source->mSurface == nullptr) {
        return false;
    }
    Plat::BltFx fx;
    fx.size = Plat::kBltFxSize;
    const uint32_t flags = Plat::kDdbltWait | (source->mHasTrans ? Plat::kDdbltKeySrc : 0u);
    // A lock held on this image (a frame drawn under one) is let go for the blit.
    const bool relock = mLockCount > 0;
    if (relock) {
        target->Unlock(nullptr);
    }
    const Plat::HResult result = target->Blt(&destRect, source->mSurface, &srcRect, flags, &fx);
    if (relock) {
        target->Lock(nullptr, &mLockedSurfaceDesc, Plat::kDdlockWait);
    }
    KeepSurfaceOnly();
    return !Plat::Failed(result);
}

void DDImage::BlitLoop(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color, bool additive,
                       bool mirror)
{
    MemoryImage* source = dynamic_cast<MemoryImage*>(image);
    if (source == nullptr || !ReadableSource(source)) {
        return;
    }
    DDImage* surfaceSource = dynamic_cast<DDImage*>(source);
    const bool sourceSurface = surfaceSource != nullptr && surfaceSource->mSurface != nullptr;
    source->CommitBits();
    const bool white = color == Color::White;

    // An opaque surface picture is copied by the display.
    if (!additive && !mirror && sourceSurface && !source->mHasAlpha && white &&
        (mVideoMemory || !surfaceSource->mVideoMemory)) {
        BlitArea a{};
        if (ClipBlit(source->mWidth, source->mHeight, mWidth, mHeight, x, y, srcRect, false, a)) {
            const Plat::DisplayRect dest{a.dstX, a.dstY, a.dstX + a.width, a.dstY + a.height};
            const Plat::DisplayRect src{a.srcX, a.srcY, a.srcX + a.width, a.srcY + a.height};
            BltFromSurface(surfaceSource, dest, src);
        }
        return;
    }
    if (mNoLock) {
        return;
    }

    BlitArea a{};
    if (!ClipBlit(source->mWidth, source->mHeight, mWidth, mHeight, x, y, srcRect, mirror, a)) {
        return;
    }
    const bool palette = source->mColorTable != nullptr && source->mColorIndices != nullptr;
    // The mirrored loops always walk the runs.
    const bool volatilePath = !additive && !mirror && source->mIsVolatile && !sourceSurface && white;

    // What the loops read, made before the lock (the source may be this image).
    const uint32_t* bits = nullptr;
    const uint32_t* words = nullptr;
    const uint8_t* runs = nullptr;
    if (volatilePath) {
        bits = palette ? nullptr : source->GetBits();
        if (!palette && bits == nullptr) {
            return;
        }
    } else {
        words = source->GetNativeAlphaData(mDDInterface);
        if (additive) {
            runs = source->GetRLAdditiveData(mDDInterface);
        } else if (source->mHasAlpha || !white) {
            runs = source->GetRLAlphaData();
        }
        if (words == nullptr) {
            return;
        }
    }
    const uint32_t* table = source->mColorTable.get();
    const uint8_t* indices = source->mColorIndices.get();
    const bool keyed = source->mHasTrans;
    const TintTerms t = TermsOf(color);

    SurfaceView view;
    if (!BeginSurfaceLoop(view)) {
        return;
    }
    // The view is no larger than the image the area was cut to.
    if (a.dstX + a.width <= view.width && a.dstY + a.height <= view.height) {
        const bool rgbOrder = gRGBOrder;
        const auto draw = [&](const auto& native) {
            ForLayout(view, [&](auto k) {
                constexpr Kind K = decltype(k)::value;
                if (volatilePath) {
                    if (mirror) {
                        BlendVolatile<K, true>(view, bits, table, indices, source->mWidth, a, rgbOrder);
                    } else {
                        BlendVolatile<K, false>(view, bits, table, indices, source->mWidth, a, rgbOrder);
                    }
                } else if (additive) {
                    if (white && mirror) {
                        AddRuns<K, true, true>(view, native, runs, a, t);
                    } else if (white) {
                        AddRuns<K, true, false>(view, native, runs, a, t);
                    } else if (mirror) {
                        AddRuns<K, false, true>(view, native, runs, a, t);
                    } else {
                        AddRuns<K, false, false>(view, native, runs, a, t);
                    }
                } else if (runs == nullptr) {
                    if (mirror) {
                        CopyOpaque<K, true>(view, native, a, keyed);
                    } else {
                        CopyOpaque<K, false>(view, native, a, keyed);
                    }
                } else if (mirror) {
                    NormalRunsFor<K, true>(view, native, runs, a, color, t);
                } else {
                    NormalRunsFor<K, false>(view, native, runs, a, color, t);
                }
            });
        };
        if (palette) {
            draw(PaletteWords{words, indices, source->mWidth});
        } else {
            draw(PlainWords{words, source->mWidth});
        }
    }
    EndSurfaceLoop();
}

void DDImage::NormalBlt(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color)
{
    BlitLoop(image, x, y, srcRect, color, false, false);
}

void DDImage::AdditiveBlt(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color)
{
    BlitLoop(image, x, y, srcRect, color, true, false);
}

void DDImage::NormalBltMirror(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color)
{
    BlitLoop(image, x, y, srcRect, color, false, true);
}

void DDImage::AdditiveBltMirror(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color)
{
    BlitLoop(image, x, y, srcRect, color, true, true);
}

} // namespace Lumo

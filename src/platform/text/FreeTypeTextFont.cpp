#include "platform/text/FreeTypeTextFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <utility>

namespace Plat {

struct FreeTypeTextFont::Library {
    FT_Library library = nullptr;
    std::mutex lock; // FreeType wants face creation and release serialised per library

    Library()
    {
        if (FT_Init_FreeType(&library) != 0) {
            library = nullptr;
        }
    }
    ~Library()
    {
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
};

namespace {

// The platform gives a font of height 0 this em height.
constexpr int kDefaultPixelsPerEm = 16;
// Far above any text the program draws; keeps a wild size from asking for
// glyph bitmaps of gigabytes.
constexpr int kMaxPixelsPerEm = 1000;
constexpr int kBoldWeight = 600;

// a * b / c rounded half up, for non-negative a and b and positive c.
int RoundedScale(long a, long b, long c)
{
    return static_cast<int>((a * b * 2 + c) / (c * 2));
}

} // namespace

std::shared_ptr<FreeTypeTextFont::Library> FreeTypeTextFont::CreateLibrary()
{
    return std::make_shared<Library>();
}

FreeTypeTextFont::FreeTypeTextFont(std::shared_ptr<Library> library, const std::string& path, int faceIndex,
                                   const FontDescription& description)
    : mLibrary(std::move(library)), mDescription(description)
{
    if (mLibrary == nullptr || mLibrary->library == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(mLibrary->lock);
        FT_Face face = nullptr;
        if (FT_New_Face(mLibrary->library, path.c_str(), faceIndex, &face) != 0) {
            return;
        }
        mFace = face;
    }
    // Prefer the Unicode map; FreeType picks it by default when present.
    FT_Select_Charmap(mFace, FT_ENCODING_UNICODE);

    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(mFace, FT_SFNT_OS2));
    const bool faceIsBold =
        os2 != nullptr ? os2->usWeightClass >= kBoldWeight : (mFace->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    const bool faceIsItalic = (mFace->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    mSyntheticBold = description.weight >= kBoldWeight && !faceIsBold;
    mSyntheticItalic = description.italic && !faceIsItalic;
    SetSize();
}

FreeTypeTextFont::~FreeTypeTextFont()
{
    if (mFace != nullptr) {
        std::lock_guard<std::mutex> guard(mLibrary->lock);
        FT_Done_Face(mFace);
    }
}

void FreeTypeTextFont::SetSize()
{
    FT_Face face = mFace;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    // Ascent and descent in font units: the OS/2 table's Windows metrics,
    // else the face's own.
    long ascentUnits = face->ascender;
    long descentUnits = -face->descender;
    if (os2 != nullptr && os2->version != 0xFFFF) {
        ascentUnits = os2->usWinAscent;
        descentUnits = os2->usWinDescent;
    }

    const int height = mDescription.height;
    int ppem = kDefaultPixelsPerEm;
    if (height < 0) {
        ppem = height < -kMaxPixelsPerEm ? kMaxPixelsPerEm : -height;
    } else if (height > 0 && FT_IS_SCALABLE(face) && ascentUnits + descentUnits > 0) {
        // A cell height: the em that makes ascent + descent that tall.
        ppem = RoundedScale(std::min(height, kMaxPixelsPerEm), face->units_per_EM, ascentUnits + descentUnits);
    } else if (height > 0) {
        ppem = std::min(height, kMaxPixelsPerEm);
    }
    ppem = std::clamp(ppem, 1, kMaxPixelsPerEm);

    if (FT_IS_SCALABLE(face)) {
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));
        mPixelsPerEm = ppem;
        mMetrics.ascent = ScaleUnits(static_cast<int>(ascentUnits));
        mMetrics.descent = ScaleUnits(static_cast<int>(descentUnits));
    } else if (face->num_fixed_sizes > 0) {
        // A bitmap face: the strike nearest the size asked for.
        int best = 0;
        for (int i = 1; i < face->num_fixed_sizes; ++i) {
            const int distance = std::abs(static_cast<int>(face->available_sizes[i].y_ppem >> 6) - ppem);
            const int bestDistance = std::abs(static_cast<int>(face->available_sizes[best].y_ppem >> 6) - ppem);
            if (distance < bestDistance) {
                best = i;
            }
        }
        FT_Select_Size(face, best);
        mPixelsPerEm = static_cast<int>(face->size->metrics.y_ppem);
        mMetrics.ascent = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
        mMetrics.descent = static_cast<int>((-face->size->metrics.descender + 32) >> 6);
    }
    mMetrics.height = mMetrics.ascent + mMetrics.descent;
}

int FreeTypeTextFont::ScaleUnits(int units) const
{
    const long upem = mFace->units_per_EM > 0 ? mFace->units_per_EM : 2048;
    if (units < 0) {
        return -RoundedScale(-units, mPixelsPerEm, upem);
    }
    return RoundedScale(units, mPixelsPerEm, upem);
}

const FontDescription& FreeTypeTextFont::GetDescription() const
{
    return mDescription;
}

TextMetrics FreeTypeTextFont::GetMetrics() const
{
    return mMetrics;
}

std::string FreeTypeTextFont::GetFamilyName() const
{
    if (mFace == nullptr || mFace->family_name == nullptr) {
        return std::string();
    }
    return mFace->family_name;
}

const FreeTypeTextFont::Glyph& FreeTypeTextFont::GetGlyph(unsigned char byte)
{
    Glyph& glyph = mGlyphs[byte];
    if (glyph.loaded || mFace == nullptr) {
        return glyph;
    }
    glyph.loaded = true;

    FT_Face face = mFace;
    const FT_UInt index = FT_Get_Char_Index(face, Windows1252ToUnicode(byte));
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) {
        return glyph;
    }
    FT_GlyphSlot slot = face->glyph;
    int advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (mSyntheticItalic) {
            FT_GlyphSlot_Oblique(slot);
        }
        if (mSyntheticBold) {
            // As the platform's made-up bold: one pixel wider, one pixel
            // further to the next character.
            FT_Outline_EmboldenXY(&slot->outline, 64, 0);
            advance += 1;
        }
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
            glyph.advance = advance;
            return glyph;
        }
    }
    glyph.advance = advance;

    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.buffer == nullptr || bitmap.width == 0 || bitmap.rows == 0) {
        return glyph;
    }
    const bool gray = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!gray && !mono) {
        return glyph;
    }
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    glyph.coverage.assign(static_cast<size_t>(glyph.width) * glyph.rows, 0);
    const int levels = gray && bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
    for (int row = 0; row < glyph.rows; ++row) {
        const unsigned char* src = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
        uint8_t* dst = glyph.coverage.data() + static_cast<size_t>(row) * glyph.width;
        for (int col = 0; col < glyph.width; ++col) {
            if (mono) {
                dst[col] = ((src[col >> 3] >> (7 - (col & 7))) & 1) != 0 ? 255 : 0;
            } else if (levels == 255) {
                dst[col] = src[col];
            } else {
                dst[col] = static_cast<uint8_t>(std::min(255, src[col] * 255 / levels));
            }
        }
    }
    return glyph;
}

int FreeTypeTextFont::MeasureWidth(const char* text, size_t length)
{
    int width = 0;
    for (size_t i = 0; i < length; ++i) {
        width += GetGlyph(static_cast<unsigned char>(text[i])).advance;
    }
    return width;
}

void FreeTypeTextFont::DrawText(const char* text, size_t length, int x, int y, uint32_t rgb, uint32_t* pixels,
                                int width, int height, int pitch)
{
    if (mFace == nullptr || pixels == nullptr || width <= 0 || height <= 0) {
        return;
    }
    const int baseline = y + mMetrics.ascent;
    int pen = x;
    for (size_t i = 0; i < length; ++i) {
        const Glyph& glyph = GetGlyph(static_cast<unsigned char>(text[i]));
        DrawGlyph(glyph, pen, baseline, rgb, pixels, width, height, pitch);
        pen += glyph.advance;
    }
    if (mDescription.underline) {
        DrawUnderline(x, pen - x, baseline, rgb, pixels, width, height, pitch);
    }
}

void FreeTypeTextFont::DrawGlyph(const Glyph& glyph, int penX, int baseline, uint32_t rgb, uint32_t* pixels,
                                 int width, int height, int pitch) const
{
    if (glyph.rows == 0) {
        return;
    }
    const int left = penX + glyph.left;
    const int top = baseline - glyph.top;
    const int col0 = std::max(0, -left);
    const int col1 = std::min(glyph.width, width - left);
    const int row0 = std::max(0, -top);
    const int row1 = std::min(glyph.rows, height - top);
    const uint32_t red = (rgb >> 16) & 0xFF;
    const uint32_t green = (rgb >> 8) & 0xFF;
    const uint32_t blue = rgb & 0xFF;
    for (int row = row0; row < row1; ++row) {
        const uint8_t* coverage = glyph.coverage.data() + static_cast<size_t>(row) * glyph.width;
        uint32_t* line = pixels + static_cast<long>(top + row) * pitch;
        for (int col = col0; col < col1; ++col) {
            const uint32_t c = coverage[col];
            if (c == 0) {
                continue;
            }
            uint32_t* dst = line + left + col;
            const uint32_t d = *dst;
            *dst = (d & 0xFF000000) | (BlendCoverage((d >> 16) & 0xFF, red, c) << 16) |
                       (BlendCoverage((d >> 8) & 0xFF, green, c) << 8) | BlendCoverage(d & 0xFF, blue, c);
        }
    }
}

void FreeTypeTextFont::DrawUnderline(int x, int textWidth, int baseline, uint32_t rgb, uint32_t* pixels, int width,
                                     int height, int pitch) const
{
    int thickness = 1;
    int offset = 1; // rows below the baseline
    if (FT_IS_SCALABLE(mFace)) {
        thickness = std::max(1, ScaleUnits(mFace->underline_thickness));
        // The face gives the centre of the stroke, negative below the baseline.
        offset = std::max(1, ScaleUnits(-mFace->underline_position) - thickness / 2);
    }
    const int row0 = std::max(0, baseline + offset);
    const int row1 = std::min(height, baseline + offset + thickness);
    const int col0 = std::max(0, x);
    const int col1 = std::min(width, x + textWidth);
    const uint32_t color = rgb & 0xFFFFFF;
    for (int row = row0; row < row1; ++row) {
        uint32_t* dst = pixels + static_cast<long>(row) * pitch;
        for (int col = col0; col < col1; ++col) {
            dst[col] = (dst[col] & 0xFF000000) | color;
        }
    }
}

} // namespace Plat

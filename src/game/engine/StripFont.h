// A font cut from one strip image: rows of glyphs of a fixed height, side by
// side and separated by fully transparent columns, named in order by a
// character string. Measures and draws text through the Platform layer.
#pragma once

#include "game/engine/EngineUtilities.h"

#include <cstdint>
#include <string>

class ImageCache;
class ImageRecord;
class Platform;

// A glyph's box in the strip image: left, top, one past the right, bottom row.
struct GlyphBox {
    float mX0 = 0.0f;
    float mY0 = 0.0f;
    float mX1 = 0.0f;
    float mY1 = 0.0f;
    bool operator==(const GlyphBox&) const = default;
};

class StripFont {
public:
    static constexpr int kGlyphCount = 256; // characters index the tables as unsigned bytes
    static constexpr int kJustifyLeft = 0;
    static constexpr int kJustifyCentre = 1;
    static constexpr int kJustifyRight = 2;

    explicit StripFont(ImageCache* cache);
    ~StripFont();
    StripFont(const StripFont&) = delete;
    StripFont& operator=(const StripFont&) = delete;

    // Takes the strip image from the cache and cuts it with the given row
    // step. False (and nothing held) when the image or its pixels cannot be
    // had, or the step is not positive.
    bool Load(const char* name, const char* characters, int rowStep);

    // Cuts the pixels (rows of rowWords words, width x height of them used)
    // into bands of rowStep rows; a band that would end on the bottom edge is
    // not cut. Each run of inked columns (some alpha not 0) in a band is the
    // box of the next character of the string; cutting stops at the string's
    // end. The space takes the box of "I". Returns the number of boxes cut.
    // Sizes beyond the pixels given are cut down to them.
    static int CutGlyphs(const uint32_t* bits, int rowWords, int width, int height, int rowStep,
                         const char* characters, GlyphBox* table);

    // Moves the kerned box's edges of one character.
    void Kern(unsigned char character, float dx0, float dx1);

    // Sum of the glyph widths times scale, plus spacing between characters
    // (not after the last). 0 without a font or text.
    static float MeasureString(const StripFont* font, const char* text, float scale, float spacing);

    // The centre x of each character relative to the text's anchor, as text
    // objects place their characters: characters follow each other with
    // spacing times scale between them on whole pixels, kerning moving
    // each one; the anchor is the left end, the middle or the right end by
    // justification. Calls place(index, centreX) for every character.
    template <typename Place>
    void PlaceCharacters(const char* text, float scale, float spacing, int justification, Place&& place) const;

    // Draws the text with its characters' centres on the line y, anchored at
    // x by justification, at the given scale and colour (0 .. 1). Spaces move
    // the pen and draw nothing.
    void DrawString(Platform& platform, const char* text, float x, float y, float scale, float spacing,
                    int justification, float r = 1.0f, float g = 1.0f, float b = 1.0f, float a = 1.0f) const;

    const std::string& GetName() const { return mName; }
    const std::string& GetCharacters() const { return mCharacters; }
    ImageRecord* GetImage() const { return mImage; }
    const GlyphBox& Glyph(unsigned char character) const { return mGlyphs[character]; }
    const GlyphBox& KernedGlyph(unsigned char character) const { return mKerned[character]; }

private:
    static bool ColumnInked(const uint32_t* band, int rowWords, int rows, int x);
    void ReleaseImage();
    // The pen's walk over the text at one scale: the width of the whole
    // text, and through place() each character's offset from the left end.
    template <typename Place>
    float Walk(const char* text, float scale, float spacing, Place&& place) const;

    ImageCache* mCache;
    std::string mName;
    std::string mCharacters;
    GlyphBox mGlyphs[kGlyphCount];
    GlyphBox mKerned[kGlyphCount];
    ImageRecord* mImage = nullptr;
};

template <typename Place>
float StripFont::Walk(const char* text, float scale, float spacing, Place&& place) const
{
    int pen = 0;
    for (int i = 0; text[i] != '\0'; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const GlyphBox& kerned = mKerned[c];
        const GlyphBox& plain = mGlyphs[c];
        const float half = (kerned.mX1 - kerned.mX0) / 2.0f * scale;
        const float centre = static_cast<float>(pen) + half;
        place(i, static_cast<float>(SaturateToInt(double(centre - kerned.mX0 + plain.mX0 - kerned.mX1 + plain.mX1))));
        pen = SaturateToInt(double(scale * spacing + centre + half));
    }
    return static_cast<float>(pen) - scale * spacing;
}

template <typename Place>
void StripFont::PlaceCharacters(const char* text, float scale, float spacing, int justification, Place&& place) const
{
    if (text == nullptr || text[0] == '\0')
        return;
    const float width = Walk(text, scale, spacing, [](int, float) {});
    float anchor = -width / 2.0f;
    if (justification == kJustifyLeft)
        anchor = 0.0f;
    else if (justification == kJustifyRight)
        anchor = -width;
    Walk(text, scale, spacing, [&](int index, float offset) { place(index, anchor + offset); });
}

// One layer of a bitmap font: 256 glyph entries cut from one image, with the
// layer's metrics, colours, draw mode, point-size range and tags. Glyph
// entries are indexed by glyph index, a byte (0-255).
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"
#include "framework/graphics/SharedImageRef.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Lumo {

class FontData;

// Where a glyph lies in the layer image and how it sits on the pen.
struct FontGlyph {
    TRect<int> mImageRect;
    int mOffsetX = 0;             // added to the pen position
    int mOffsetY = 0;
    int8_t mKerningOffsets[256] = {}; // applied when followed by glyph k
    int mWidth = 0;               // the advance
    int mOrder = 0;               // drawing order within a string
};

class FontLayer {
public:
    static constexpr int kGlyphCount = 256;

    explicit FontLayer(FontData* fontData);
    // Copies everything but the name and the image file name, which start
    // empty; the image reference is shared (one more count), never owned.
    FontLayer(const FontLayer& other);
    FontLayer& operator=(const FontLayer&) = delete;
    ~FontLayer();

    FontGlyph& Glyph(uint8_t index) { return mGlyphs[index]; }
    const FontGlyph& Glyph(uint8_t index) const { return mGlyphs[index]; }
    // The picture the glyphs are cut from: the unshared image when held,
    // else the shared record's image; null when none.
    Image* GetImage();

    FontData* mFontData;
    std::string mLayerName;                // upper case
    std::vector<std::string> mRequiredTags; // upper case
    std::vector<std::string> mExcludedTags; // upper case
    FontGlyph mGlyphs[kGlyphCount];
    Color mColorMult;                      // (255, 255, 255, 255)
    Color mColorAdd;                       // (0, 0, 0, 0)
    SharedImageRef mImage;
    std::string mImageFileName;            // the path the image was loaded from
    int mDrawMode;                         // -1 the context's mode, 0 normal, 1 additive
    int mOffsetX;
    int mOffsetY;
    int mSpacing;                          // added to every advance followed by a character
    int mMinPointSize;                     // -1
    int mMaxPointSize;                     // -1: no upper bound
    int mPointSize;                        // size the glyphs were drawn at; 0 = any
    int mAscent;
    int mAscentPadding;
    int mHeight;
    int mDefaultHeight;                    // from the image map; used when mHeight is 0
    int mLineSpacingOffset;
    int mBaseOrder;
};

} // namespace Lumo

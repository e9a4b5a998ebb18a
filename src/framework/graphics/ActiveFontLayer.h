// A font layer as one image font uses it at its current point size and
// scale: the picture its glyphs are drawn from and where each glyph lies in it.
#pragma once

#include "framework/graphics/Rect.h"

namespace Lumo {

class FontLayer;
class Image;

class ActiveFontLayer {
public:
    ActiveFontLayer();
    // Copies the rectangles and the layer; an owned image is copied too.
    ActiveFontLayer(const ActiveFontLayer& other);
    ActiveFontLayer& operator=(const ActiveFontLayer&) = delete;
    virtual ~ActiveFontLayer();

    FontLayer* mBaseFontLayer;
    Image* mImage;
    bool mOwnsImage;                 // made by Prepare; deleted with this layer
    TRect<int> mScaledCharImageRects[256];
};

} // namespace Lumo

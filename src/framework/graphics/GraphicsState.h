// The state of a drawing context: destination, translation, scale, clip
// rectangle, colour, font, draw mode and the image-drawing flags. A context
// saves and restores copies of it on its stack.
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"

namespace Lumo {

class Font;
class Image;

class GraphicsState {
public:
    // The defaults on a destination: no translation, scale 1, the clip
    // covering the whole destination, opaque black, no font, normal drawing.
    explicit GraphicsState(Image* destImage);

    Image* mDestImage;          // drawn into; never null
    float mTransX;
    float mTransY;
    float mScaleX;
    float mScaleY;
    float mScaleOrigX;          // the point that stays fixed when scaling
    float mScaleOrigY;
    TRect<int> mClipRect;       // pixels of the destination; always inside it
    Color mColor;
    Font* mFont;                // not owned
    int mDrawMode;              // 0 normal, 1 additive
    bool mColorizeImages;       // images take the state colour, else white
    bool mFastStretch;          // nearest-sample stretching
    bool mWriteColoredString;   // WriteString obeys colour tags
    bool mLinearBlend;          // filtered matrix blits
    bool mIs3D;                 // the destination is the display's screen with 3-D on; set by the display side
};

} // namespace Lumo

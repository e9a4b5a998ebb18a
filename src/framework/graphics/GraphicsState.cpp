// Defaults of a drawing context's state.
#include "framework/graphics/GraphicsState.h"

#include "framework/graphics/Image.h"

namespace Lumo {

GraphicsState::GraphicsState(Image* destImage)
    : mDestImage(destImage),
      mTransX(0.0f),
      mTransY(0.0f),
      mScaleX(1.0f),
      mScaleY(1.0f),
      mScaleOrigX(0.0f),
      mScaleOrigY(0.0f),
      mClipRect(0, 0, destImage->GetWidth(), destImage->GetHeight()),
      mColor(0, 0, 0, 255),
      mFont(nullptr),
      mDrawMode(0),
      mColorizeImages(false),
      mFastStretch(false),
      mWriteColoredString(true),
      mLinearBlend(false),
      mIs3D(false)
{
}

} // namespace Lumo

// Font layer defaults and copying.
#include "framework/graphics/FontLayer.h"

#include "framework/graphics/Image.h"
#include "framework/graphics/MemoryImage.h"

namespace Lumo {

FontLayer::FontLayer(FontData* fontData)
    : mFontData(fontData),
      mColorMult(255, 255, 255, 255),
      mColorAdd(0, 0, 0, 0),
      mDrawMode(-1),
      mOffsetX(0),
      mOffsetY(0),
      mSpacing(0),
      mMinPointSize(-1),
      mMaxPointSize(-1),
      mPointSize(0),
      mAscent(0),
      mAscentPadding(0),
      mHeight(0),
      mDefaultHeight(0),
      mLineSpacingOffset(0),
      mBaseOrder(0)
{
}

FontLayer::FontLayer(const FontLayer& other)
    : mFontData(other.mFontData),
      mRequiredTags(other.mRequiredTags),
      mExcludedTags(other.mExcludedTags),
      mColorMult(other.mColorMult),
      mColorAdd(other.mColorAdd),
      mImage(other.mImage),
      mDrawMode(other.mDrawMode),
      mOffsetX(other.mOffsetX),
      mOffsetY(other.mOffsetY),
      mSpacing(other.mSpacing),
      mMinPointSize(other.mMinPointSize),
      mMaxPointSize(other.mMaxPointSize),
      mPointSize(other.mPointSize),
      mAscent(other.mAscent),
      mAscentPadding(other.mAscentPadding),
      mHeight(other.mHeight),
      mDefaultHeight(other.mDefaultHeight),
      mLineSpacingOffset(other.mLineSpacingOffset),
      mBaseOrder(other.mBaseOrder)
{
    for (int i = 0; i < kGlyphCount; ++i)
        mGlyphs[i] = other.mGlyphs[i];
}

FontLayer::~FontLayer() = default;

Image* FontLayer::GetImage()
{
    if (mImage.mUnsharedImage != nullptr)
        return mImage.mUnsharedImage;
    return static_cast<Image*>(mImage);
}

} // namespace Lumo

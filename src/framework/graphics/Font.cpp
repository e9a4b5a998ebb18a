// Base behaviour of the font slots.
#include "framework/graphics/Font.h"

namespace Lumo {

Font::~Font() = default;

int Font::GetAscent()
{
    return mAscent;
}

int Font::GetAscentPadding()
{
    return mAscentPadding;
}

int Font::GetDescent()
{
    return mHeight - mAscent;
}

int Font::GetHeight()
{
    return mHeight;
}

int Font::GetLineSpacingOffset()
{
    return mLineSpacingOffset;
}

int Font::GetLineSpacing()
{
    return mHeight + mLineSpacingOffset;
}

int Font::StringWidth(const std::string&)
{
    return 0;
}

int Font::CharWidth(char theChar)
{
    return StringWidth(std::string(1, theChar));
}

int Font::CharWidthKern(char theChar, char)
{
    return CharWidth(theChar);
}

void Font::DrawString(Graphics*, int, int, const std::string&, const Color&, const TRect<int>&) {}

} // namespace Lumo

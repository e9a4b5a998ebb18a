// The fixed-width test font.
#include "support/FixedWidthFont.h"

#include "framework/graphics/Graphics.h"

namespace LumoTest {

FixedWidthFont::FixedWidthFont(int charWidth, int ascent, int height) : mCharWidth(charWidth)
{
    mAscent = ascent;
    mHeight = height;
}

int FixedWidthFont::StringWidth(const std::string& text)
{
    return static_cast<int>(text.size()) * mCharWidth;
}

int FixedWidthFont::CharWidthKern(char theChar, char prevChar)
{
    return CharWidth(theChar) + (prevChar != 0 ? mKern : 0);
}

void FixedWidthFont::DrawString(Lumo::Graphics* g, int x, int y, const std::string& text, const Lumo::Color& color,
                                const Lumo::TRect<int>& clipRect)
{
    mDrawCalls.push_back(DrawCall{g, g->mDestImage, x, y, text, color, clipRect});
    if (!mDrawBoxes) {
        return;
    }
    const Lumo::Color saved = g->GetColor();
    g->SetColor(color);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ' ') {
            g->FillRect(x + static_cast<int>(i) * mCharWidth, y - mAscent, mCharWidth, mHeight);
        }
    }
    g->SetColor(saved);
}

Lumo::Font* FixedWidthFont::Duplicate()
{
    return new FixedWidthFont(*this);
}

} // namespace LumoTest

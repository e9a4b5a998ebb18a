// A font with fixed metrics for tests of text layout: every character is the
// same number of pixels wide. It records each string it is asked to draw and,
// when asked, draws each character as a filled box through the context.
#pragma once

#include "framework/graphics/Font.h"

#include <string>
#include <vector>

namespace Lumo {
class Image;
}

namespace LumoTest {

class FixedWidthFont : public Lumo::Font {
public:
    struct DrawCall {
        Lumo::Graphics* graphics;
        Lumo::Image* destImage; // the context's destination at the time
        int x;
        int y;
        std::string text;
        Lumo::Color color;
        Lumo::TRect<int> clipRect;
    };

    // Height and ascent in pixels; ascent padding and line-spacing offset 0.
    explicit FixedWidthFont(int charWidth, int ascent = 8, int height = 10);

    int StringWidth(const std::string& text) override;
    // Adds mKern after a previous character, so tests see when layout resets it.
    int CharWidthKern(char theChar, char prevChar) override;
    void DrawString(Lumo::Graphics* g, int x, int y, const std::string& text, const Lumo::Color& color,
                    const Lumo::TRect<int>& clipRect) override;
    Lumo::Font* Duplicate() override;

    int mCharWidth;
    int mKern = 0;
    // Fill the cell (x + i * width, y - ascent, width, height) of every
    // character but spaces, in the given colour.
    bool mDrawBoxes = false;
    std::vector<DrawCall> mDrawCalls;
};

} // namespace LumoTest

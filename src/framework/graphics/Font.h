// The abstract font that a drawing context holds: four vertical metrics,
// string and character widths, and drawing a string at a pen position.
// Text is narrow (one byte per character, Windows-1252).
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"

#include <string>

namespace Lumo {

class Graphics;

class Font {
public:
    Font() = default;
    virtual ~Font();

    virtual int GetAscent();
    virtual int GetAscentPadding();
    virtual int GetDescent();
    virtual int GetHeight();
    virtual int GetLineSpacingOffset();
    virtual int GetLineSpacing();
    virtual int StringWidth(const std::string& text);
    virtual int CharWidth(char theChar);
    virtual int CharWidthKern(char theChar, char prevChar);
    // Draws with the baseline at y and the left edge at x, in the
    // context's coordinates.
    virtual void DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color,
                            const TRect<int>& clipRect);
    // A new font of the same kind, owned by the caller.
    virtual Font* Duplicate() = 0;

    // Every kind keeps its metrics here, so direct reads agree with the
    // getters.
    int mAscent = 0;            // top of a line to the baseline
    int mAscentPadding = 0;     // space above the ascent that a layout may ignore
    int mHeight = 0;            // full line height
    int mLineSpacingOffset = 0; // added to the height between baselines

protected:
    Font(const Font&) = default;
    Font& operator=(const Font&) = default;
};

} // namespace Lumo

// A font of the system's text layer. Text is rendered off screen twice, over
// white and over black, and the two renderings give a 32-bit image whose
// alpha is the glyph coverage, drawn through the context like any picture;
// onto a surface image the text layer writes into the surface itself.
#pragma once

#include "framework/graphics/Font.h"
#include "platform/text/TextFont.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Lumo {

class DDImage;
class LumoAppBase;

class SysFont : public Font {
public:
    // Sized for the screen's pixels per inch. script: the character set
    // (0 ANSI).
    SysFont(LumoAppBase* app, const std::string& faceName, int pointSize, int script, bool bold = false,
            bool italics = false, bool underline = false);
    // The process's application, ANSI characters, 96 pixels per inch.
    SysFont(const std::string& faceName, int pointSize, bool bold = false, bool italics = false,
            bool underline = false);
    // The same face, size and metrics; no shadow, no simulated bold, no
    // ascent padding or line-spacing offset.
    SysFont(const SysFont& other);
    SysFont& operator=(const SysFont&) = delete;
    ~SysFont() override;

    int StringWidth(const std::string& text) override;
    void DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color,
                    const TRect<int>& clipRect) override;
    Font* Duplicate() override;

    // pointSize * dpi / 72, rounded half away from zero; -1 when dpi is 0.
    static int PointsToPixels(int pointSize, int dpi);
    // The 0xAARRGGBB pixel of text whose rendering gave onWhite over a white
    // fill and onBlack over a black one (0x??RRGGBB words).
    static uint32_t RecoverPixel(uint32_t onWhite, uint32_t onBlack);
    static void RecoverPixels(const uint32_t* onWhite, const uint32_t* onBlack, uint32_t* out, size_t count);

    std::unique_ptr<Plat::TextFont> mFontHandle; // never null after construction
    LumoAppBase* mApp;
    bool mDrawShadow;   // a black copy one pixel right and down under the text
    bool mSimulateBold; // every pass drawn again one pixel to the right

private:
    void Init(LumoAppBase* app, const std::string& faceName, int pointSize, int script, bool bold, bool italics,
              bool underline, int dpi);
    // The shadow and text passes of one rendering, the text's cell at (x, y)
    // of the pixels.
    void RenderText(const std::string& text, uint32_t rgb, int x, int y, uint32_t* pixels, int width, int height);
    // Writes the text straight into the surface of a surface image, one
    // pixel lower than the memory-image path puts it.
    void DrawOnSurface(Graphics* g, DDImage* image, int x, int y, const std::string& text, const Color& color,
                       const TRect<int>& clipRect);
};

} // namespace Lumo

// A font of the text layer: metrics, widths and anti-aliased text drawn into
// 32-bit pixel buffers. Text is narrow, one Windows-1252 byte per character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Plat {

// What a font is asked for: the parts of a logical-font description that
// the program sets.
struct FontDescription {
    std::string faceName;
    // Pixels. Negative: the em height (character height); positive: the
    // cell height (ascent + descent); 0: a default size.
    int height = 0;
    int weight = 400; // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    int charSet = 0;  // kept for copies; the text is always Windows-1252

    bool operator==(const FontDescription&) const = default;
};

struct TextMetrics {
    int height = 0; // ascent + descent
    int ascent = 0; // top of the cell to the baseline
    int descent = 0;
};

class TextFont {
public:
    virtual ~TextFont() = default;

    // The description the font was made from (for copies of the font).
    virtual const FontDescription& GetDescription() const = 0;
    virtual TextMetrics GetMetrics() const = 0;
    // The sum of the characters' whole-pixel advances; no kerning.
    virtual int MeasureWidth(const char* text, size_t length) = 0;
    // Draws the text with the top of its cell at y and its pen starting at
    // x into 32-bit 0x??RRGGBB pixels (pitch in pixels), clipped to the
    // buffer: each touched pixel moves towards rgb by the glyph's coverage,
    // its top byte unchanged. The platform's text output on a memory
    // bitmap, transparent background mode.
    virtual void DrawText(const char* text, size_t length, int x, int y, uint32_t rgb, uint32_t* pixels,
                          int width, int height, int pitch) = 0;
};

// The Unicode character of a Windows-1252 byte. The five bytes the code
// page leaves undefined keep their own value.
char32_t Windows1252ToUnicode(unsigned char byte);

// One channel of text output: dst moved towards text by coverage / 255,
// rounded. Shared by every layer so that coverage comes back exactly.
inline uint32_t BlendCoverage(uint32_t dst, uint32_t text, uint32_t coverage)
{
    return (dst * (255 - coverage) + text * coverage + 127) / 255;
}

} // namespace Plat

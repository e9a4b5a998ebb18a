// The text layer's door: makes fonts from descriptions and tells the
// screen's dots per inch. FreeType and fontconfig stand behind it; tests
// install a renderer with fixed metrics.
#pragma once

#include "platform/text/TextFont.h"

#include <memory>

namespace Plat {

class TextRenderer {
public:
    virtual ~TextRenderer() = default;
    // Never null: a face that cannot be matched gets the closest substitute
    // (with no font at all, one that measures 0 and draws nothing).
    virtual std::unique_ptr<TextFont> CreateTextFont(const FontDescription& description) = 0;
    // The screen's vertical pixels per inch.
    virtual int GetVerticalDpi() = 0;
};

// The renderer in use: FreeType's unless a test installed another.
TextRenderer& GetTextRenderer();
// Installs a renderer (null restores FreeType's); returns the previous one
// (null: FreeType's).
TextRenderer* SetTextRenderer(TextRenderer* renderer);

} // namespace Plat

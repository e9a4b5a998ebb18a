// The text layer on FreeType and fontconfig: fontconfig picks the font file
// for a face name, weight and slant (the metric-compatible Liberation faces
// stand in for the common Windows fonts), FreeType draws it. 96 dots per inch.
#pragma once

#include "platform/text/FreeTypeTextFont.h"
#include "platform/text/TextRenderer.h"

#include <memory>
#include <string>

namespace Plat {

class FreeTypeTextRenderer : public TextRenderer {
public:
    FreeTypeTextRenderer();

    std::unique_ptr<TextFont> CreateTextFont(const FontDescription& description) override;
    int GetVerticalDpi() override;

    // The font file fontconfig matches to the description's face name,
    // weight and slant; false when it finds none.
    bool FindFontFile(const FontDescription& description, std::string& path, int& faceIndex);
    // A font from the given face of a file, sized and styled by the description.
    std::unique_ptr<FreeTypeTextFont> OpenFontFile(const std::string& path, int faceIndex,
                                                   const FontDescription& description);

private:
    std::shared_ptr<FreeTypeTextFont::Library> mLibrary;
};

} // namespace Plat

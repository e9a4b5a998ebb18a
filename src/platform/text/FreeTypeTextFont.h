// A font of the text layer on one FreeType face: metrics from the face's
// OS/2 table, whole-pixel advances, grey anti-aliased glyphs, and bold and
// italic made up when the face itself has none.
#pragma once

#include "platform/text/TextFont.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

struct FT_FaceRec_;

namespace Plat {

class FreeTypeTextFont : public TextFont {
public:
    // The FreeType library, shared by the renderer and every font made from
    // it; its lock guards opening and closing faces.
    struct Library;
    static std::shared_ptr<Library> CreateLibrary();

    // Opens face faceIndex of the file at the size and style of the
    // description. A file that cannot be opened gives a font that measures
    // 0 and draws nothing.
    FreeTypeTextFont(std::shared_ptr<Library> library, const std::string& path, int faceIndex,
                     const FontDescription& description);
    ~FreeTypeTextFont() override;
    FreeTypeTextFont(const FreeTypeTextFont&) = delete;
    FreeTypeTextFont& operator=(const FreeTypeTextFont&) = delete;

    const FontDescription& GetDescription() const override;
    TextMetrics GetMetrics() const override;
    int MeasureWidth(const char* text, size_t length) override;
    void DrawText(const char* text, size_t length, int x, int y, uint32_t rgb, uint32_t* pixels, int width,
                  int height, int pitch) override;

    bool IsLoaded() const { return mFace != nullptr; }
    // The family name of the face in use (empty when none is loaded).
    std::string GetFamilyName() const;
    int GetPixelsPerEm() const { return mPixelsPerEm; }
    bool IsSyntheticBold() const { return mSyntheticBold; }
    bool IsSyntheticItalic() const { return mSyntheticItalic; }

private:
    struct Glyph {
        bool loaded = false;
        int advance = 0;     // whole pixels
        int left = 0;        // bitmap's left edge from the pen
        int top = 0;         // bitmap's top row above the baseline
        int width = 0;
        int rows = 0;
        std::vector<uint8_t> coverage; // width x rows
    };

    void SetSize();
    const Glyph& GetGlyph(unsigned char byte);
    void DrawGlyph(const Glyph& glyph, int penX, int baseline, uint32_t rgb, uint32_t* pixels, int width,
                   int height, int pitch) const;
    void DrawUnderline(int x, int textWidth, int baseline, uint32_t rgb, uint32_t* pixels, int width, int height,
                       int pitch) const;
    // Font units to whole pixels at this size, rounded.
    int ScaleUnits(int units) const;

    std::shared_ptr<Library> mLibrary;
    FT_FaceRec_* mFace = nullptr;
    FontDescription mDescription;
    TextMetrics mMetrics;
    int mPixelsPerEm = 0;
    bool mSyntheticBold = false;
    bool mSyntheticItalic = false;
    std::array<Glyph, 256> mGlyphs;
};

} // namespace Plat

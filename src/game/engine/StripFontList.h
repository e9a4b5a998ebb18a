// The game's fonts, found by image name. Fonts are made by the data loader;
// everything else only looks them up, and a lookup never adds anything.
#pragma once

#include "game/engine/StripFont.h"

#include <memory>
#include <vector>

class ImageCache;

class StripFontList {
public:
    explicit StripFontList(ImageCache* cache) : mCache(cache) {}
    StripFontList(const StripFontList&) = delete;
    StripFontList& operator=(const StripFontList&) = delete;

    // The font of that name (exact, case-sensitive). When there is none and
    // a character string and a row step are given, a new font is loaded and
    // kept; null when the load fails (nothing is kept, a later call tries
    // again) or for a lookup that finds nothing.
    StripFont* Get(const char* name, const char* characters = nullptr, int rowStep = 0);
    StripFont* Find(const char* name) const;
    // Kerning of the font most recently loaded; ignored when the latest load
    // failed or none was made.
    void SetKerning(unsigned char character, float dx0, float dx1);
    // Lets go of every font (and so of their images): before the image
    // cache is emptied at shut-down.
    void Clear();

    int GetCount() const { return static_cast<int>(mFonts.size()); }

private:
    ImageCache* mCache;
    std::vector<std::unique_ptr<StripFont>> mFonts;
    StripFont* mKerningTarget = nullptr;
};

// A host that serves each font picture as a strip of 4-pixel glyphs (one
// clear column after each, one band of 10 rows and a clear row) and other
// pictures at a chosen size in mid grey (else as one small picture).
#pragma once

#include "support/GameDataFixture.h"

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace LumoTest {

class GlyphStripHost : public SmallPictureHost {
public:
    explicit GlyphStripHost(const char* characters) : mCharacters(characters) {}

    Lumo::MemoryImage* GetImage(const std::string& path) override
    {
        if (IsFontPicture(path))
            return GlyphStrip();
        const auto size = sizes.find(path);
        if (size == sizes.end())
            return SmallPictureHost::GetImage(path);
        std::vector<uint32_t> pixels(size_t(size->second.first * size->second.second), 0xFF808080u);
        auto* image = new Lumo::MemoryImage();
        image->SetBits(pixels.data(), size->second.first, size->second.second, true);
        return image;
    }

    // Pictures served at a chosen size (width, height).
    std::map<std::string, std::pair<int, int>> sizes;

protected:
    virtual bool IsFontPicture(const std::string& path) const = 0;

private:
    Lumo::MemoryImage* GlyphStrip() const
    {
        const int count = int(std::strlen(mCharacters));
        const int width = count * 5;
        const int height = 11;
        std::vector<uint32_t> pixels(size_t(width * height), 0u);
        for (int c = 0; c < count; ++c)
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 4; ++x)
                    pixels[size_t(y * width + c * 5 + x)] = 0xFFFFFFFFu;
        auto* image = new Lumo::MemoryImage();
        image->SetBits(pixels.data(), width, height, true);
        return image;
    }

    const char* mCharacters;
};

} // namespace LumoTest

#include "framework/graphics/ImageLib.h"

#include "framework/core/StringUtils.h"

namespace ImageLib {

uint32_t gAlphaOnlyColor = 0x00FFFFFF;
bool gLoadAlphaCompanions = true;

Image::Image(int width, int height, uint32_t* bits)
    : mWidth(width)
    , mHeight(height)
    , mBits(bits)
{
}

Image::~Image()
{
    delete[] mBits;
}

namespace {

struct ReaderEntry {
    const char* extension;
    Image* (*read)(const std::string& fileName);
};

// The order a name without extension is tried in.
const ReaderEntry kReaders[] = {
    { ".tga", GetTGAImage },
    { ".jpg", GetJPEGImage },
    { ".png", GetPNGImage },
    { ".gif", GetGIFImage },
    { ".j2k", GetJ2KImage },
    { ".jp2", GetJ2KImage },
};

// Position of the last '\\' or '/', whichever is later; -1 when none.
long LastSeparator(const std::string& name)
{
    const size_t slash = name.rfind('/');
    const size_t backslash = name.rfind('\\');
    long position = -1;
    if (slash != std::string::npos)
        position = static_cast<long>(slash);
    if (backslash != std::string::npos && static_cast<long>(backslash) > position)
        position = static_cast<long>(backslash);
    return position;
}

// Steps 2 and 3 of a load: the colour picture alone.
Image* ReadByExtension(const std::string& fileName)
{
    const long separator = LastSeparator(fileName);
    const size_t dotAt = fileName.rfind('.');
    const long dot = dotAt == std::string::npos ? -1 : static_cast<long>(dotAt);
    std::string extension;
    std::string base = fileName;
    // A dot inside a folder name makes no extension.
    if (dot > separator) {
        extension = Lumo::StringToLower(fileName.substr(dotAt));
        base = fileName.substr(0, dotAt);
    }
    for (const ReaderEntry& reader : kReaders) {
        if (!extension.empty() && extension != reader.extension)
            continue;
        if (Image* image = reader.read(base + reader.extension))
            return image;
    }
    return nullptr;
}

} // namespace

Image* GetImage(const std::string& fileName, bool lookForAlphaImage)
{
    if (!gLoadAlphaCompanions)
        lookForAlphaImage = false;

    Image* image = ReadByExtension(fileName);
    if (!lookForAlphaImage)
        return image;

    // "gfx\\ball.png" has the companion "gfx\\_ball.png", else "gfx\\ball.png_".
    const long separator = LastSeparator(fileName);
    const size_t nameStart = static_cast<size_t>(separator + 1);
    Image* alpha = ReadByExtension(fileName.substr(0, nameStart) + "_" + fileName.substr(nameStart));
    if (alpha == nullptr)
        alpha = ReadByExtension(fileName + "_");
    if (alpha == nullptr)
        return image;

    if (image != nullptr) {
        if (image->mWidth == alpha->mWidth && image->mHeight == alpha->mHeight && image->mBits != nullptr
            && alpha->mBits != nullptr) {
            const size_t count = static_cast<size_t>(image->mWidth) * static_cast<size_t>(image->mHeight);
            uint32_t* bits = image->mBits;
            const uint32_t* alphaBits = alpha->mBits;
            for (size_t i = 0; i < count; ++i)
                bits[i] = (bits[i] & 0x00FFFFFF) | (alphaBits[i] << 24);
        }
        delete alpha;
        return image;
    }

    // The companion alone: its blue channel as the alpha of the shared colour.
    if (alpha->mBits != nullptr) {
        const size_t count = static_cast<size_t>(alpha->mWidth) * static_cast<size_t>(alpha->mHeight);
        uint32_t* bits = alpha->mBits;
        const uint32_t color = gAlphaOnlyColor;
        for (size_t i = 0; i < count; ++i)
            bits[i] = (bits[i] << 24) | color;
    }
    return alpha;
}

} // namespace ImageLib

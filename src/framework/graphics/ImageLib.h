// Image files turned into plain 32-bit pictures: the picture record, the
// loader that picks a reader by extension and merges an alpha companion, and
// the entry points of every reader and of the PNG writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ImageLib {

// A decoded picture: width x height words of 0xAARRGGBB, row-major, top row
// first. Not a drawing image; callers copy the pixels into one.
class Image {
public:
    Image() = default;
    // Takes ownership of bits, which must come from new uint32_t[].
    Image(int width, int height, uint32_t* bits);
    virtual ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    uint32_t* GetBits() { return mBits; }
    const uint32_t* GetBits() const { return mBits; }

    int mWidth = 0;
    int mHeight = 0;
    uint32_t* mBits = nullptr; // owned; allocated with new uint32_t[]
};

// The most pixels a reader accepts (8192 x 8192); larger headers are refused
// rather than trusted with a huge allocation.
constexpr size_t kMaxImagePixels = size_t(1) << 26;

// Colour ORed into the pixels of a picture made from an alpha companion alone
// (its alpha comes from the companion's blue channel). Unguarded: whoever
// changes it must not overlap loads on other threads.
extern uint32_t gAlphaOnlyColor; // initially 0x00FFFFFF
// When false, GetImage never looks for alpha companions.
extern bool gLoadAlphaCompanions; // initially true
// When true, every decoded J2K pixel gets alpha 255 (defined with the J2K
// reader).
extern bool gForceOpaqueJ2K;

// Loads a picture by its extension (".tga", ".jpg", ".png", ".gif", ".j2k",
// ".jp2", case ignored), or, with no extension, tries them all in that order.
// With lookForAlphaImage, a companion "_name" (or "name_") gives the alpha
// channel. Null when nothing loads; the caller deletes the result.
Image* GetImage(const std::string& fileName, bool lookForAlphaImage = true);

// The readers: the exact file name, extension included. Each opens its file
// through the pak layer and gives a new picture or null.
Image* GetTGAImage(const std::string& fileName);
Image* GetGIFImage(const std::string& fileName);
Image* GetPNGImage(const std::string& fileName);
Image* GetJPEGImage(const std::string& fileName);
Image* GetJ2KImage(const std::string& fileName);

// Writes the picture as an 8-bit RGBA PNG straight to the disk (not through
// the pak layer). True when the whole file was written.
bool WritePNGImage(const std::string& fileName, const Image* image);

// The process-wide J2K codec module: loaded once at start-up (absent: J2K
// loads give null), freed at shut-down.
void LoadJ2KCodec();
void FreeJ2KCodec();

// I/O callbacks handed to the J2K codec; the user data is the open PakFile.
// Seek to an absolute offset: 0 on success.
int J2KPakSeek(void* file, long offset);
// Reads up to count bytes; the number read.
int J2KPakRead(void* buffer, int count, void* file);

} // namespace ImageLib

// PNG files through libpng: the reader over the pak layer and the writer of
// screenshots and image dumps.
#include "framework/graphics/ImageLib.h"

#include "framework/core/PakClient.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/FileSystem.h"

#include <png.h>

#include <cstdio>
#include <new>
#include <vector>

namespace ImageLib {

namespace {

// Largest picture read, in pixels: bigger headers are refused before the
// pixel array is allocated.
constexpr uint64_t kMaxPngPixels = uint64_t(1) << 26;

// What a read needs after libpng's error return, kept out of the frame that
// calls setjmp so no local is clobbered.
struct PngReadState {
    PakFile* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

struct PngWriteState {
    std::vector<uint8_t> bytes;
    png_structp png = nullptr;
    png_infop info = nullptr;
    const Image* image = nullptr;
};

void PngSilentWarning(png_structp, png_const_charp)
{
}

// libpng's write function: the file is built in memory and saved whole.
void PngAppend(png_structp png, png_bytep data, png_size_t length)
{
    std::vector<uint8_t>* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

void PngNoFlush(png_structp)
{
}

// Reads rows into state.pixels; false when the file is not a usable PNG.
// libpng's errors come back to the setjmp here.
bool PngReadRows(PngReadState& state)
{
    png_structp png = state.png;
    png_infop info = state.info;
    if (setjmp(png_jmpbuf(png)))
        return false;

    png_read_info(png, info);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlaceType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlaceType, nullptr, nullptr);
    if (width == 0 || height == 0 || uint64_t(width) * height > kMaxPngPixels)
        return false;

    png_set_expand(png);
    // 16-bit samples would make rows twice as wide as the pixel array.
    png_set_strip_16(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != png_size_t(width) * 4)
        return false;

    state.width = static_cast<int>(width);
    state.height = static_cast<int>(height);
    state.pixels = new (std::nothrow) uint32_t[size_t(width) * height];
    if (state.pixels == nullptr)
        return false;
    // Each pass of an interlaced file fills its pixels into rows that keep
    // the earlier passes' ones.
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_bytep row = reinterpret_cast<png_bytep>(state.pixels + size_t(y) * width);
            png_read_rows(png, &row, nullptr, 1);
        }
    }
    png_read_end(png, nullptr);
    return true;
}

bool PngWriteRows(PngWriteState& state)
{
    png_structp png = state.png;
    png_infop info = state.info;
    if (setjmp(png_jmpbuf(png)))
        return false;

    const Image& image = *state.image;
    png_set_write_fn(png, &state.bytes, PngAppend, PngNoFlush);
    png_color_8 significantBits {};
    significantBits.red = 8;
    significantBits.green = 8;
    significantBits.blue = 8;
    significantBits.alpha = 8;
    png_set_sBIT(png, info, &significantBits);
    png_set_bgr(png);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.mWidth), static_cast<png_uint_32>(image.mHeight), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.mHeight; ++y) {
        // libpng copies each row before it transforms it, so the picture is
        // only read.
        png_bytep row = reinterpret_cast<png_bytep>(const_cast<uint32_t*>(image.mBits + size_t(y) * image.mWidth));
        png_write_rows(png, &row, 1);
    }
    png_write_end(png, info);
    return true;
}

} // namespace

// libpng's read function: the pak file is the I/O pointer.
static void PngPakRead(png_structp png, png_bytep data, png_size_t length)
{
    PakFile* file = static_cast<PakFile*>(png_get_io_ptr(png));
    if (Lumo::PakRead(data, 1, length, file) < length)
        png_error(png, "Read Error");
}

Image* GetPNGImage(const std::string& fileName)
{
    PngReadState state;
    state.file = Lumo::PakOpen(fileName.c_str(), "rb");
    if (state.file == nullptr)
        return nullptr;

    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, PngSilentWarning);
    if (state.png == nullptr) {
        Lumo::PakClose(state.file);
        return nullptr;
    }
    png_set_read_fn(state.png, state.file, PngPakRead);
    state.info = png_create_info_struct(state.png);
    if (state.info == nullptr) {
        png_destroy_read_struct(&state.png, nullptr, nullptr);
        Lumo::PakClose(state.file);
        return nullptr;
    }

    const bool ok = PngReadRows(state);
    png_destroy_read_struct(&state.png, &state.info, nullptr);
    Lumo::PakClose(state.file);
    if (!ok) {
        delete[] state.pixels;
        return nullptr;
    }
    return new Image(state.width, state.height, state.pixels);
}

bool WritePNGImage(const std::string& fileName, const Image* image)
{
    if (image == nullptr || image->mBits == nullptr || image->mWidth <= 0 || image->mHeight <= 0)
        return false;

    // Saves only into a folder that is already there.
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();
    const std::string path = fileSystem.NativePath(fileName);
    const size_t slash = path.rfind('/');
    Plat::FindData folder;
    if (slash != std::string::npos && slash > 0 && !fileSystem.GetEntry(path.substr(0, slash), folder))
        return false;

    PngWriteState state;
    state.image = image;
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, PngSilentWarning);
    if (state.png == nullptr)
        return false;
    state.info = png_create_info_struct(state.png);
    if (state.info == nullptr) {
        png_destroy_write_struct(&state.png, nullptr);
        return false;
    }

    const bool encoded = PngWriteRows(state);
    png_destroy_write_struct(&state.png, &state.info);
    // A failed save leaves the file that was there before.
    return encoded && Plat::WriteFileAtomically(path, state.bytes.data(), state.bytes.size());
}

} // namespace ImageLib

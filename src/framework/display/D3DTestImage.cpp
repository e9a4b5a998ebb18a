// The 3-D test's read-back pixels.
#include "framework/display/D3DTestImage.h"

#include <algorithm>

namespace Lumo {

namespace {

int Distance(uint32_t a, uint32_t b)
{
    const int dr = static_cast<int>((a >> 16) & 255) - static_cast<int>((b >> 16) & 255);
    const int dg = static_cast<int>((a >> 8) & 255) - static_cast<int>((b >> 8) & 255);
    const int db = static_cast<int>(a & 255) - static_cast<int>(b & 255);
    return dr * dr + dg * dg + db * db;
}

} // namespace

D3DTestImage::D3DTestImage() : mWidth(0), mHeight(0) {}

D3DTestImage::~D3DTestImage() = default;

void D3DTestImage::Resize(int width, int height)
{
    mPixels.reset();
    mWidth = 0;
    mHeight = 0;
    if (width > 0 && height > 0) {
        mPixels.reset(new uint32_t[static_cast<size_t>(width) * static_cast<size_t>(height)]());
        mWidth = width;
        mHeight = height;
    }
}

void D3DTestImage::Fill(uint32_t color)
{
    std::fill(mPixels.get(), mPixels.get() + static_cast<size_t>(mWidth) * size_t(mHeight), color);
}

void D3DTestImage::Checkerboard()
{
    for (int y = 0; y < mHeight; ++y) {
        for (int x = 0; x < mWidth; ++x) {
            mPixels[size_t(y) * size_t(mWidth) + size_t(x)] = (x & 1) == 0 ? 0xFF000000u : 0xFFFFFFFFu;
        }
    }
}

bool D3DTestImage::CountOff(uint32_t color, int& count, int width, int height) const
{
    count = 0;
    width = std::min(width, mWidth);
    height = std::min(height, mHeight);
    if (width <= 0 || height <= 0) {
        return true;
    }
    const uint32_t first = mPixels[0];
    bool uniform = true;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = Pixel(x, y);
            if (Distance(p, color) > 768) {
                ++count;
            }
            uniform = uniform && p == first;
        }
    }
    return uniform;
}

int D3DTestImage::CountOffStripes(int width, int height, int x, int y) const
{
    int count = 0;
    for (int row = std::max(y, 0); row < std::min(y + height, mHeight); ++row) {
        for (int column = std::max(x, 0); column < std::min(x + width, mWidth); ++column) {
            const uint32_t expected = ((column - x) & 1) == 0 ? 0 : 0xFFFFFF;
            if (Distance(Pixel(column, row), expected) > 768) {
                ++count;
            }
        }
    }
    return count;
}

} // namespace Lumo

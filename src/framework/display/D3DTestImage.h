// The pixels the 3-D test reads back from its render target, and the
// pictures it draws: a plain array of 0xAARRGGBB words with the counts the
// test's verdicts rest on.
#pragma once

#include <cstdint>
#include <memory>

namespace Lumo {

class D3DTestImage {
public:
    D3DTestImage();
    virtual ~D3DTestImage();
    D3DTestImage(const D3DTestImage&) = delete;
    D3DTestImage& operator=(const D3DTestImage&) = delete;

    // Frees the old pixels; new ones (zero) when both sides are positive.
    void Resize(int width, int height);
    void Fill(uint32_t color);
    // Vertical one-pixel stripes: black in even columns, white in odd ones.
    void Checkerboard();
    // Over the top-left width x height pixels: count those farther than 768
    // (squared RGB distance) from color; true when they all equal the first.
    bool CountOff(uint32_t color, int& count, int width, int height) const;
    // Over the block at (x, y): pixels farther than 768 from black in the
    // block's even columns and from white in its odd ones.
    int CountOffStripes(int width, int height, int x, int y) const;

    uint32_t Pixel(int x, int y) const { return mPixels[static_cast<size_t>(y) * size_t(mWidth) + size_t(x)]; }

    std::unique_ptr<uint32_t[]> mPixels;
    int mWidth;
    int mHeight;
};

} // namespace Lumo

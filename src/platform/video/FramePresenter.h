// Where the display's primary surface is shown: the display stand-in hands
// every finished picture of the primary to a presenter. The window provides
// one over its SDL texture; headless, the last frame is simply kept.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace Plat {

// Pixel layouts of display surfaces (the bit fields of one pixel).
enum class PixelLayout : int {
    Rgb565 = 0,   // 16-bit, red 0xF800, green 0x07E0, blue 0x001F
    Rgb555 = 1,   // 16-bit, red 0x7C00, green 0x03E0, blue 0x001F
    Xrgb8888 = 2, // 32-bit, red 0xFF0000, green 0xFF00, blue 0xFF
};

// Bytes per pixel of a layout.
inline int BytesPerPixel(PixelLayout layout)
{
    return layout == PixelLayout::Xrgb8888 ? 4 : 2;
}

class FramePresenter {
public:
    virtual ~FramePresenter() = default;
    // Shows one frame: rows of width pixels, pitch bytes apart (pitch may be
    // larger than the row). Called with the display's primary surface on every
    // blit or flip that reaches it; may be called from the cursor thread too,
    // so an implementation must only copy and queue, never block for long.
    virtual void Present(const uint8_t* pixels, int pitch, PixelLayout layout, int width, int height) = 0;
};

// Keeps a tight copy (pitch = width x bytes per pixel) of the last frame.
class HeadlessPresenter : public FramePresenter {
public:
    void Present(const uint8_t* pixels, int pitch, PixelLayout layout, int width, int height) override
    {
        std::lock_guard<std::mutex> guard(mLock);
        const int rowBytes = width * BytesPerPixel(layout);
        mPixels.resize(static_cast<size_t>(rowBytes) * static_cast<size_t>(height > 0 ? height : 0));
        for (int y = 0; y < height; ++y) {
            const uint8_t* src = pixels + static_cast<ptrdiff_t>(y) * pitch;
            std::copy(src, src + rowBytes, mPixels.begin() + static_cast<ptrdiff_t>(y) * rowBytes);
        }
        mLayout = layout;
        mWidth = width;
        mHeight = height;
        ++mFrameCount;
    }

    // The last frame's pixels, rows packed tightly; empty before the first.
    std::vector<uint8_t> LastFrame() const
    {
        std::lock_guard<std::mutex> guard(mLock);
        return mPixels;
    }
    PixelLayout LastLayout() const { std::lock_guard<std::mutex> guard(mLock); return mLayout; }
    int LastWidth() const { std::lock_guard<std::mutex> guard(mLock); return mWidth; }
    int LastHeight() const { std::lock_guard<std::mutex> guard(mLock); return mHeight; }
    int FrameCount() const { std::lock_guard<std::mutex> guard(mLock); return mFrameCount; }

    // FNV-1a over the last frame's packed pixels (offset basis when empty).
    uint32_t Checksum() const
    {
        std::lock_guard<std::mutex> guard(mLock);
        uint32_t hash = 2166136261u;
        for (uint8_t byte : mPixels) {
            hash ^= byte;
            hash *= 16777619u;
        }
        return hash;
    }

private:
    mutable std::mutex mLock;
    std::vector<uint8_t> mPixels;
    PixelLayout mLayout = PixelLayout::Rgb565;
    int mWidth = 0;
    int mHeight = 0;
    int mFrameCount = 0;
};

// The presenter in use: a process-wide headless one unless another was
// installed (the window installs its own when it opens).
FramePresenter& GetFramePresenter();
// Installs a presenter (null restores the headless one); returns the previous.
FramePresenter* SetFramePresenter(FramePresenter* presenter);
// The process-wide headless presenter (what tests read back).
HeadlessPresenter& GetHeadlessPresenter();

} // namespace Plat

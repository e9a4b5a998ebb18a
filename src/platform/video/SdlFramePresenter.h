// Shows the display's frames in an SDL window: each frame is copied into a
// streaming texture and drawn over the whole window, keeping its shape (a
// full-screen window larger than the frame gets bars). Frames handed over
// from another thread wait for the main thread's next event poll.
#pragma once

#include "platform/video/FramePresenter.h"

#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace Plat {

class SdlFramePresenter : public FramePresenter {
public:
    SdlFramePresenter() = default;
    ~SdlFramePresenter() override;
    SdlFramePresenter(const SdlFramePresenter&) = delete;
    SdlFramePresenter& operator=(const SdlFramePresenter&) = delete;

    // Shows frames in the window from now on (null: frames are only kept).
    // Called on the main thread, which then does all the SDL drawing.
    void Bind(SDL_Window* window);
    SDL_Window* BoundWindow() const;

    void Present(const uint8_t* pixels, int pitch, PixelLayout layout, int width, int height) override;
    // Shows a frame that arrived from another thread; main thread only.
    void Flush();
    // Shows the last frame again (the window was uncovered); main thread only.
    void Repaint();

    // Frames that reached the window so far.
    int ShownCount() const;

private:
    void ShowLocked(); // under mLock, on the main thread
    void ReleaseLocked();

    mutable std::mutex mLock;
    std::thread::id mOwner;
    SDL_Window* mWindow = nullptr;
    SDL_Renderer* mRenderer = nullptr;
    SDL_Texture* mTexture = nullptr;
    int mTextureWidth = 0;
    int mTextureHeight = 0;
    PixelLayout mTextureLayout = PixelLayout::Xrgb8888;
    std::vector<uint8_t> mFrame; // tight rows
    int mWidth = 0;
    int mHeight = 0;
    PixelLayout mLayout = PixelLayout::Xrgb8888;
    bool mPending = false;
    bool mRendererFailed = false;
    int mShown = 0;
};

} // namespace Plat

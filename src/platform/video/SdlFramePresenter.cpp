#include "platform/video/SdlFramePresenter.h"

#include <SDL.h>

#include <cstring>

namespace Plat {

namespace {

uint32_t TextureFormat(PixelLayout layout)
{
    switch (layout) {
    case PixelLayout::Rgb565:
        return SDL_PIXELFORMAT_RGB565;
    case PixelLayout::Rgb555:
        return SDL_PIXELFORMAT_RGB555;
    case PixelLayout::Xrgb8888:
        break;
    }
    return SDL_PIXELFORMAT_RGB888;
}

} // namespace

SdlFramePresenter::~SdlFramePresenter()
{
    std::lock_guard<std::mutex> guard(mLock);
    ReleaseLocked();
}

void SdlFramePresenter::ReleaseLocked()
{
    if (mTexture != nullptr)
        SDL_DestroyTexture(mTexture);
    if (mRenderer != nullptr)
        SDL_DestroyRenderer(mRenderer);
    mTexture = nullptr;
    mRenderer = nullptr;
    mTextureWidth = 0;
    mTextureHeight = 0;
}

void SdlFramePresenter::Bind(SDL_Window* window)
{
    std::lock_guard<std::mutex> guard(mLock);
    if (window == mWindow)
        return;
    ReleaseLocked();
    mWindow = window;
    mOwner = std::this_thread::get_id();
    mRendererFailed = false;
    mPending = false;
}

SDL_Window* SdlFramePresenter::BoundWindow() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mWindow;
}

void SdlFramePresenter::Present(const uint8_t* pixels, int pitch, PixelLayout layout, int width, int height)
{
    if (pixels == nullptr || width <= 0 || height <= 0)
        return;
    std::lock_guard<std::mutex> guard(mLock);
    const int rowBytes = width * BytesPerPixel(layout);
    mFrame.resize(static_cast<size_t>(rowBytes) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        std::memcpy(mFrame.data() + static_cast<size_t>(y) * rowBytes, pixels + static_cast<ptrdiff_t>(y) * pitch,
                    static_cast<size_t>(rowBytes));
    mWidth = width;
    mHeight = height;
    mLayout = layout;
    mPending = true;
    // SDL draws on the thread that owns the window only.
    if (std::this_thread::get_id() == mOwner)
        ShowLocked();
}

void SdlFramePresenter::Flush()
{
    std::lock_guard<std::mutex> guard(mLock);
    if (mPending && std::this_thread::get_id() == mOwner)
        ShowLocked();
}

void SdlFramePresenter::Repaint()
{
    std::lock_guard<std::mutex> guard(mLock);
    if (!mFrame.empty() && std::this_thread::get_id() == mOwner)
        ShowLocked();
}

int SdlFramePresenter::ShownCount() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mShown;
}

void SdlFramePresenter::ShowLocked()
{
    mPending = false;
    if (mWindow == nullptr || mRendererFailed)
        return;
    if (mRenderer == nullptr) {
        mRenderer = SDL_CreateRenderer(mWindow, -1, 0);
        if (mRenderer == nullptr) {
            // No renderer for this window: the frames are only kept.
            mRendererFailed = true;
            return;
        }
    }
    if (mTexture == nullptr || mTextureWidth != mWidth || mTextureHeight != mHeight || mTextureLayout != mLayout) {
        if (mTexture != nullptr)
            SDL_DestroyTexture(mTexture);
        mTexture = SDL_CreateTexture(mRenderer, TextureFormat(mLayout), SDL_TEXTUREACCESS_STREAMING, mWidth, mHeight);
        if (mTexture == nullptr)
            return;
        mTextureWidth = mWidth;
        mTextureHeight = mHeight;
        mTextureLayout = mLayout;
        // The frame keeps its shape in a larger window; the mouse positions
        // SDL reports are then in frame pixels too.
        SDL_RenderSetLogicalSize(mRenderer, mWidth, mHeight);
    }
    SDL_UpdateTexture(mTexture, nullptr, mFrame.data(), mWidth * BytesPerPixel(mLayout));
    SDL_SetRenderDrawColor(mRenderer, 0, 0, 0, 255);
    SDL_RenderClear(mRenderer);
    SDL_RenderCopy(mRenderer, mTexture, nullptr, nullptr);
    SDL_RenderPresent(mRenderer);
    ++mShown;
}

} // namespace Plat

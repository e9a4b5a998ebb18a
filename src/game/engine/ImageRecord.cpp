#include "game/engine/ImageRecord.h"

#include "game/engine/PlatformImage.h"

#include <cmath>

ImageRecord::ImageRecord() = default;

ImageRecord::~ImageRecord() = default;

bool ImageRecord::SetFrames(float frameWidth, float frameHeight, int count, float framesPerSecond)
{
    if (framesPerSecond != 0.0f && std::isfinite(framesPerSecond)) {
        mFrameDuration = 1000.0f / framesPerSecond / 4.0f;
    }
    // A height of 0 would never leave the row loop; a count of 0 or less has
    // no table to fill.
    if (count < 1 || count > kMaxFrames || !(frameWidth > 0.0f) || !(frameHeight > 0.0f)
        || !std::isfinite(frameWidth) || !std::isfinite(frameHeight)) {
        mFrames.reset();
        mFrameCount = 1;
        mFrameWidth = mWidth;
        mFrameHeight = mHeight;
        return false;
    }
    // Value-initialised: frames that do not fit the picture are empty.
    mFrames = std::make_unique<ImageFrame[]>(static_cast<size_t>(count));
    mFrameCount = count;
    mFrameWidth = frameWidth;
    mFrameHeight = frameHeight;
    // A frame wider than the picture fits nowhere; otherwise every row takes
    // at least one frame, so the rows end within count steps however small
    // the height.
    if (frameWidth > mWidth) {
        return true;
    }
    int k = 0;
    for (float y = 0.0f; y + frameHeight <= mHeight && k < count; y += frameHeight) {
        for (float x = 0.0f; x + frameWidth <= mWidth && k < count; x += frameWidth) {
            mFrames[k] = ImageFrame{x, y, x + frameWidth, y + frameHeight};
            ++k;
        }
    }
    return true;
}

bool ImageRecord::GetBits()
{
    if (mImage == nullptr) {
        mBits = nullptr;
        mRowPitch = 0;
        return false;
    }
    mBits = mImage->GetBits(mRowPitch);
    return mBits != nullptr;
}

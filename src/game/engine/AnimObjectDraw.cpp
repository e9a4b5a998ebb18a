// Drawing of an animated object: its image (with tiles, clip, shadow and draw
// mode) and then its children. A frame only reads the object: nothing here
// changes what the next tick computes.
#include "game/engine/AnimObject.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Objects (and tile copies) this far outside the screen are not drawn.
constexpr float kCullMargin = 80.0f;

// The range of copy indices [lo, hi] within [-before, after] whose copies
// can meet a surface of that size (with the cull margin) along one axis. A
// copy's centre lies at centre + index * step and it reaches `reach` to
// either side. An empty range comes back as lo > hi.
void VisibleCopies(double centre, double step, double reach, double size, int before, int after, int64_t& lo,
                   int64_t& hi)
{
    lo = -static_cast<int64_t>(std::max(before, 0));
    hi = static_cast<int64_t>(std::max(after, 0));
    if (lo == hi)
        return;
    if (step == 0.0 || !std::isfinite(step) || !std::isfinite(centre) || !std::isfinite(reach)) {
        // Copies that coincide (or cannot be placed) are drawn once.
        lo = hi = std::clamp<int64_t>(0, lo, hi);
        return;
    }
    const double low = -kCullMargin / 2 - reach;
    const double high = size + kCullMargin / 2 + reach;
    double first = (low - centre) / step;
    double last = (high - centre) / step;
    if (first > last)
        std::swap(first, last);
    const double from = std::max(std::ceil(first), static_cast<double>(lo));
    const double to = std::min(std::floor(last), static_cast<double>(hi));
    if (from > to) {
        lo = 1;
        hi = 0;
        return;
    }
    lo = static_cast<int64_t>(from);
    hi = static_cast<int64_t>(to);
}

} // namespace

void AnimObject::Draw()
{
    if (mVisible != 0 && mFrameCounter != 0.0f) {
        DrawSelf();
        DrawChildren();
    }
}

void AnimObject::DrawChildren()
{
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext)
        child->Draw();
}

void AnimObject::DrawHighlight()
{
    if (mHot == 0)
        return;
    GameState* game = GameState::TryCurrent();
    Platform* platform = game != nullptr ? game->mPlatform : nullptr;
    if (platform == nullptr)
        return;
    const float alpha = mWorld[kAttrAlpha];
    platform->SetDrawMode(1);
    mWorld[kAttrAlpha] = 0.5f;
    DrawSelf();
    platform->SetDrawMode(0);
    mWorld[kAttrAlpha] = alpha;
}

void AnimObject::DrawSelf()
{
    if (mImage == nullptr || mImage->mImage == nullptr)
        return;
    GameState* game = GameState::TryCurrent();
    Platform* platform = game != nullptr ? game->mPlatform : nullptr;
    if (platform == nullptr)
        return;
    const float screenWidth = GameState::kScreenWidth;
    const float screenHeight = GameState::kScreenHeight;
    const float sw = mSource[2] - mSource[0];
    const float sh = mSource[3] - mSource[1];
    const float xScale = mWorld[kAttrXScale];
    const float yScale = mWorld[kAttrYScale];
    const bool cull = mNoCull == 0 && platform->GetRenderTarget() == nullptr;
    if (cull) {
        const float w = std::fabs(sw * xScale * static_cast<float>(std::max(mTilesRight, 1)));
        const float h = std::fabs(sh * yScale * static_cast<float>(std::max(mTilesDown, 1)));
        if (!BoxesOverlap(mWorld[kAttrX], mWorld[kAttrY], w, h, screenWidth / 2, screenHeight / 2,
                          screenWidth + kCullMargin, screenHeight + kCullMargin))
            return;
    }

    float x = mWorld[kAttrX];
    float y = mWorld[kAttrY];
    if (mBilinear == 0) {
        x = static_cast<float>(SaturateToInt(static_cast<double>(x) + 0.5));
        y = static_cast<float>(SaturateToInt(static_cast<double>(y) + 0.5));
    }
    const bool clipped = mClipLeft != 0 || mClipTop != 0 || mClipRight != 0 || mClipBottom != 0;
    if (clipped)
        platform->SetClipRect(mClipLeft, mClipTop, mClipRight, mClipBottom);
    if (mBlitStyle != 0)
        platform->SetDrawMode(mBlitStyle);

    // Only the copies that can meet the screen are drawn: a copy's centre is
    // at (x - 1 + tx * sw * xScale, y + ty * sh * yScale), and rotated it
    // reaches at most half its diagonal.
    const double stepX = static_cast<double>(sw) * xScale;
    const double stepY = static_cast<double>(sh) * yScale;
    const double reach = 0.5 * std::sqrt(stepX * stepX + stepY * stepY);
    // Objects exempt from culling still draw no copy that misses the surface.
    double surfaceWidth = screenWidth;
    double surfaceHeight = screenHeight;
    if (const PlatformImage* target = platform->GetRenderTarget()) {
        surfaceWidth = target->GetWidth();
        surfaceHeight = target->GetHeight();
    }
    int64_t txFrom = 0;
    int64_t txTo = 0;
    int64_t tyFrom = 0;
    int64_t tyTo = 0;
    VisibleCopies(static_cast<double>(x) - 1.0, stepX, reach, surfaceWidth, mTilesLeft, mTilesRight, txFrom, txTo);
    VisibleCopies(y, stepY, reach, surfaceHeight, mTilesUp, mTilesDown, tyFrom, tyTo);

    PlatformImage& image = *mImage->mImage;
    const bool shadow = mShadow != 0 && platform->Is3DAccelerated();
    for (int64_t ty = tyFrom; ty <= tyTo; ++ty) {
        for (int64_t tx = txFrom; tx <= txTo; ++tx) {
            const float drawX = x - sw / 2 + static_cast<float>(tx) * sw * xScale - 1.0f;
            const float drawY = y - sh / 2 + static_cast<float>(ty) * sh * yScale;
            if (shadow) {
                platform->DrawImage(image, mSource[0], mSource[1], mSource[2], mSource[3], drawX + sw / 2 + 1.0f,
                                    drawY + sh / 2, mWorld[kAttrRotation], xScale, yScale, 0.0f, 0.0f, 0.0f,
                                    0.4f * mWorld[kAttrAlpha], mFlipX != 0, mFlipY != 0);
            }
            platform->DrawImage(image, mSource[0], mSource[1], mSource[2], mSource[3], drawX, drawY,
                                mWorld[kAttrRotation], xScale, yScale, mWorld[kAttrR], mWorld[kAttrG], mWorld[kAttrB],
                                mWorld[kAttrAlpha], mFlipX != 0, mFlipY != 0);
        }
    }

    if (mBlitStyle != 0)
        platform->SetDrawMode(0);
    if (clipped)
        platform->SetClipRect(0, 0, static_cast<int>(screenWidth), static_cast<int>(screenHeight));
}

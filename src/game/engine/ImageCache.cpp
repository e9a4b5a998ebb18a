#include "game/engine/ImageCache.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformImage.h"

#include <cstring>

ImageCache::ImageCache(Platform* platform) : mPlatform(platform) {}

ImageCache::~ImageCache() = default;

ImageRecord* ImageCache::Get(const char* name, float frameWidth, float frameHeight, int frameCount,
                             float framesPerSecond)
{
    if (name == nullptr || name[0] == '\0') {
        return nullptr;
    }
    // A longer name could not be stored whole, so it could never be found again.
    if (strnlen(name, kMaxNameLength + 1) > kMaxNameLength) {
        return nullptr;
    }
    for (const std::unique_ptr<ImageRecord>& record : mRecords) {
        if (std::strcmp(record->mName, name) == 0) {
            ++record->mUseCount;
            return record.get();
        }
    }
    auto record = std::make_unique<ImageRecord>();
    if (!Load(*record, name, frameWidth, frameHeight, frameCount, framesPerSecond)) {
        // Nothing stays behind for the failed attempt.
        return nullptr;
    }
    mRecords.push_back(std::move(record));
    return mRecords.back().get();
}

bool ImageCache::Load(ImageRecord& record, const char* name, float frameWidth, float frameHeight, int frameCount,
                      float framesPerSecond)
{
    if (mPlatform == nullptr) {
        return false;
    }
    auto image = std::make_unique<PlatformImage>();
    if (!image->Load(*mPlatform, name)) {
        return false;
    }
    CopyToField(record.mName, name);
    record.mWidth = image->GetWidth();
    record.mHeight = image->GetHeight();
    record.mFrameWidth = record.mWidth;
    record.mFrameHeight = record.mHeight;
    record.mImage = std::move(image);
    if (frameWidth != 0.0f) {
        record.mFrameWidth = frameWidth;
        record.mFrameHeight = frameHeight;
        record.SetFrames(frameWidth, frameHeight, frameCount, framesPerSecond);
    }
    return true;
}

ImageRecord* ImageCache::CreateBlank(int width, int height)
{
    auto image = std::make_unique<PlatformImage>();
    if (!image->CreateBlank(width, height)) {
        return nullptr;
    }
    auto* record = new ImageRecord();
    record->mWidth = static_cast<float>(width);
    record->mHeight = static_cast<float>(height);
    record->mFrameWidth = record->mWidth;
    record->mFrameHeight = record->mHeight;
    record->mImage = std::move(image);
    return record;
}

bool ImageCache::Contains(const ImageRecord* record) const
{
    for (const std::unique_ptr<ImageRecord>& cached : mRecords) {
        if (cached.get() == record) {
            return true;
        }
    }
    return false;
}

void ImageCache::Release(ImageRecord* record)
{
    if (record == nullptr) {
        return;
    }
    for (auto it = mRecords.begin(); it != mRecords.end(); ++it) {
        if (it->get() == record) {
            mRecords.erase(it);
            return;
        }
    }
    delete record;
}

void ImageCache::FreeAll()
{
    mRecords.clear();
}

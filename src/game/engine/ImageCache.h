// The game's pictures, each loaded once and found by its file name: object
// pictures, font strips, particle images. Holders keep the record's use
// count and release the record when it drops to 0.
#pragma once

#include <memory>
#include <vector>

class ImageRecord;
class Platform;

class ImageCache {
public:
    // The longest name a record holds (its name field is 256 characters).
    static constexpr size_t kMaxNameLength = 255;

    explicit ImageCache(Platform* platform = nullptr);
    ~ImageCache();
    ImageCache(const ImageCache&) = delete;
    ImageCache& operator=(const ImageCache&) = delete;

    // Pictures are loaded through this platform (none: every load fails).
    void SetPlatform(Platform* platform) { mPlatform = platform; }

    // The record of that name (exact, case-sensitive) with its use count
    // raised, else a newly loaded one (frame arguments apply to a new record
    // only; frame width 0 means no frames). Null when the load fails (the
    // attempt leaves nothing behind, so a later call tries again) or the
    // name is null, empty or too long.
    ImageRecord* Get(const char* name, float frameWidth = 0.0f, float frameHeight = 0.0f, int frameCount = 1,
                     float framesPerSecond = 0.0f);
    // A record outside the cache with a new blank picture; its owner
    // releases it. Null when the picture cannot be made.
    ImageRecord* CreateBlank(int width, int height);
    // Destroys the record (taking it out of the cache when it is there);
    // holders call it once the use count is 0 or less. Null is ignored.
    void Release(ImageRecord* record);
    // Destroys every cached record (shut-down).
    void FreeAll();

    int GetCount() const { return static_cast<int>(mRecords.size()); }
    bool Contains(const ImageRecord* record) const;

private:
    bool Load(ImageRecord& record, const char* name, float frameWidth, float frameHeight, int frameCount,
              float framesPerSecond);

    Platform* mPlatform;
    std::vector<std::unique_ptr<ImageRecord>> mRecords; // oldest first: lookups go from the head
};

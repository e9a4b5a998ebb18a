#include "game/engine/ParticleTemplate.h"

#include "game/engine/GameState.h"
#include "game/engine/ImageCache.h"
#include "game/engine/ImageRecord.h"

ParticleTemplate::~ParticleTemplate() { ReleaseImage(); }

void ParticleTemplate::SetImage(const char* name)
{
    GameState* game = GameState::TryCurrent();
    ImageRecord* record = game != nullptr ? game->mImageCache.Get(name) : nullptr;
    // Get counted this holder already.
    ReleaseImage();
    mImage = record;
}

void ParticleTemplate::SetImageRecord(ImageRecord* record)
{
    if (record == mImage)
        return;
    if (record != nullptr)
        record->mUseCount += 1;
    ReleaseImage();
    mImage = record;
}

void ParticleTemplate::ReleaseImage()
{
    if (mImage == nullptr)
        return;
    mImage->mUseCount -= 1;
    // Without a game state the cache is gone, and the record with it.
    if (mImage->mUseCount < 1) {
        if (GameState* game = GameState::TryCurrent())
            game->mImageCache.Release(mImage);
    }
    mImage = nullptr;
}

#include "game/engine/ParticleTemplate.h"

#include "game/engine/GameState.h"
#include "game/engine/ImageCache.h"
#include "game/engine/ImageRecord.h"

ParticleTemplate::~ParticleTemplate() { GameState::ReleaseHeldImage(mImage); }

void ParticleTemplate::SetImage(const char* name)
{
    GameState* game = GameState::TryCurrent();
    ImageRecord* record = game != nullptr ? game->mImageCache.Get(name) : nullptr;
    // Get counted this holder already.
    GameState::ReleaseHeldImage(mImage);
    mImage = record;
}

void ParticleTemplate::SetImageRecord(ImageRecord* record)
{
    if (record == mImage)
        return;
    if (record != nullptr)
        record->mUseCount += 1;
    GameState::ReleaseHeldImage(mImage);
    mImage = record;
}

#include "game/engine/GameState.h"

#include "game/engine/AnimObject.h"
#include "game/engine/Filter.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/SoundLayer.h"
#include "game/engine/Stage.h"

GameState* GameState::sCurrent = nullptr;

GameState::GameState()
    : mFilterPool(kFilterPoolSize), mStagePool(kStagePoolSize), mObjectPool(kObjectPoolSize),
      mSilentSound(std::make_unique<SoundLayer>()), mBaseHooks(std::make_unique<GameHooks>())
{
    mSound = mSilentSound.get();
    mHooks = mBaseHooks.get();
    sCurrent = this;
}

GameState::~GameState()
{
    mLiveObjects.RemoveAll();
    // Pooled objects taken but never adopted by a list go back too, while the
    // pools they hold records of are all still there.
    for (int i = 0; i < mObjectPool.Size(); ++i) {
        AnimObject& object = mObjectPool.At(i);
        if (object.mPoolInUse != 0 && object.mList == nullptr)
            AnimObject::DisposeRecord(&object);
    }
    mMainLevels.RemoveAll();
    mRelaxedLevels.RemoveAll();
    mTrickLevels.RemoveAll();
    if (sCurrent == this)
        sCurrent = nullptr;
}

void GameState::ReleaseHeldImage(ImageRecord*& record)
{
    if (record == nullptr)
        return;
    record->mUseCount -= 1;
    // Without a game state the cache is gone, and with it the record.
    if (record->mUseCount < 1 && sCurrent != nullptr)
        sCurrent->mImageCache.Release(record);
    record = nullptr;
}

void GameState::SetSound(SoundLayer* sound)
{
    mSound = sound != nullptr ? sound : mSilentSound.get();
}

void GameState::ForgetObject(const AnimObject* object)
{
    AnimObject** const pointers[] = {&mLevel,      &mShooter,     &mEffects,           &mTutorial, &mOuterLayer,
                                     &mMiddleLayer, &mInnerLayer, &mRememberedTopmost, &mEditor};
    for (AnimObject** pointer : pointers) {
        if (*pointer == object)
            *pointer = nullptr;
    }
}

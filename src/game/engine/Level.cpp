#include "game/engine/Level.h"

#include "game/engine/GameState.h"
#include "game/engine/ImageCache.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/ScreenAccess.h"

Level::Level()
{
    mZOrder = 0.0f;
}

Level::~Level()
{
    ReleaseHeldImage(mSparkleImage);
    ReleaseHeldImage(mLevelParticleImage);
    ReleaseHeldImage(mWhiteParticleImage);
}

void Level::ReleaseHeldImage(ImageRecord*& record)
{
    if (record == nullptr) {
        return;
    }
    record->mUseCount -= 1;
    if (record->mUseCount < 1) {
        // Without a game state the cache is gone, and with it the record.
        if (GameState* game = GameState::TryCurrent()) {
            game->mImageCache.Release(record);
        }
    }
    record = nullptr;
}

// ---- What the engine's objects read of their screen

bool GetScreenMouse(const AnimObject& screen, float& x, float& y)
{
    const Level* level = dynamic_cast<const Level*>(&screen);
    if (level == nullptr) {
        return false;
    }
    x = level->mMouseX;
    y = level->mMouseY;
    return true;
}

ImageRecord* GetLevelSparkleImage(const AnimObject& level)
{
    const Level* screen = dynamic_cast<const Level*>(&level);
    return screen != nullptr ? screen->mSparkleImage : nullptr;
}

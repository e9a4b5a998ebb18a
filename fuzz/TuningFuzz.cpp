// Fuzzes the tuning values of the game data index: every "global" tag of the
// input goes to the tuning reader, as the game-data loader hands it over.
// Whatever the text says, every tuning value stays a finite number and the
// current profile's difficulty too.
#include "game/engine/GameState.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/ObjectXmlReader.h"
#include "game/play/PlayState.h"
#include "game/play/TuningParameters.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

bool AllFinite(const TuningParameters& t)
{
    const float values[] = {t.mBaseScrollSpeed,       t.mScrollingSlowPoint,     t.mPushOnShotFired,
                            t.mPushOnFilledSlot,      t.mPushOnCombo,            t.mInitialDifficulty,
                            t.mMaxDifficulty,         t.mMinDifficulty,          t.mDifficultyChangeOnWin,
                            t.mDifficultyChangeOnLoss, t.mEarthquakePoint,       t.mPushFilledPlate,
                            t.mBumperFadePoint,       t.mReloadTime,             t.mCupidWaitMs};
    for (float value : values) {
        if (!std::isfinite(value))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static GameState* game = new GameState();
    const std::string text(reinterpret_cast<const char*>(data), size);
    Play().Reset();
    game->mProfiles.Current().mDifficulty = 0.0f;
    ObjectXmlReader reader(text.c_str(), "config.xml");
    ObjectXmlElement element;
    while (reader.Next(element)) {
        if (element.IsTag("global"))
            ReadTuningParameters(element);
    }
    if (!AllFinite(Tuning()) || !std::isfinite(game->mProfiles.Current().mDifficulty))
        __builtin_trap();
    return 0;
}

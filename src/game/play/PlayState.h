// The gameplay's values that outlive a level: the tuning record and the few
// counters and flags the rules keep from one level (or one plate) to the
// next. One record for the whole run; the game never resets it, tests do.
#pragma once

#include "game/play/TuningParameters.h"

#include <cstdint>

class PlayState {
public:
    static constexpr int kSlotKindCount = 11;

    // Back to the values at program start.
    void Reset();

    TuningParameters mTuning;

    // Survival generator: rows alternate a centre plate and a pair; the wall
    // decoration countdown runs across the whole run.
    int32_t mRowParity = 0;
    int32_t mWallCountdown = 3;
    // Set once any layer updated under the level editor: merged layers are
    // no longer baked for the rest of the run.
    int32_t mEditorWasUsed = 0;

    // The score the panel showed last.
    int32_t mLastShownScore = 0;
    // Empty slots per slot kind below the shooter's line, and how many kinds
    // have any (the shooter fills them).
    int32_t mSlotKindHistogram[kSlotKindCount] = {};
    int32_t mDistinctSlotKinds = 0;

    // Lets the "DANGER!" popup appear once; every new plate clears it.
    int32_t mDangerShown = 0;
    // Kind of the last slot made anywhere, and of the first slot of the
    // plate being built, so neighbouring slots differ.
    int32_t mLastSlotKind = 0;
    int32_t mFirstSlotKind = 0;
};

// The run's gameplay values.
PlayState& Play();
// Its tuning record.
inline TuningParameters& Tuning() { return Play().mTuning; }

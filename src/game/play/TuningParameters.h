// The values that tune the game's rules, read from the "global" elements of
// the game data index. One record for the whole run; a key the data leaves
// out keeps its default.
#pragma once

#include <cstdint>

class ObjectXmlElement;

struct TuningParameters {
    float mBaseScrollSpeed = 0.0f;      // "base_scroll_speed"
    float mScrollingSlowPoint = 0.0f;   // "scrolling_slow_point": screen y the scroll aims at
    float mPushOnShotFired = 0.0f;      // "push_on_shot_fired"
    float mPushOnFilledSlot = 0.0f;     // "push_on_filled_slot"
    float mPushOnCombo = 0.0f;          // "push_on_combo"
    float mInitialDifficulty = 0.1f;    // "initial_difficulty"
    float mMaxDifficulty = 0.0f;        // "max_difficulty"
    float mMinDifficulty = 0.0f;        // "min_difficulty"
    float mDifficultyChangeOnWin = 0.0f;  // "difficulty_change_on_win"
    float mDifficultyChangeOnLoss = 0.0f; // "difficulty_change_on_loss"
    float mEarthquakePoint = 0.0f;      // "earthquake_point": the danger line
    float mPushFilledPlate = 0.0f;      // "push_filled_plate"
    int32_t mBlockingSlots = 0;         // "blocking_slots"
    int32_t mBounceOffTop = 0;          // "bounce_off_top"
    int32_t mCascadingCombos = 0;       // "cascading_combos"
    int32_t mNumberOfUniqueSlots = 0;   // "number_of_unique_slots"
    float mBumperFadePoint = 600.0f;    // "bumper_fade_point"
    int32_t mFireWhileStillPieces = 0;  // "fire_while_still_pieces" (stored only)
    int32_t mScrollWhileStillPieces = 0; // "scroll_while_still_pieces" (stored only)
    int32_t mPlateMoveWhenFullSlotHit = 0; // "plate_move_when_full_slot_hit"
    int32_t mTossOnFilledSlot = 0;      // "toss_on_filled_slot"
    int32_t mTossOnFilledPlate = 0;     // "toss_on_filled_plate"
    float mReloadTime = 500.0f;         // "reload_time", ms
    float mCupidWaitMs = 10000.0f;      // "cupid_wait_ms"
    int32_t mBumpsToExplode = 0;        // "bumps_to_explode"
};

// Stores the value of the first tuning key, in the record's order, that the
// element carries; further keys of the same element are ignored. A number
// that is not finite ("nan", "1e999") keeps the default. Reading
// "initial_difficulty" also gives it to the current profile while that
// profile's difficulty is exactly 0. Returns false when no key was taken.
bool ReadTuningParameters(const ObjectXmlElement& element);

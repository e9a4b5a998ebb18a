#include "game/play/TuningParameters.h"

#include "game/engine/GameState.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/play/PlayState.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

struct TuningRow {
    const char* key;
    float TuningParameters::*floatField;
    int32_t TuningParameters::*intField;
};

constexpr TuningRow kTuningRows[] = {
    {"base_scroll_speed", &TuningParameters::mBaseScrollSpeed, nullptr},
    {"scrolling_slow_point", &TuningParameters::mScrollingSlowPoint, nullptr},
    {"push_on_shot_fired", &TuningParameters::mPushOnShotFired, nullptr},
    {"push_on_filled_slot", &TuningParameters::mPushOnFilledSlot, nullptr},
    {"push_on_combo", &TuningParameters::mPushOnCombo, nullptr},
    {"initial_difficulty", &TuningParameters::mInitialDifficulty, nullptr},
    {"max_difficulty", &TuningParameters::mMaxDifficulty, nullptr},
    {"min_difficulty", &TuningParameters::mMinDifficulty, nullptr},
    {"difficulty_change_on_win", &TuningParameters::mDifficultyChangeOnWin, nullptr},
    {"difficulty_change_on_loss", &TuningParameters::mDifficultyChangeOnLoss, nullptr},
    {"earthquake_point", &TuningParameters::mEarthquakePoint, nullptr},
    {"push_filled_plate", &TuningParameters::mPushFilledPlate, nullptr},
    {"blocking_slots", nullptr, &TuningParameters::mBlockingSlots},
    {"bounce_off_top", nullptr, &TuningParameters::mBounceOffTop},
    {"cascading_combos", nullptr, &TuningParameters::mCascadingCombos},
    {"number_of_unique_slots", nullptr, &TuningParameters::mNumberOfUniqueSlots},
    {"bumper_fade_point", &TuningParameters::mBumperFadePoint, nullptr},
    {"fire_while_still_pieces", nullptr, &TuningParameters::mFireWhileStillPieces},
    {"scroll_while_still_pieces", nullptr, &TuningParameters::mScrollWhileStillPieces},
    {"plate_move_when_full_slot_hit", nullptr, &TuningParameters::mPlateMoveWhenFullSlotHit},
    {"toss_on_filled_slot", nullptr, &TuningParameters::mTossOnFilledSlot},
    {"toss_on_filled_plate", nullptr, &TuningParameters::mTossOnFilledPlate},
    {"reload_time", &TuningParameters::mReloadTime, nullptr},
    {"cupid_wait_ms", &TuningParameters::mCupidWaitMs, nullptr},
    {"bumps_to_explode", nullptr, &TuningParameters::mBumpsToExplode},
};

// True when the text spells a number that no float holds: a NaN, an
// infinity or a value past the float range. The number reader gives such a
// text 0, which would silently replace a default.
bool IsNonFiniteNumber(const char* text)
{
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    if (*p == '+')
        ++p;
    double value = 0.0;
    const auto result = std::from_chars(p, p + std::strlen(p), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        return true;
    return result.ec == std::errc() && (!std::isfinite(value) || std::fabs(value) > double(FLT_MAX));
}

} // namespace

bool ReadTuningParameters(const ObjectXmlElement& element)
{
    TuningParameters& tuning = Play().mTuning;
    for (const TuningRow& row : kTuningRows) {
        const char* text = element.GetAttribute(row.key);
        if (text == nullptr)
            continue;
        if (row.intField != nullptr) {
            tuning.*row.intField = ObjectXmlElement::TextToInt(text);
            return true;
        }
        if (IsNonFiniteNumber(text))
            return false;
        const float value = ObjectXmlElement::TextToFloat(text);
        tuning.*row.floatField = value;
        if (row.floatField == &TuningParameters::mInitialDifficulty) {
            if (GameState* game = GameState::TryCurrent()) {
                float& difficulty = game->mProfiles.Current().mDifficulty;
                if (difficulty == 0.0f)
                    difficulty = value;
            }
        }
        return true;
    }
    return false;
}

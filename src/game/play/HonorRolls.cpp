#include "game/play/HonorRolls.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/PlayerProfiles.h"
#include "game/play/GameModes.h"

#include <cstdint>

namespace {

constexpr int kRollSize = PlayerProfiles::kRollSize;

constexpr const char* kNames[kRollSize] = {"Ada",   "Bruno", "Clara", "Dmitri", "Elena",
                                           "Farid", "Greta", "Hugo",  "Ines",   "Jonas"};
// The built-in rolls are not in score order; they are kept as they were made.
constexpr int32_t kLevelScores[kRollSize] = {2100000, 1980000, 1960000, 1940000, 1860000,
                                             1800000, 1760000, 1700000, 1800000, 1800000};
constexpr int32_t kTrickScores[kRollSize] = {550000, 520000, 460000, 400000, 350000,
                                             320000, 300000, 250000, 250000, 250000};
constexpr uint32_t kLevelTicks[kRollSize] = {375000, 350000, 325000, 300000, 250000,
                                             275000, 250000, 225000, 200000, 175000};
constexpr int32_t kSurvivalScores[kRollSize] = {150000, 140000, 130000, 120000, 110000,
                                                100000, 80000,  60000,  60000,  60000};
constexpr uint32_t kSurvivalTicks[kRollSize] = {225000, 210000, 195000, 180000, 165000,
                                                150000, 120000, 90000,  90000,  90000};

void FillRoll(HonorRollEntry* roll, const int32_t* scores, const uint32_t* ticks)
{
    for (int i = 0; i < kRollSize; ++i) {
        CopyToField(roll[i].mName, kNames[i]);
        roll[i].mScore = scores[i];
        CopyToField(roll[i].mText, FormatMinutesSeconds(ticks[i]).c_str());
    }
}

} // namespace

void ResetHonorRolls(PlayerProfiles& profiles)
{
    FillRoll(profiles.mRolls[kFlood], kLevelScores, kLevelTicks);
    FillRoll(profiles.mRolls[kJourney], kLevelScores, kLevelTicks);
    FillRoll(profiles.mRolls[kTrickshot], kTrickScores, kLevelTicks);
    FillRoll(profiles.mRolls[kSurvival], kSurvivalScores, kSurvivalTicks);
}

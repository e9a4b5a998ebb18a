#include "game/play/TextKeys.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ProfileBytes.h"
#include "game/play/GameModes.h"
#include "game/play/Progress.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kTicksPerSecond = 250;
// "LEVEL_NUMBER" shows a building number below this progress; "REGION_LEVEL"
// below this building number.
constexpr int kLastNumberedProgress = 71;
constexpr int kLastRegionBuilding = 72;

std::string Format(const char* format, ...)
{
    char text[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return text;
}

// The played level's statistics, read from the bottom screen (the level
// under its summary); all zero without one.
struct Statistics {
    int64_t shots = 0;
    int64_t hits = 0;
    int64_t tumbleCombos = 0;
    int64_t ticksInScroll = 0;
};

Statistics ReadStatistics()
{
    Statistics stats;
    if (const Level* level = BottomLevel()) {
        stats.shots = level->mShots;
        stats.hits = level->mHits;
        stats.tumbleCombos = level->mTumbleCombos;
        stats.ticksInScroll = level->mTicksInScroll;
    }
    return stats;
}

// Hundredths of a percent, 0 .. 10000; no shots count as one.
int64_t Accuracy(const Statistics& stats)
{
    const int64_t accuracy = stats.hits * 10000 / std::max<int64_t>(stats.shots, 1);
    return std::clamp<int64_t>(accuracy, 0, 10000);
}

int64_t AccuracyBonus(const Statistics& stats)
{
    return Accuracy(stats) / 100 * 100;
}

int64_t CombosBonus(const Statistics& stats)
{
    return stats.tumbleCombos * 100;
}

// A level of under a second counts as one second.
int64_t TimeBonus(const Statistics& stats)
{
    const int64_t seconds = std::max<int64_t>(1, std::max<int64_t>(stats.ticksInScroll, 1) / kTicksPerSecond);
    return 100000 / seconds / 100 * 100;
}

int64_t TriesBonus(int mode, int tries)
{
    if (tries == 1)
        return 1000;
    if (mode == kJourney && tries >= 2)
        return int64_t(tries - 1) * 5000;
    return 0;
}

std::string Clock(int64_t ticks)
{
    return FormatMinutesSeconds(uint32_t(std::clamp<int64_t>(ticks, 0, INT32_MAX)));
}

const char* TitleOf(const AnimObject* screen)
{
    const Level* level = dynamic_cast<const Level*>(screen);
    return level != nullptr ? level->mTitle : "";
}

bool InnerLayerHoldsPlate(AnimObject* screen)
{
    AnimObject* inner = InnerLayerOf(screen);
    return inner != nullptr && inner->FindChildOfKind(kKindPlate) != nullptr;
}

// The bottom screen's trick level is solved: it has its layers and no plate is left.
bool TrickSolved()
{
    AnimObject* bottom = Game().mLiveObjects.Head();
    return InnerLayerOf(bottom) != nullptr && !InnerLayerHoldsPlate(bottom);
}

bool HasTutorial(AnimObject* screen)
{
    return screen != nullptr && screen->FindChildOfKind(kKindTutorial) != nullptr;
}

// The entry number written after the roll key's prefix: 0 .. 9; -1 when the
// key does not hold the prefix or no entry number follows it.
int RollEntryNumber(const char* key, const char* prefix)
{
    const char* at = std::strstr(key, prefix);
    if (at == nullptr)
        return -1;
    const char* digits = at + std::strlen(prefix);
    if (*digits < '0' || *digits > '9')
        return -1;
    long number = 0;
    for (; *digits >= '0' && *digits <= '9' && number < 100; ++digits)
        number = number * 10 + (*digits - '0');
    return number <= 9 ? int(number) : -1;
}

const char* RegionTitle(int mode, int number)
{
    for (const LevelRecord* record = ModeLevelList(mode).Head(); record != nullptr; record = record->mNext) {
        if (record->mNumber == number)
            return record->mTitle;
    }
    return nullptr;
}

// The tutorial's tips, in the order its script shows them (the level adds
// "LOSE_TIP" among them). A tip is laid out in lines of at most 18
// characters on a scroll that holds three; while the arrow shows below the
// scroll (aiming, shapes) a tip keeps to two.
struct TipText {
    const char* key;
    const char* text;
};

const TipText kTutorialTips[] = {
    {"TUTORIAL_HELLO", "Hi! I am Cupid. I will help you save the city!"},
    {"TUTORIAL_SINKING", "The city sinks into the sea. Click to go on."},
    {"TUTORIAL_FILL", "Fill every slot of a plate to clear it!"},
    {"TUTORIAL_TRY", "Let's try it! Click when ready."},
    {"TUTORIAL_AIM", "Aim, then click to throw!"},
    {"TUTORIAL_CLEARED", "Well done! A full plate is cleared."},
    {"TUTORIAL_SHAPES", "Match each shape to its slot!"},
    {"TUTORIAL_GREAT", "Great work!"},
    {"TUTORIAL_SWAP", "Right click swaps your treasures."},
    {"TUTORIAL_ON_YOUR_OWN", "Now clear the last plates by yourself!"},
    {"TUTORIAL_DONE", "Well done! Click to begin your journey."},
};

} // namespace

std::string ResolveTextKey(const char* key)
{
    if (key == nullptr)
        return std::string();
    const auto is = [key](const char* name) { return std::strcmp(key, name) == 0; };

    GameState& game = Game();
    PlayerProfile& profile = CurrentProfile();
    const int mode = CurrentMode();
    const int progress = CurrentProgress();
    const int tries = profile.mTries[mode];

    if (is("HIGH_SCORE_MODE_NAME")) {
        switch (mode) {
        case kFlood:
            return "FLOOD HONOR ROLL";
        case kSurvival:
            return "SURVIVAL HONOR ROLL";
        case kTrickshot:
            return "TRICKSHOT HONOR ROLL";
        default:
            return "JOURNEY HONOR ROLL";
        }
    }
    // Read while a screen is built, the screen being built is the topmost.
    if (is("LEVEL_TITLE"))
        return progress == 0 ? "SAVE THE TREASURE!" : TitleOf(game.Topmost());
    if (is("SURVIVAL_TIME")) {
        const AnimObject* clock = game.mLevel != nullptr ? game.mLevel->FindChildByName("endlesspan") : nullptr;
        const float ticks = clock != nullptr ? clock->mFrameCounter : 0.0f;
        return "YOU SURVIVED FOR " + Clock(SaturateToInt(ticks));
    }
    if (is("LEVEL_NUMBER")) {
        if (mode == kSurvival)
            return "HOW LONG CAN YOU SURVIVE?";
        if (progress < kLastNumberedProgress || mode == kTrickshot)
            return Format("BUILDING %d", progress + 1);
        return " ";
    }
    if (is("TRICKSHOT_WIN") || is("trickshot_summary"))
        return mode == kTrickshot ? "trickymode_summary" : "trickshot_summary";
    if (is("TRICKS_IN_A_ROW")) {
        if (profile.mTrickStreak >= 2)
            return Format("%d in a row!", profile.mTrickStreak);
        return profile.mTrickStreak == 1 ? "Excellent Shot!" : " ";
    }
    if (is("LEVEL_SUMMARY") || is("level_summary") || is("relaxed_summary"))
        return mode == kJourney ? "relaxed_summary" : "level_summary";
    if (is("BUILDING_CONTINUE"))
        return Format("YOU WERE AT BUILDING %d", progress + 1);

    const Statistics stats = ReadStatistics();
    if (is("SHOT_ACCURACY"))
        return Format("%d%s ACCURACY:", int(Accuracy(stats) / 100), "%");
    if (is("COMBOS_MADE"))
        return Format("%lld TUMBLE COMBOS:", static_cast<long long>(stats.tumbleCombos));
    if (is("TIME_TAKEN"))
        return Clock(stats.ticksInScroll) + " TIME TAKEN:";
    if (is("LIVES_LOST"))
        return Format(tries == 0 ? "%lld TRY REMAINING:" : "%lld TRIES REMAINING:", static_cast<long long>(tries) + 1);
    if (is("LIVES_LOST_SCORE"))
        return Format("%lld", static_cast<long long>(TriesBonus(mode, tries)));
    if (is("SHOT_ACCURACY_SCORE"))
        return Format("%lld", static_cast<long long>(AccuracyBonus(stats)));
    if (is("COMBOS_MADE_SCORE"))
        return Format("%lld", static_cast<long long>(CombosBonus(stats)));
    if (is("TIME_TAKEN_SCORE"))
        return Format("%lld", static_cast<long long>(TimeBonus(stats)));
    if (is("TOTAL_BONUS")) {
        const int64_t total = TriesBonus(mode, tries) + TimeBonus(stats) + AccuracyBonus(stats) + CombosBonus(stats);
        profile.mScore = AddSaturated(profile.mScore, total);
        profile.mBankedScore[mode] = profile.mScore;
        return Format("%lld", static_cast<long long>(total));
    }
    if (is("NEXT_TRICKSHOT"))
        return NextTrickshot();
    if (is("NEXT_LEVEL"))
        return ChooseNextLevel();
    if (is("THIS_LEVEL"))
        return mode == kSurvival ? "endless" : Format("%u", Modes().nextLevelNumber);

    if (const char* at = std::strstr(key, "CURRENT_USER_NAME"))
        return std::string(key, size_t(at - key)) + profile.mName;
    const HonorRollEntry* roll = game.mProfiles.mRolls[mode];
    if (const int n = RollEntryNumber(key, "HIGH_SCORE_NAME_"); n >= 0)
        return Format("%d. %s", n + 1, roll[n].mName);
    if (const int n = RollEntryNumber(key, "HIGH_SCORE_TIME_"); n >= 0)
        return roll[n].mText;
    if (const int n = RollEntryNumber(key, "HIGH_SCORE_SCORE_"); n >= 0)
        return Format("%d", roll[n].mScore);

    if (is("TRICKSHOT_RESULT"))
        return TrickSolved() ? "GREAT SHOT!" : "MAYBE NEXT TIME";
    if (is("TRICKSHOT_BONUS")) {
        if (!TrickSolved())
            return "BONUS: 0";
        const int64_t bonus = mode == kTrickshot ? int64_t(profile.mTrickStreak) * 1000 : 10000;
        profile.mScore = AddSaturated(profile.mScore, bonus);
        profile.mBankedScore[mode] = profile.mScore;
        return Format("BONUS: %lld", static_cast<long long>(bonus));
    }
    // The first answer is another key, so that the choice waits for the click.
    if (is("PICK_LEVEL_SELECT_OR_LOADING2"))
        return "PICK_LEVEL_SELECT_OR_LOADING";
    if (is("PICK_LEVEL_SELECT_OR_LOADING"))
        return progress > 0 ? "continue_game" : "loading";
    if (is("LEVEL_SELECT_OR_MODE")) {
        if (mode == kSurvival)
            return "endless";
        return mode == kTrickshot ? std::string(key) : "level_select";
    }
    if (is("REGION_LEVEL"))
        return progress + 1 < kLastRegionBuilding ? Format("BUILDING %d", progress + 1) : "CONGRATULATIONS!";
    if (is("LEVEL_NAME"))
        return TitleOf(game.mLevel);
    if (is("REGION_NAME")) {
        const char* title = RegionTitle(mode, progress + 1);
        return title != nullptr ? title : "REGION NAME HERE";
    }
    if (is("LOSE_TIP")) {
        return mode == kFlood ? "Don't let the plates sink!  That's how you LOSE!"
                              : "You LOSE by letting items fall in the water!";
    }
    if (is("DELETE_CONFIRM"))
        return game.mProfiles.CountUsedProfiles() < 2 ? "one_user_left" : "delete_user_confirm";
    if (is("INSERT_USER"))
        return game.mProfiles.CountUsedProfiles() < PlayerProfiles::kProfileCount ? "input_name" : "too_many_users";
    if (is("QUIT_GAME_CONFIRM_1")) {
        if (HasTutorial(game.mLiveObjects.Head()))
            return "If you exit this tutorial, you can";
        return mode == kSurvival ? "If you exit Survival, you will have to" : "If you exit, you will have to restart";
    }
    if (is("QUIT_GAME_CONFIRM_2")) {
        if (HasTutorial(game.mLiveObjects.Head()))
            return "see it again the next time you play.";
        return mode == kSurvival ? "start over the next time you play." : "this building the next time you play.";
    }
    if (is("QUIT_GAME_CONFIRM_3"))
        return "Are you sure you want to exit?";
    for (const TipText& tip : kTutorialTips) {
        if (is(tip.key))
            return tip.text;
    }
    return key;
}

#include "game/play/Progress.h"

#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/play/GameModes.h"

#include <cstdio>
#include <cstring>

namespace {

// After this many draws the row's first undone trick is taken: a generator
// stuck on one value would otherwise draw for ever.
constexpr int kMaxTrickDraws = 1000;

bool AnyScreenNameContains(const char* text)
{
    for (AnimObject* screen = Game().mLiveObjects.Head(); screen != nullptr; screen = screen->mNext) {
        if (std::strstr(screen->mName, text) != nullptr)
            return true;
    }
    return false;
}

// The largest number in the list: its last level (the win sequence). Screens
// listed after the levels carry 0 and must not end the game early.
int LastLevelNumber(const ObjectList<LevelRecord>& list)
{
    int last = 0;
    for (const LevelRecord* record = list.Head(); record != nullptr; record = record->mNext) {
        if (record->mNumber > last)
            last = record->mNumber;
    }
    return last;
}

bool TrickHasLevel(int index)
{
    for (const LevelRecord* record = Game().mTrickLevels.Head(); record != nullptr; record = record->mNext) {
        if (record->mNumber == index)
            return true;
    }
    return false;
}

// Undone: not made yet, and there is a level to play for it.
bool TrickUndone(const PlayerProfile& profile, int index)
{
    if (index < 0 || index >= PlayerProfile::kTrickRows * PlayerProfile::kTrickColumns)
        return false;
    return profile.mTrickDone[index / PlayerProfile::kTrickColumns][index % PlayerProfile::kTrickColumns] == 0
           && TrickHasLevel(index);
}

std::string Number(long long value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%lld", value);
    return text;
}

} // namespace

std::string ChooseNextLevel()
{
    PlayerProfile& profile = CurrentProfile();
    const int mode = CurrentMode();
    const bool mapLive = AnyScreenNameContains("level_select");
    const bool menuLive = AnyScreenNameContains("main_menu") || AnyScreenNameContains("tutorial2");

    profile.mScore = profile.mBankedScore[mode];
    int next = CurrentProgress() + 1;
    ModeState& modes = Modes();
    modes.nextLevelNumber = uint32_t(next);

    if (mode == kTrickshot)
        return "NEXT_TRICKSHOT";

    const Level* bottom = BottomLevel();
    const bool afterTutorial = bottom != nullptr && std::strstr(bottom->mName, "tutorial") != nullptr;
    if (!(mode == kSurvival || next > 1 || profile.mLevelSelect != 0 || afterTutorial)) {
        // The first level of Flood or Journey: the tutorial comes first.
        modes.nextLevelNumber = uint32_t(next - 1);
        return "tutorial2";
    }
    if (mode == kSurvival)
        return "endless";

    const int last = LastLevelNumber(ModeLevelList(mode));
    if (last <= 0 || last <= next)
        return "high_scores";
    if (next == last - 1) {
        if (mode == kFlood) {
            profile.mSurvivalUnlocked = 1;
            if (mapLive)
                return Number(next);
            profile.mLevelSelect = 1;
            return "level_select";
        }
        profile.mTrickshotUnlocked = 1;
        return mapLive ? Number(next) : "level_select";
    }
    if (mapLive || (!menuLive && (next < 2 || (next - 1) % 3 != 0))) {
        if (next > 2)
            profile.mFloodUnlocked = 1;
        return Number(next);
    }
    profile.mLevelSelect = 1;
    return "level_select";
}

std::string NextTrickshot()
{
    PlayerProfile& profile = CurrentProfile();
    constexpr int kRows = PlayerProfile::kTrickRows;
    constexpr int kColumns = PlayerProfile::kTrickColumns;

    int row = -1;
    for (int r = 0; r < kRows && row < 0; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            if (TrickUndone(profile, r * kColumns + c)) {
                row = r;
                break;
            }
        }
    }
    if (row < 0)
        return "win_sequence";

    int index = profile.mProgress[kTrickshot];
    if (!TrickUndone(profile, index)) {
        int column = -1;
        for (int draw = 0; draw < kMaxTrickDraws && column < 0; ++draw) {
            const int drawn = int(RandomIntRange(0, kColumns - 1));
            if (TrickUndone(profile, row * kColumns + drawn))
                column = drawn;
        }
        for (int c = 0; c < kColumns && column < 0; ++c) {
            if (TrickUndone(profile, row * kColumns + c))
                column = c;
        }
        index = row * kColumns + column;
    }
    profile.mProgress[kTrickshot] = index;
    return Number(1000 + index);
}

void ResetTrickshotProgress()
{
    PlayerProfile& profile = CurrentProfile();
    if (CurrentMode() != kTrickshot)
        return;
    for (auto& row : profile.mTrickDone) {
        for (int32_t& done : row)
            done = 0;
    }
    profile.mTrickStreak = 0;
}

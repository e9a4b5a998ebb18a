#include "game/engine/PlayerProfile.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/ProfileBytes.h"

#include <cmath>
#include <cstring>

namespace {

// Offsets within the record.
constexpr size_t kNameAt = 0x0000;
constexpr size_t kProgressAt = 0x0040;
constexpr size_t kInstructionsAt = 0x0050;
constexpr size_t kLevelSelectAt = 0x0054;
constexpr size_t kUnused058At = 0x0058;
constexpr size_t kScoreAt = 0x005c;
constexpr size_t kModeAt = 0x0060;
constexpr size_t kUnused064At = 0x0064;
constexpr size_t kDifficultyAt = 0x0068;
constexpr size_t kUnused06cAt = 0x006c;
constexpr size_t kResetTriesAt = 0x1084;
constexpr size_t kUnused1094At = 0x1094;
constexpr size_t kTriesAt = 0x1098;
constexpr size_t kUnused10a8At = 0x10a8;
constexpr size_t kBankedScoreAt = 0x10ac;
constexpr size_t kUnused10bcAt = 0x10bc;
constexpr size_t kTrickDoneAt = 0x10c0;
constexpr size_t kTrickStreakAt = 0x1260;
constexpr size_t kUnlockedAt = 0x1264;
constexpr size_t kCupidSaveUsedAt = 0x1270;
constexpr size_t kExplainFloodAt = 0x1274;
static_assert(kExplainFloodAt + 4 == PlayerProfile::kRecordSize);
static_assert(kUnused06cAt + 4120 == kResetTriesAt);
static_assert(kTrickDoneAt + 4 * 8 * 13 == kTrickStreakAt);

void ReadInts(const uint8_t* bytes, int32_t* values, int count)
{
    for (int i = 0; i < count; ++i)
        values[i] = LoadInt32(bytes + 4 * i);
}

void WriteInts(uint8_t* bytes, const int32_t* values, int count)
{
    for (int i = 0; i < count; ++i)
        StoreInt32(bytes + 4 * i, values[i]);
}

} // namespace

void PlayerProfile::ResetToDefault()
{
    Clear();
    for (int32_t& tries : mTries)
        tries = kDefaultTries;
}

void PlayerProfile::Clear()
{
    *this = PlayerProfile();
}

void PlayerProfile::SetName(const char* name)
{
    CopyToField(mName, name);
}

void PlayerProfile::Read(const uint8_t* bytes)
{
    std::memcpy(mName, bytes + kNameAt, sizeof(mName));
    ReadInts(bytes + kProgressAt, mProgress, kModeCount);
    mInstructions = LoadInt32(bytes + kInstructionsAt);
    mLevelSelect = LoadInt32(bytes + kLevelSelectAt);
    std::memcpy(mUnused058, bytes + kUnused058At, sizeof(mUnused058));
    mScore = LoadInt32(bytes + kScoreAt);
    mMode = LoadInt32(bytes + kModeAt);
    std::memcpy(mUnused064, bytes + kUnused064At, sizeof(mUnused064));
    mDifficulty = LoadFloat(bytes + kDifficultyAt);
    std::memcpy(mUnused06c, bytes + kUnused06cAt, sizeof(mUnused06c));
    ReadInts(bytes + kResetTriesAt, mResetTries, kModeCount);
    std::memcpy(mUnused1094, bytes + kUnused1094At, sizeof(mUnused1094));
    ReadInts(bytes + kTriesAt, mTries, kModeCount);
    std::memcpy(mUnused10a8, bytes + kUnused10a8At, sizeof(mUnused10a8));
    ReadInts(bytes + kBankedScoreAt, mBankedScore, kModeCount);
    std::memcpy(mUnused10bc, bytes + kUnused10bcAt, sizeof(mUnused10bc));
    ReadInts(bytes + kTrickDoneAt, &mTrickDone[0][0], kTrickRows * kTrickColumns);
    mTrickStreak = LoadInt32(bytes + kTrickStreakAt);
    mFloodUnlocked = LoadInt32(bytes + kUnlockedAt);
    mTrickshotUnlocked = LoadInt32(bytes + kUnlockedAt + 4);
    mSurvivalUnlocked = LoadInt32(bytes + kUnlockedAt + 8);
    mCupidSaveUsed = LoadInt32(bytes + kCupidSaveUsedAt);
    mExplainFloodShown = LoadInt32(bytes + kExplainFloodAt);
}

void PlayerProfile::Write(uint8_t* bytes) const
{
    std::memcpy(bytes + kNameAt, mName, sizeof(mName));
    WriteInts(bytes + kProgressAt, mProgress, kModeCount);
    StoreInt32(bytes + kInstructionsAt, mInstructions);
    StoreInt32(bytes + kLevelSelectAt, mLevelSelect);
    std::memcpy(bytes + kUnused058At, mUnused058, sizeof(mUnused058));
    StoreInt32(bytes + kScoreAt, mScore);
    StoreInt32(bytes + kModeAt, mMode);
    std::memcpy(bytes + kUnused064At, mUnused064, sizeof(mUnused064));
    StoreFloat(bytes + kDifficultyAt, mDifficulty);
    std::memcpy(bytes + kUnused06cAt, mUnused06c, sizeof(mUnused06c));
    WriteInts(bytes + kResetTriesAt, mResetTries, kModeCount);
    std::memcpy(bytes + kUnused1094At, mUnused1094, sizeof(mUnused1094));
    WriteInts(bytes + kTriesAt, mTries, kModeCount);
    std::memcpy(bytes + kUnused10a8At, mUnused10a8, sizeof(mUnused10a8));
    WriteInts(bytes + kBankedScoreAt, mBankedScore, kModeCount);
    std::memcpy(bytes + kUnused10bcAt, mUnused10bc, sizeof(mUnused10bc));
    WriteInts(bytes + kTrickDoneAt, &mTrickDone[0][0], kTrickRows * kTrickColumns);
    StoreInt32(bytes + kTrickStreakAt, mTrickStreak);
    StoreInt32(bytes + kUnlockedAt, mFloodUnlocked);
    StoreInt32(bytes + kUnlockedAt + 4, mTrickshotUnlocked);
    StoreInt32(bytes + kUnlockedAt + 8, mSurvivalUnlocked);
    StoreInt32(bytes + kCupidSaveUsedAt, mCupidSaveUsed);
    StoreInt32(bytes + kExplainFloodAt, mExplainFloodShown);
}

void PlayerProfile::Sanitize()
{
    mName[kNameSize - 1] = 0;
    if (mMode < 0 || mMode >= kModeCount)
        mMode = 0;
    if (!std::isfinite(mDifficulty))
        mDifficulty = 0.0f;
    // Progress and streak index the trick table and pick level numbers
    // (1000 and up are trick numbers); a value out of range starts over.
    for (int mode = 0; mode < kModeCount; ++mode) {
        const int32_t limit = mode == kModeTrickshot ? kTrickRows * kTrickColumns - 1 : kMaxProgress;
        if (mProgress[mode] < 0 || mProgress[mode] > limit)
            mProgress[mode] = 0;
        if (mTries[mode] < -1 || mTries[mode] > kMaxProgress)
            mTries[mode] = kDefaultTries;
    }
    if (mTrickStreak < 0 || mTrickStreak > kTrickRows * kTrickColumns)
        mTrickStreak = 0;
}

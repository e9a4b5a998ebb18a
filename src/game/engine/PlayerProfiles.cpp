#include "game/engine/PlayerProfiles.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameHooks.h"
#include "game/engine/GameState.h"
#include "game/engine/ProfileBytes.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr const char* kDefaultNames[PlayerProfiles::kRollSize] = {
    "Ada", "Bruno", "Clara", "Dmitri", "Elena", "Farid", "Greta", "Hugo", "Ines", "Jonas"};
constexpr int32_t kDefaultScores[PlayerProfiles::kRollSize] = {200000, 180000, 160000, 140000, 120000,
                                                                100000, 90000,  80000,  70000,  60000};
constexpr uint32_t kDefaultTicks[PlayerProfiles::kRollSize] = {375000, 350000, 325000, 300000, 250000,
                                                                275000, 250000, 225000, 200000, 175000};


} // namespace

int PlayerProfiles::CountUsedProfiles() const
{
    int count = 0;
    for (const PlayerProfile& profile : mProfiles)
        count += profile.IsUsed() ? 1 : 0;
    return count;
}

int PlayerProfiles::FirstFreeProfile() const
{
    for (int i = 0; i < kProfileCount; ++i)
        if (!mProfiles[i].IsUsed())
            return i;
    return -1;
}

int PlayerProfiles::FirstUsedProfile() const
{
    for (int i = 0; i < kProfileCount; ++i)
        if (mProfiles[i].IsUsed())
            return i;
    return -1;
}

bool PlayerProfiles::SetCurrent(int index)
{
    if (index < 0 || index >= kProfileCount)
        return false;
    mCurrent = index;
    return true;
}

void PlayerProfiles::CreateDefaults()
{
    mCurrent = 0;
    for (auto& roll : mRolls) {
        for (int i = 0; i < kRollSize; ++i) {
            HonorRollEntry& entry = roll[i];
            CopyToField(entry.mName, sizeof(entry.mName), kDefaultNames[i]);
            entry.mScore = kDefaultScores[i];
            CopyToField(entry.mText, sizeof(entry.mText), FormatMinutesSeconds(kDefaultTicks[i]).c_str());
        }
    }
    for (PlayerProfile& profile : mProfiles)
        profile.ResetToDefault();
    if (GameState* game = GameState::TryCurrent(); game != nullptr && game->mHooks != nullptr)
        game->mHooks->ResetHonorRolls(*this);
}

void PlayerProfiles::AddScore(const char* text)
{
    PlayerProfile& profile = Current();
    HonorRollEntry* roll = mRolls[profile.mMode];
    HonorRollEntry added;
    CopyToField(added.mName, sizeof(added.mName), profile.mName);
    added.mScore = profile.mScore;
    CopyToField(added.mText, sizeof(added.mText), text);
    // A finished game's screen is reached again each time the player
    // continues it: the same run goes on the roll once.
    for (int i = 0; i < kRollSize - 1; ++i) {
        if (roll[i].mScore == added.mScore && std::strcmp(roll[i].mName, added.mName) == 0 &&
            std::strcmp(roll[i].mText, added.mText) == 0)
            return;
    }
    roll[kRollSize - 2] = added;
    std::stable_sort(roll, roll + kRollSize - 1, [](const HonorRollEntry& a, const HonorRollEntry& b) {
        return CompareHonorRollEntries(a, b) < 0;
    });
}

void PlayerProfiles::ResetProfileProgress()
{
    PlayerProfile& profile = Current();
    const int mode = profile.mMode;
    profile.mProgress[mode] = 0;
    profile.mBankedScore[mode] = 0;
    profile.mScore = 0;
    profile.mTries[mode] = PlayerProfile::kDefaultTries;
    profile.mResetTries[mode] = PlayerProfile::kDefaultTries;
    if (GameState* game = GameState::TryCurrent(); game != nullptr && game->mHooks != nullptr)
        game->mHooks->ResetTrickshotProgress();
}

bool PlayerProfiles::Read(const uint8_t* bytes, size_t size)
{
    if (bytes == nullptr || size != kFileSize)
        return false;
    mCurrent = LoadInt32(bytes);
    const uint8_t* at = bytes + 4;
    for (PlayerProfile& profile : mProfiles) {
        profile.Read(at);
        at += PlayerProfile::kRecordSize;
    }
    for (auto& roll : mRolls) {
        for (HonorRollEntry& entry : roll) {
            entry.Read(at);
            at += HonorRollEntry::kRecordSize;
        }
    }
    Sanitize();
    return true;
}

void PlayerProfiles::Write(uint8_t* bytes) const
{
    StoreInt32(bytes, mCurrent);
    uint8_t* at = bytes + 4;
    for (const PlayerProfile& profile : mProfiles) {
        profile.Write(at);
        at += PlayerProfile::kRecordSize;
    }
    for (const auto& roll : mRolls) {
        for (const HonorRollEntry& entry : roll) {
            entry.Write(at);
            at += HonorRollEntry::kRecordSize;
        }
    }
}

void PlayerProfiles::Sanitize()
{
    for (PlayerProfile& profile : mProfiles)
        profile.Sanitize();
    for (auto& roll : mRolls) {
        for (HonorRollEntry& entry : roll) {
            entry.mName[sizeof(entry.mName) - 1] = 0;
            entry.mText[sizeof(entry.mText) - 1] = 0;
        }
    }
    if (mCurrent < 0 || mCurrent >= kProfileCount) {
        const int used = FirstUsedProfile();
        mCurrent = used >= 0 ? used : 0;
    }
}

ProfilesLoadResult LoadProfiles(const std::string& userDataFolder)
{
    PlayerProfiles& profiles = Game().mProfiles;
    profiles.mFile.SetFolder(userDataFolder);
    return profiles.mFile.Load(profiles);
}

bool SaveProfiles()
{
    PlayerProfiles& profiles = Game().mProfiles;
    return profiles.mFile.Save(profiles);
}

void CreateDefaultProfiles()
{
    PlayerProfiles& profiles = Game().mProfiles;
    profiles.CreateDefaults();
    profiles.mFile.Save(profiles);
}

int AddScore(const char* text)
{
    PlayerProfiles& profiles = Game().mProfiles;
    profiles.AddScore(text);
    profiles.mFile.Save(profiles);
    return 1;
}

void ResetProfileProgress()
{
    Game().mProfiles.ResetProfileProgress();
}

int CountUsedProfiles()
{
    return Game().mProfiles.CountUsedProfiles();
}

// Fuzzes the player file "profiles.dat" through the loader. The first byte
// chooses whether the rest is taken as the whole file (any size: set aside,
// backup, defaults) or cut or padded to the right size (the record reader and
// its sanitizing). After a load every index, mode and text must be usable,
// and writing and reading the profiles again must give the same bytes.
#include "game/engine/GameState.h"
#include "game/engine/PlayerProfiles.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

std::string MakeFolder()
{
    std::random_device random;
    const auto path = std::filesystem::temp_directory_path() /
                      ("lumo-fuzz-profiles-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path);
    return path.string();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = MakeFolder();
    static GameState game;
    if (size == 0)
        return 0;
    std::vector<uint8_t> bytes(data + 1, data + size);
    if ((data[0] & 1) != 0)
        bytes.resize(PlayerProfiles::kFileSize, 0);

    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        std::filesystem::remove_all(entry.path(), ignored);
    const std::string path = folder + "/profiles.dat";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }

    LoadProfiles(folder);
    const PlayerProfiles& profiles = game.mProfiles;
    Check(profiles.mCurrent >= 0 && profiles.mCurrent < PlayerProfiles::kProfileCount);
    for (const PlayerProfile& profile : profiles.mProfiles) {
        Check(profile.mMode >= 0 && profile.mMode < PlayerProfile::kModeCount);
        Check(std::memchr(profile.mName, 0, sizeof(profile.mName)) != nullptr);
        Check(std::isfinite(profile.mDifficulty));
        // Values that index tables or choose level numbers stay in range.
        for (int mode = 0; mode < PlayerProfile::kModeCount; ++mode) {
            Check(profile.mProgress[mode] >= 0 && profile.mProgress[mode] <= PlayerProfile::kMaxProgress);
            Check(profile.mTries[mode] >= -1 && profile.mTries[mode] <= PlayerProfile::kMaxProgress);
        }
        Check(profile.mProgress[PlayerProfile::kModeTrickshot] < PlayerProfile::kTrickRows * PlayerProfile::kTrickColumns);
        Check(profile.mTrickStreak >= 0 && profile.mTrickStreak <= PlayerProfile::kTrickRows * PlayerProfile::kTrickColumns);
    }
    for (const auto& roll : profiles.mRolls) {
        for (const HonorRollEntry& entry : roll) {
            Check(std::memchr(entry.mName, 0, sizeof(entry.mName)) != nullptr);
            Check(std::memchr(entry.mText, 0, sizeof(entry.mText)) != nullptr);
        }
    }

    std::vector<uint8_t> first(PlayerProfiles::kFileSize), second(PlayerProfiles::kFileSize);
    profiles.Write(first.data());
    PlayerProfiles again;
    Check(again.Read(first.data(), first.size()));
    again.Write(second.data());
    Check(first == second);
    return 0;
}

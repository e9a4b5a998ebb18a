// The ten player profiles, the current one's index and the five honour rolls:
// what the player file "profiles.dat" holds, in its order.
#pragma once

#include "game/engine/HonorRollEntry.h"
#include "game/engine/PlayerProfile.h"
#include "game/engine/ProfilesFile.h"

#include <cstddef>
#include <cstdint>

class PlayerProfiles {
public:
    static constexpr int kProfileCount = 10;
    static constexpr int kRollCount = 5;
    static constexpr int kRollSize = 10;
    static constexpr size_t kRollBytes = kRollSize * HonorRollEntry::kRecordSize;
    static constexpr size_t kFileSize = 4 + kProfileCount * PlayerProfile::kRecordSize + kRollCount * kRollBytes;

    PlayerProfile& Current() { return mProfiles[mCurrent]; }
    const PlayerProfile& Current() const { return mProfiles[mCurrent]; }
    // Profiles with a name.
    int CountUsedProfiles() const;
    // The first free slot, or -1 when all ten have a name.
    int FirstFreeProfile() const;
    // The first slot with a name, or -1.
    int FirstUsedProfile() const;
    // Makes the profile current when the index is 0..9.
    bool SetCurrent(int index);

    // The built-in rolls, every record a new player's and the first current,
    // then the game's own roll defaults.
    void CreateDefaults();
    // The current profile's name, score and the text replace the ninth line of
    // its mode's roll, and the first nine lines are sorted again; a line
    // the same in all three is already there and stays alone.
    void AddScore(const char* text);
    // The current mode starts over for the current profile.
    void ResetProfileProgress();

    // The file's bytes. Read takes exactly kFileSize bytes (false otherwise,
    // nothing changed) and sanitizes them.
    bool Read(const uint8_t* bytes, size_t size);
    void Write(uint8_t* bytes) const;
    void Sanitize();

    int32_t mCurrent = 0;
    PlayerProfile mProfiles[kProfileCount];
    HonorRollEntry mRolls[kRollCount][kRollSize];
    // Where the profiles are kept.
    ProfilesFile mFile;
};

// The player file's operations on the current game state's profiles.
// LoadProfiles reads "profiles.dat" of the folder (see ProfilesFile::Load);
// SaveProfiles writes it back where the last load read it from.
ProfilesLoadResult LoadProfiles(const std::string& userDataFolder);
bool SaveProfiles();
void CreateDefaultProfiles();
int AddScore(const char* text);
void ResetProfileProgress();
int CountUsedProfiles();

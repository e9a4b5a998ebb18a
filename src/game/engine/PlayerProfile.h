// One player's record of the player file: name, game mode, progress, tries,
// scores and unlock flags per mode. The ranges the game does not use are kept
// as read, so a file from any build is written back as it came.
#pragma once

#include <cstddef>
#include <cstdint>

class PlayerProfile {
public:
    static constexpr size_t kRecordSize = 4728;
    static constexpr int kNameSize = 64;
    static constexpr int kModeCount = 4;
    static constexpr int kTrickRows = 8;
    static constexpr int kTrickColumns = 13;
    static constexpr int kDefaultTries = 3;
    // The highest progress of a level mode, and the mode whose progress is a trick index.
    static constexpr int32_t kMaxProgress = 999;
    static constexpr int kModeTrickshot = 3;

    // A free slot: its name is empty.
    bool IsUsed() const { return mName[0] != 0; }
    // What a new player starts with: zeroes, 3 tries in every mode.
    void ResetToDefault();
    // Every byte zero (also the unused ranges).
    void Clear();
    // Sets the name, cut to fit; null gives an empty name.
    void SetName(const char* name);

    void Read(const uint8_t* bytes);
    void Write(uint8_t* bytes) const;
    // Makes a record read from a file safe to use: the name ends in a NUL, and
    // a value that would index out of range or is not a number becomes a new
    // player's (mode 0..3, progress 0..999 or a trick index, tries -1..999,
    // streak 0..104, a finite difficulty).
    void Sanitize();

    char mName[kNameSize] = {};
    int32_t mProgress[kModeCount] = {};
    // The tutorial-instructions checkbox of the options screen.
    int32_t mInstructions = 0;
    int32_t mLevelSelect = 0;
    int32_t mScore = 0;
    int32_t mMode = 0;
    float mDifficulty = 0.0f;
    // Set to 3 with the tries when a mode's progress is reset.
    int32_t mResetTries[kModeCount] = {};
    int32_t mTries[kModeCount] = {};
    int32_t mBankedScore[kModeCount] = {};
    int32_t mTrickDone[kTrickRows][kTrickColumns] = {};
    int32_t mTrickStreak = 0;
    int32_t mFloodUnlocked = 0;
    int32_t mTrickshotUnlocked = 0;
    int32_t mSurvivalUnlocked = 0;
    int32_t mCupidSaveUsed = 0;
    int32_t mExplainFloodShown = 0;

private:
    // Ranges of the record the game does not use, by offset.
    uint8_t mUnused058[4] = {};
    uint8_t mUnused064[4] = {};
    uint8_t mUnused06c[4120] = {};
    uint8_t mUnused1094[4] = {};
    uint8_t mUnused10a8[4] = {};
    uint8_t mUnused10bc[4] = {};
};

// The root object of every screen: menus, summaries and the played level.
// Each tick it publishes its key objects in the game state, copies the mouse
// for its screen while topmost and cross-fades its music tracks; it holds the
// particle images that effects on it use and keeps the played level's
// statistics (the played level's own steps reach it through the game hooks).
#pragma once

#include "game/engine/AnimObject.h"

#include <cstdint>

class ImageRecord;
class SampleEntry;

class Level : public AnimObject {
public:
    // The intro-to-main and main-to-win cross-fades, in ticks.
    static constexpr float kIntroFadeTicks = 1000.0f;
    static constexpr float kWinFadeTicks = 80.0f;

    Level();
    ~Level() override;

    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;
    // The editor's rows for the win and lose messages, and their prompts.
    void EditorMenuItems(EditorMenu& menu) override;
    void EditorCommand(const char* command) override;
    int Update() override;
    void Draw() override;
    void DrawSelf() override;
    void OnFirstUpdate() override;

    // Points the game state at this screen and its key objects: the shooter,
    // the effects object, the tutorial and the three nested layers.
    void PublishPointers();

    // Music tracks: found or loaded through the sound layer by name.
    SampleEntry* mMusicEntry = nullptr;       // "music", looping
    char mMusicName[64] = {};
    int mMusicChannel = 0;
    SampleEntry* mIntroEntry = nullptr;       // "intro_music", once
    char mIntroName[64] = {};
    int mIntroChannel = 0;
    SampleEntry* mMainEntry = nullptr;        // "main_music", looping
    char mMainName[64] = {};
    int mMainChannel = 0;
    SampleEntry* mWinEntry = nullptr;         // "win_music", once
    char mWinName[64] = {};
    int mWinChannel = 0;

    float mIntroTimer = 0.0f;                 // ticks, counts down; drives the intro-to-main fade
    float mIntroTime = 0.0f;                  // ms as read
    float mWinFadeTimer = 0.0f;               // ticks; drives the main-to-win fade
    uint32_t mLevelNumber = 0;                // a trick level holds its trick index

    // Input copied each tick while this screen is topmost, else all 0.
    float mMouseX = 0.0f;
    float mMouseY = 0.0f;
    float mLeftButton = 0.0f;                 // this tick's press edges, 0 or 1
    float mRightButton = 0.0f;
    float mLeftClick = 0.0f;                  // 1 only on the tick the button value turns non-zero
    float mRightClick = 0.0f;
    float mPreviousLeft = 0.0f;
    float mPreviousRight = 0.0f;

    int32_t mEditorMode = 0;                  // the screen is being edited: it runs the editor instead
    char mTitle[64] = {};
    char mThumbnail[64] = {};
    char mWinMessage[64] = {};
    char mLoseMessage[64] = {};

    // Statistics of the played level.
    int32_t mToneChain = 0;                   // slots filled in quick succession
    int32_t mToneChainTimeout = 0;            // ticks
    int32_t mShots = 0;
    int32_t mHits = 0;
    int32_t mTumbleCombos = 0;
    int32_t mPowerUpsCaught = 0;
    int32_t mTicksInScroll = 0;

    int32_t mClearFirst = 0;                  // clear the screen before drawing
    int32_t mSinkSoundTimer = 0;              // ticks; 0 = off
    // Set by the events that dim or pause the screen below a popup.
    int32_t mPaused = 0;

    // Taken from the image cache at the first update; held (use counted).
    ImageRecord* mSparkleImage = nullptr;     // "gfx\\sparkle.png"
    ImageRecord* mLevelParticleImage = nullptr; // "gfx\\particle2.png"
    ImageRecord* mWhiteParticleImage = nullptr; // "gfx\\white_particle.png"

    // Set at each tick while another screen lies over this one: a screen
    // removed from below another silences its music.
    bool mCovered = false;
    // Whether the incoming track of each cross-fade has started.
    bool mMainStarted = false;
    bool mWinStarted = false;
};

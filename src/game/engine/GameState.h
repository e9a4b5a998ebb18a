// The game's run-time state shared by the engine and the gameplay: the record
// pools, the live list of screens, the loading state and quit flag shared with
// the loading thread, the current level's published objects, the generator.
// There is one current state; tests make a fresh one for each case.
#pragma once

#include "game/engine/AnimObject.h"
#include "game/engine/Filter.h"
#include "game/engine/GameRandom.h"
#include "game/engine/GameHooks.h"
#include "game/engine/GameInput.h"
#include "game/engine/ImageCache.h"
#include "game/engine/LevelRecord.h"
#include "game/engine/ObjectList.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/RecordPool.h"
#include "game/engine/Stage.h"
#include "game/engine/StripFontList.h"

#include <atomic>
#include <cstdint>
#include <memory>

class ImageRecord;
class Platform;
class SoundLayer;

namespace Lumo {
class Graphics;
}

class GameState {
public:
    static constexpr float kScreenWidth = 800.0f;
    static constexpr float kScreenHeight = 600.0f;
    static constexpr int kObjectPoolSize = 4000;
    static constexpr int kStagePoolSize = 8000;
    static constexpr int kFilterPoolSize = 16000;

    // Builds the pools and becomes the current state (replacing none: one at a time).
    GameState();
    // Empties the live list and stops being the current state.
    ~GameState();
    GameState(const GameState&) = delete;
    GameState& operator=(const GameState&) = delete;

    static GameState& Current() { return *sCurrent; }
    static GameState* TryCurrent() { return sCurrent; }
    // Lets go of one held image record and clears the holder's pointer: the
    // use count drops and the current state's cache releases the record at 0.
    static void ReleaseHeldImage(ImageRecord*& record);

    // The loading state hands work between the loading thread and the main
    // thread: what was written before a store is seen after the load.
    int GetLoadingState() const { return mLoadingState.load(std::memory_order_acquire); }
    void SetLoadingState(int state) { mLoadingState.store(state, std::memory_order_release); }
    bool IsQuitting() const { return mQuit.load(std::memory_order_acquire) != 0; }
    void SetQuitting() { mQuit.store(1, std::memory_order_release); }

    // The topmost screen: the tail of the live list.
    AnimObject* Topmost() const { return mLiveObjects.Tail(); }
    bool EditorOpen() const { return mEditor != nullptr; }
    // Clears every pointer of the state that names the object; called when an
    // object is destroyed or given back to its pool.
    void ForgetObject(const AnimObject* object);

    // Order matters: objects go back before the stages and filters they hold.
    RecordPool<Filter> mFilterPool;
    RecordPool<Stage> mStagePool;
    RecordPool<AnimObject> mObjectPool;
    ObjectList<AnimObject> mLiveObjects;

    GameRandom mRandom;
    ImageCache mImageCache;
    // After the cache: fonts let go of their images before the cache goes.
    StripFontList mFonts{&mImageCache};
    Platform* mPlatform = nullptr; // not owned
    // The game's sound layer: an owned silent one until the game installs its own.
    SoundLayer* mSound = nullptr;
    // Installs the game's layer (not owned); null puts the silent one back.
    void SetSound(SoundLayer* sound);
    // What the engine asks of the game built over it: an owned base one (a
    // bare engine's answers) until the game installs its own.
    GameHooks* mHooks = nullptr;

    // The level and screen files of the game data index: the main list
    // (screens and numbered levels), the relaxed list and the trick list.
    ObjectList<LevelRecord> mMainLevels;
    ObjectList<LevelRecord> mRelaxedLevels;
    ObjectList<LevelRecord> mTrickLevels;

    int mActive = 1;
    int mPauseState = 2;
    int mMouseInside = 1;
    // Set while a cursor object has hidden the system cursor.
    bool mSystemCursorHidden = false;

    // The main widget's input queue and key table, and its tick clock: the
    // last tick run (0 restarts the clock), the ticks of the last pass,
    // whether any tick ran, whether any frame was presented.
    GameInput mInput;
    uint32_t mLastTick = 0;
    uint32_t mLastTickCount = 1;
    bool mTicked = false;
    bool mDrawnOnce = false;

    // Published by the current level at the top of each of its updates.
    AnimObject* mLevel = nullptr;
    AnimObject* mShooter = nullptr;
    AnimObject* mEffects = nullptr;
    AnimObject* mTutorial = nullptr;
    AnimObject* mOuterLayer = nullptr;
    AnimObject* mMiddleLayer = nullptr;
    AnimObject* mInnerLayer = nullptr;
    // The shooter's remembered topmost screen, and the level editor.
    AnimObject* mRememberedTopmost = nullptr;
    AnimObject* mEditor = nullptr;

    // The player profiles and honour rolls of the player file.
    PlayerProfiles mProfiles;
    // The level the options' slider chose to start at, 0 to 11.
    int mStartLevel = 0;

    // The text object that AnimObject::DrawString draws through (made on
    // first use; after the pools and fonts, so it goes before them), and the
    // direction of the next hover sweep of a text.
    std::unique_ptr<AnimObject> mSharedText;
    float mSweepSign = 1.0f;

private:
    static GameState* sCurrent;

    std::unique_ptr<SoundLayer> mSilentSound;
    std::unique_ptr<GameHooks> mBaseHooks;

    std::atomic<int> mLoadingState{-2};
    std::atomic<int> mQuit{0};
};

// The current game state.
inline GameState& Game() { return GameState::Current(); }

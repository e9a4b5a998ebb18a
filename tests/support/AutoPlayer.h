// A scripted player for runs of the real game: after every tick it looks at
// the game and acts only through the mouse and keys a player has, posted to
// the game's window. In a level it catches a treasure coming back down,
// aims at the nearest empty slot of the ready treasure's kind that a
// straight throw reaches (and whose filling shuts no other slot of its
// plate off),
// throws once the shooter stands under it, and swaps when the waiting
// treasure fits better; with nothing in reach it throws beside the full slot
// in front of one, which turns most plates. On the screens between levels it
// presses the button that goes on and types its name when asked.
// Deterministic: it reads no clock and draws no random numbers.
#pragma once

#include <map>
#include <string>
#include <vector>

class AnimObject;
class GameState;
class Jewel;
class Level;
class Shooter;

namespace Plat {
class Window;
}

namespace LumoTest {

class AutoPlayer {
public:
    AutoPlayer(Plat::Window* window, std::string name);

    // Looks at the game after a tick and posts what the player does next.
    void Act(GameState& game);

    // The throw x of each trick, by trick index.
    void SetTrickThrows(std::map<int, float> throws) { mTrickThrows = std::move(throws); }
    // While set the player only watches a level: no aiming, no throws.
    void SetIdle(bool idle) { mIdle = idle; }

    // What a player does with the pointer and the keys.
    void MoveTo(float x, float y);
    void Click(float x, float y);
    void PressKey(int virtualKey);
    // Clicks the named child of the topmost screen; false without one.
    bool ClickButton(GameState& game, const char* name);

    int Throws() const { return mThrows; }
    int Swaps() const { return mSwaps; }

private:
    struct Target {
        const AnimObject* slot = nullptr;
        float x = 0.0f;
        float distance = 0.0f;
    };
    struct Claim {
        const AnimObject* slot;
        int untilTick;
    };

    void Post(int kind, int x, int y, int button, int key);
    // Lets go of what was pressed at the last tick, presses what waited for the pointer.
    void StepButtons();
    void ActOnScreen(GameState& game, Level& top);
    void ActInLevel(GameState& game, Level& level, Shooter& shooter);
    void ActInTutorial(GameState& game, Shooter& shooter);
    void ActInTrick(Level& level, Shooter& shooter);
    // Aims, swaps and throws in a level that is being played.
    void Play(GameState& game, Shooter& shooter);
    // Something a throw meets on its way up: a full slot or an obstacle,
    // with the distance from it at which a treasure is turned away.
    struct Blocker {
        const AnimObject* object;
        float x;
        float y;
        float radius;
    };
    // The nearest empty slot of the kind that a straight throw reaches and
    // whose filling shuts no other empty slot of its plate off; false
    // without one.
    bool FindTarget(GameState& game, const Shooter& shooter, int kind, Target& target) const;
    std::vector<Blocker> Blockers(GameState& game, const Shooter& shooter) const;
    // Moves x onto the nearest line of throw that reaches the slot past
    // every blocker below it; false when there is none.
    bool ClearLine(const std::vector<Blocker>& blockers, const AnimObject& slot, float capture, float fromY,
                   float& x) const;
    // How far apart a treasure and a slot are when the slot takes it, and a
    // treasure's reach to either side of its line.
    static float CaptureReach(const Shooter& shooter, const AnimObject& slot);
    static float Reach(const Shooter& shooter);
    // The nearest empty slot of the kind on screen, in reach or not.
    const AnimObject* NearestEmptySlot(GameState& game, const Shooter& shooter, int kind) const;
    bool Claimed(const AnimObject* slot) const;
    void TrackSlots(GameState& game);
    void Aim(float x);
    void Swap();
    // Clicks once the shooter stands at the aim; true when it did.
    bool Throw(Shooter& shooter, const Target* target);
    // A live treasure falling back towards the shooter: where to catch it.
    bool FallingTreasure(GameState& game, const Shooter& shooter, float& x) const;
    static const Jewel* WaitingPiece(const Shooter& shooter);

    Plat::Window* mWindow;
    std::string mName;
    std::map<int, float> mTrickThrows;
    bool mIdle = false;

    int mTick = 0;
    int mPendingButton = 0; // pressed at the next tick, once the pointer is there
    int mHeldButton = 0;    // pressed at the last tick, released at this one
    int mHeldKey = 0;
    const AnimObject* mScreen = nullptr; // the topmost screen seen last
    int mScreenSince = 0;
    size_t mTyped = 0;
    float mAimX = -1.0f;
    float mPointerX = -1.0f;
    float mPointerY = -1.0f;
    int mNextAction = 0; // no throw, swap or click before this tick
    int mUnreachableSince = -1;
    const void* mTutorialStage = nullptr;
    int mTutorialStageSince = 0;
    std::vector<Claim> mClaims;
    // Where each slot and flying treasure stood at the tick before, and how
    // far it moved since, to lead a moving one.
    std::map<const AnimObject*, std::pair<float, float>> mLastSeen;
    std::map<const AnimObject*, std::pair<float, float>> mVelocity;
    int mThrows = 0;
    int mSwaps = 0;
};

} // namespace LumoTest

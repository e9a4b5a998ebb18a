// The player's launcher at the bottom of the playfield: it follows the mouse
// along x, carries at most two treasures (one "ready", one "waiting") as its
// children, chooses their kinds from the empty slots in play, throws on a
// left click, swaps on a right click, shows the power-ups' effects and plays
// the sinking sequence when the level is lost.
#pragma once

#include "game/engine/AnimObject.h"

class Jewel;
class Level;

class Shooter : public AnimObject {
public:
    // Throw speeds in pixels a tick, and what a power shot adds.
    static constexpr double kThrowSpeed = 2.3;
    static constexpr double kPowerBoost = 4.0;

    Shooter();

    int Update() override;
    // Drawing changes nothing: the pointer is recentred in the update.
    void WriteTypeAttributes(std::string& out) override;

    // The first treasure in "ready", or null.
    Jewel* ReadyPiece() const;
    // Nothing on the shooter and nothing more to come: a level that loads
    // it once has had its throw.
    bool OutOfTreasures() const;
    // The loss sequence; the level's defeat calls it.
    void Sink();
    // The wings power-up: 2000 more ticks of flight.
    void StartWings();
    // Turns treasures into wild ones while wild shots are left.
    void WildShape();
    // The kind for a new or re-rolled treasure; avoid's kind is not repeated
    // while another kind is open.
    int ChooseNextKind(const Jewel* avoid);
    // Counts the empty slots of kinds 0-10 on the plates below lineY;
    // returns how many kinds were found.
    int CountEmptySlotKinds(float lineY);
    // The same over the plates the shooter serves: in Journey while the
    // building sinks, those below the lowest scroll point's slow line.
    int CountServedSlotKinds();
    // The bounce after a throw or a catch, when not flying and at rest.
    void Recoil();
    // Cupid comes after cupid_wait_ms of scrolling without progress
    // (outside Journey and the tutorial, one at a time).
    void SendCupidWhenDue();

    int mFireEnabled = 0;
    int mPowerShots = 0;
    int mWingsTimer = 0;      // ticks
    int mComboShot = 0;
    int mWildShots = 0;
    int mShots = 0;
    int mScoreMultiplier = 1;
    int mSinkCount = 0;
    float mFollowStepX = 0.0f;
    float mWingsStepY = 0.0f;
    float mIdleTicks = 0.0f;

private:
    void RecentreMouse(Level& level);
    void FollowMouse(Level& level);
    void KeepUpright();
    void Reload();
    void UpdateBeam();
    void PowerSparks();
    void UpdateWings(Level& level);
    void UpdateComboShot();
    void UpdateRise();
    void SwapPieces(Level& level);
    void Throw(Level& level);
    // The kind the random draw gives, with the dead ends mended.
    int DrawKind(const Jewel* avoid);
    int CountPieces() const;
    // A scroll point, Survival or a tutorial loads the shooter again and again.
    static bool ReloadsFreely();
    Jewel* PieceAt(int index) const;
};

// The current level's shooter, or null.
Shooter* CurrentShooter();

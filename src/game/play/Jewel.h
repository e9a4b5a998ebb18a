// One treasure: it waits on the shooter, is promoted to the ready place,
// thrown, flies straight or in a lob, bounces off the walls, the top and full
// slots, fills a slot of its kind, tumbles out again, breaks after too many
// bounces, is caught back by the shooter or falls into the water. Made by
// code only: the shooter's reload, Cupid and a slot that tosses it out.
#pragma once

#include "game/engine/AnimObject.h"

class Shooter;

class Jewel : public AnimObject {
public:
    static constexpr int kWild = 999;
    // Kinds from here on are special: never re-rolled, not scored as a tumble.
    static constexpr int kFirstSpecial = 100;
    // Where a waiting treasure sits on the shooter, and its size there.
    static constexpr float kWaitingY = 13.0f;
    static constexpr float kWaitingScale = 0.48f;
    // The stage of a treasure Cupid let go of: it falls until it is taken or
    // leaves the bottom of the screen.
    static constexpr const char* kDroppedStage = "dropped";

    explicit Jewel(int treasureKind);

    // Stores the kind and takes its picture and tint.
    void SetKind(int treasureKind);
    // One tick; 0 once the treasure leaves play.
    int Update() override;

    bool IsSpecial() const { return mTreasureKind >= kFirstSpecial; }
    // The velocity filters of the current stage on x and y, or null.
    Filter* VelocityFilterX() const;
    Filter* VelocityFilterY() const;
    // The image rectangle (source size times local scales) centred on the
    // world position overlaps the box of size (w, h) centred on (cx, cy).
    bool ImageOverlaps(float cx, float cy, float w, float h) const;

    int mTreasureKind = 0;
    int mPower = 0;
    int mCombo = 0;
    int mLive = 1;          // 0 for a treasure tossed out of a slot (tumbling)
    int mForcedToss = 1;
    int mChain = 0;         // slots filled during this flight
    int mPlatesCompleted = 0;
    int mBounces = 0;
    int mTicksSinceBounce = 0;
    int mWarpCount = 0;
    int mBasket = 0;        // from the bonus basket: no catch bonus
    int mBasketReturn = 0;  // a catch gives the shot back
    float mLobStartX = 0.0f;
    float mLobStartY = 0.0f;
    float mTintR = 1.0f;
    float mTintG = 1.0f;
    float mTintB = 1.0f;
    // The slot a toss is aimed at; looked up among the live slots before
    // every use, since the slot may be gone by then.
    AnimObject* mLobTarget = nullptr;
    // The full slot it last bounced off: compared, never followed.
    const AnimObject* mLastBounceSlot = nullptr;

private:
    // Each false ends the treasure.
    bool ApplyFlightLimits();
    // Below the middle of the screen and clear of its bottom edge.
    bool BelowScreen() const;
    void LobTowardsTarget();
    void CheckBreak();
    void FaceVelocity();
    void PowerTrail();
    void TumbleTrail();
    void ReadyGlitter();
    // True when the shooter took the treasure back.
    bool CatchByShooter();
    void FallInWater();
    // The cupid save's screen; false when it cannot be opened.
    bool OpenCupidSave();
    void Splash();
    // A bounce with the toss sound for a live treasure.
    void CountBounce();

public:
    // Touches within this many ticks of the last bounce are one bounce.
    static constexpr int kBounceGap = 4;
    // Counts a bounce (bounces + 1, no last slot, the gap starts again);
    // false, counting nothing, within kBounceGap ticks of the last.
    bool RecordBounce();
};

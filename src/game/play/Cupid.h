// The flying helper that catches a thrown treasure and drops it into a
// matching slot. It flies in from the left above the shooter, hovers, catches
// a treasure thrown past it, carries it to the highest empty slot of its kind
// and drops it in, up to three times, and then flies away. Made by code only:
// by the shooter and by a power-up.
#pragma once

#include "game/engine/AnimObject.h"

class Jewel;
class Slot;

class Cupid : public AnimObject {
public:
    static constexpr int kDeliveries = 3;
    // Ticks of hovering (while its screen is topmost) before it gives up.
    static constexpr int kMaxWaitingTicks = 2000;
    static constexpr float kCatchDistance = 30.0f;
    // A stage must have run this many ticks before anything is caught.
    static constexpr float kCatchAfterTicks = 5.0f;
    // Where the carried treasure hangs, facing right.
    static constexpr float kCarryX = 11.0f;
    static constexpr float kCarryY = 25.0f;

    Cupid();

    int Update() override;
    // The drop at the end of "searching".
    void OnCustomAction(const char* parameter) override;

    // The carried treasure, or null.
    Jewel* Carried() const;

    // Where the carried treasure goes; a dying slot clears it.
    Slot* mTargetSlot = nullptr;
    int mDeliveries = 0;
    int mWaitingTicks = 0;

private:
    void CatchWhileEntering();
    void Wait();
    void Search();
    void FaceDirection();
    void TryCatch();
    void Catch(Jewel& treasure);
    // Picks the target for a treasure of the kind and goes after it; without
    // one the treasure is lost and the Cupid flies in again.
    void SearchSlot(int treasureKind);
    // Goes to the stage, starting it from where the Cupid is now.
    void RestartFromHere(const char* stage);
};

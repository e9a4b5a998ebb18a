// A flying copy of a treasure on its way from a filled slot to an empty one
// of the same kind (a combo shot's cascade); it fills the target on arrival.
#pragma once

#include "game/engine/AnimObject.h"

class Slot;

class SlotLabel : public AnimObject {
public:
    // Made by code only: the source slot's image and place, flying to the
    // target after the delay.
    SlotLabel(Slot& source, Slot& target, float delayMs);
    ~SlotLabel() override;

    int Update() override;

    float mStartX = 0.0f;
    float mStartY = 0.0f;
    // Cleared by the target when it goes away.
    Slot* mTarget = nullptr;

private:
    // The points of the copy, shown half way.
    void AwardHalfway(float worldX, float worldY);

    bool mAwarded = false;
    bool mPlaced = false;
};

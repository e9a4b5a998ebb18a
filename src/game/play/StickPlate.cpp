#include "game/play/StickPlate.h"

#include "game/play/Slot.h"

#include <cmath>

void StickPlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
}

void StickPlate::LayoutSlots(Slot* slot, int index)
{
    // The row leaves out the centre: odd counts are not centred.
    const int half = mNumJewels / 2;
    float x = float(index) * mRadius - mRadius * float(half);
    if (index >= half)
        x += mRadius;
    PlaceSlot(slot, x, 0.0f);
}

void StickPlate::OnHit(Slot* slot, Jewel* treasure)
{
    Tilt(*treasure, *slot, StickTiltAngle(*treasure, *slot), 0.5f);
    Bob(*treasure, *slot, 1.0f);
}

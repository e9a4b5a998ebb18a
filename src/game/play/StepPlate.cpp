#include "game/play/StepPlate.h"

#include "game/play/Slot.h"

#include <cmath>

void StepPlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
}

void StepPlate::LayoutSlots(Slot* slot, int index)
{
    // x keeps its direction; the radius's sign chooses whether the stairs climb or fall.
    const float step = float(index - 1);
    PlaceSlot(slot, -step * std::fabs(mRadius), step * mRadius / 1.7f);
}

void StepPlate::OnHit(Slot* slot, Jewel* treasure)
{
    Tilt(*treasure, *slot, SteepTiltAngle(*treasure, *slot, 180.0f), 0.25f);
    Bob(*treasure, *slot, 1.0f);
}

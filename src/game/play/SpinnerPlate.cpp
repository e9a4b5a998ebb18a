#include "game/play/SpinnerPlate.h"

#include "game/play/Slot.h"

#include <cmath>

void SpinnerPlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
    mSwing = 0.0f;
}

void SpinnerPlate::LayoutSlots(Slot* slot, int index)
{
    PlaceSlot(slot, index == 0 ? -mRadius : mRadius, 0.0f);
}

void SpinnerPlate::OnHit(Slot* slot, Jewel* treasure)
{
    Spin(*treasure, *slot, 100.0f, 0.995f);
    Bob(*treasure, *slot, 1.0f);
}

void SpinnerPlate::OnSlotFilled(int) {}

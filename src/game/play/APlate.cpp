#include "game/play/APlate.h"

#include "game/play/Slot.h"

#include <cmath>

void APlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
}

void APlate::LayoutSlots(Slot* slot, int index)
{
    const int offset = index - mNumJewels / 2;
    PlaceSlot(slot, float(offset) * mRadius, float(std::abs(offset)) * mRadius - mRadius);
}

void APlate::OnHit(Slot* slot, Jewel* treasure)
{
    Tilt(*treasure, *slot, SteepTiltAngle(*treasure, *slot, 120.0f), 0.5f);
    Bob(*treasure, *slot, 10.0f);
}

#include "game/play/TosserPlate.h"

#include "game/play/Slot.h"

#include <cmath>

void TosserPlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
}

void TosserPlate::LayoutSlots(Slot* slot, int index)
{
    if (index == 0) {
        PlaceSlot(slot, 0.0f, -14.0f);
        return;
    }
    PlaceSlot(slot, (float(index) - float(mNumJewels) / 2.0f) * mRadius, -73.0f);
    PreFillTosserSlot(*slot);
}

void TosserPlate::OnHit(Slot* slot, Jewel* treasure)
{
    Bob(*treasure, *slot, 1.0f);
}

void TosserPlate::OnSlotFilled(int)
{
    TossAllOut();
}

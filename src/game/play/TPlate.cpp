#include "game/play/TPlate.h"

#include "game/play/Slot.h"

#include <cmath>

void TPlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
    mSwing = 0.0f;
}

void TPlate::LayoutSlots(Slot* slot, int index)
{
    PlaceSlot(slot, float(index - mNumJewels / 2) * mRadius, 2.0f * mRadius - 8.0f);
}

void TPlate::OnHit(Slot* slot, Jewel* treasure)
{
    Spin(*treasure, *slot, 100.0f, 0.995f);
    Bob(*treasure, *slot, 1.0f);
}

int TPlate::Update()
{
    SwingPendulum(9400.0f);
    return Plate::Update();
}

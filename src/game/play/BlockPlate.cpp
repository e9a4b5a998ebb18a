#include "game/play/BlockPlate.h"

#include "game/play/Slot.h"

#include <cmath>

void BlockPlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
}

void BlockPlate::LayoutSlots(Slot* slot, int)
{
    PlaceSlot(slot, 0.0f, 0.0f);
}

// A block vanishes without points, sparkles or sound.
void BlockPlate::OnComplete() {}

#include "game/play/KeyPlate.h"

#include "game/play/Slot.h"

#include <cmath>

void KeyPlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
}

void KeyPlate::LayoutSlots(Slot* slot, int)
{
    PlaceSlot(slot, 0.0f, 17.0f);
}

void KeyPlate::OnComplete()
{
    Plate::OnComplete();
    SuckBumpers();
}

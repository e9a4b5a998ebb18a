#include "game/play/XPlate.h"

#include "game/play/Slot.h"

#include <cmath>

void XPlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
}

void XPlate::LayoutSlots(Slot* slot, int index)
{
    // Two diagonals in units of the radius; further slots sit at the centre.
    static const float kPlaces[8][2] = {{-2, -2}, {-1, -1}, {-1, 1}, {-2, 2}, {1, 1}, {2, 2}, {1, -1}, {2, -2}};
    if (index < 0 || index >= 8) {
        PlaceSlot(slot, 0.0f, 0.0f);
        return;
    }
    PlaceSlot(slot, kPlaces[index][0] * mRadius, kPlaces[index][1] * mRadius);
}

void XPlate::OnHit(Slot*, Jewel*) {}

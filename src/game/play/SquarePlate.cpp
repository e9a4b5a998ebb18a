#include "game/play/SquarePlate.h"

#include "game/play/Slot.h"

#include <cmath>

void SquarePlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
    mSwing = 0.0f;
}

void SquarePlate::LayoutSlots(Slot* slot, int index)
{
    // Eight places round the square; further slots sit at the centre.
    static const float kPlaces[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}};
    if (index < 0 || index >= 8) {
        PlaceSlot(slot, 0.0f, 0.0f);
        return;
    }
    PlaceSlot(slot, kPlaces[index][0] * mRadius, kPlaces[index][1] * mRadius);
}

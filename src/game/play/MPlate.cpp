#include "game/play/MPlate.h"

#include "game/play/Slot.h"

#include <cmath>

void MPlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
}

void MPlate::LayoutSlots(Slot* slot, int index)
{
    // Four places on the right, mirrored on the left; further slots sit at the centre.
    static const float kPlaces[4][2] = {{32, -11}, {74, -22}, {133, 36}, {103, 7}};
    if (index < 0 || index >= 8) {
        PlaceSlot(slot, 0.0f, 0.0f);
        return;
    }
    const float* place = kPlaces[index % 4];
    PlaceSlot(slot, index > 3 ? -place[0] : place[0], place[1]);
}

void MPlate::OnHit(Slot* slot, Jewel* treasure)
{
    Tilt(*treasure, *slot, SteepTiltAngle(*treasure, *slot, 180.0f), 0.25f);
    Bob(*treasure, *slot, 30.0f);
}

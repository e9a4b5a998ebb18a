#include "game/play/TrianglePlate.h"

#include "game/play/Slot.h"

#include <cmath>

namespace {

constexpr double kDegreesToRadians = 3.14159265358979323846 / 180.0;

} // namespace

void TrianglePlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
}

void TrianglePlate::LayoutSlots(Slot* slot, int index)
{
    const double angle = (double(index) * 120.0 - 90.0) * kDegreesToRadians;
    PlaceSlot(slot, float(mRadius * std::cos(angle)), float(mRadius * std::sin(angle)));
}

void TrianglePlate::OnHit(Slot* slot, Jewel* treasure)
{
    float angle = 0.0f;
    if (TriangleTilts(*treasure, *slot, angle))
        Tilt(*treasure, *slot, angle, 0.25f);
    Bob(*treasure, *slot, 1.0f);
}

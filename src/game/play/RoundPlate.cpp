#include "game/play/RoundPlate.h"

#include "game/play/Slot.h"

#include <cmath>

namespace {

constexpr double kDegreesToRadians = 3.14159265358979323846 / 180.0;

} // namespace

void RoundPlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
    mSwing = 0.0f;
}

void RoundPlate::LayoutSlots(Slot* slot, int index)
{
    // A slot added to a plate made without any sits as on a ring of one.
    const int n = mNumJewels > 0 ? mNumJewels : 1;
    const double angle = double(index) * 360.0 / double(n) * kDegreesToRadians;
    PlaceSlot(slot, float(mRadius * std::cos(angle)), float(mRadius * std::sin(angle)));
}

void RoundPlate::OnHit(Slot* slot, Jewel* treasure)
{
    Spin(*treasure, *slot, 50.0f, 0.995f);
    Bob(*treasure, *slot, 1.0f);
}

void RoundPlate::OnSlotFilled(int)
{
    SpeedUpSpin();
}

#include "game/play/SemicirclePlate.h"

#include "game/play/Slot.h"

#include <cmath>

namespace {

constexpr double kDegreesToRadians = 3.14159265358979323846 / 180.0;

} // namespace

void SemicirclePlate::InitType()
{
    SetType(kKey);
    Plate::InitType();
    mSwing = 0.0f;
}

void SemicirclePlate::LayoutSlots(Slot* slot, int index)
{
    const int n = mNumJewels > 0 ? mNumJewels : 1;
    const double angle = (double(index) * 180.0 / double(n) + 30.0) * kDegreesToRadians;
    PlaceSlot(slot, float(mRadius * std::cos(angle)), float(mRadius * std::sin(angle)));
}

int SemicirclePlate::Update()
{
    SwingPendulum(4400.0f);
    return Plate::Update();
}

// Eight places round a square; turns like the ring.
#pragma once

#include "game/play/RoundPlate.h"

class SquarePlate : public RoundPlate {
public:
    static constexpr const char* kKey = "square_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
};

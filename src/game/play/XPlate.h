// Slots on two diagonals; hits leave it where it is.
#pragma once

#include "game/play/Plate.h"

class XPlate : public Plate {
public:
    static constexpr const char* kKey = "x_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
    void OnHit(Slot* slot, Jewel* treasure) override;
};

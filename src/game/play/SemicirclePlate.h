// An arc of slots hanging like a pendulum: a hit swings it about the upright.
#pragma once

#include "game/play/RoundPlate.h"

class SemicirclePlate : public RoundPlate {
public:
    static constexpr const char* kKey = "semicircle_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
    int Update() override;
};

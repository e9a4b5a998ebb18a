// Slots on stairs; a hit turns it for good.
#pragma once

#include "game/play/Plate.h"

class StepPlate : public Plate {
public:
    static constexpr const char* kKey = "step_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
    void OnHit(Slot* slot, Jewel* treasure) override;
};

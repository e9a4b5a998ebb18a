// Two ends of a bar that spins when hit.
#pragma once

#include "game/play/Plate.h"

class SpinnerPlate : public Plate {
public:
    static constexpr const char* kKey = "spinner_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
    void OnHit(Slot* slot, Jewel* treasure) override;
    void OnSlotFilled(int kind) override;
};

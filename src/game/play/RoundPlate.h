// A ring of slots that turns and bobs when hit and turns faster with each fill.
#pragma once

#include "game/play/Plate.h"

class RoundPlate : public Plate {
public:
    static constexpr const char* kKey = "round_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
    void OnHit(Slot* slot, Jewel* treasure) override;
    void OnSlotFilled(int kind) override;
};

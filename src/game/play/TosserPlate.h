// One empty slot among pre-filled ones: filling it throws all of them out.
#pragma once

#include "game/play/Plate.h"

class TosserPlate : public Plate {
public:
    static constexpr const char* kKey = "tosser_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
    void OnHit(Slot* slot, Jewel* treasure) override;
    void OnSlotFilled(int kind) override;
};

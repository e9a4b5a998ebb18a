// A row of slots that tilts the further out it is hit.
#pragma once

#include "game/play/Plate.h"

class StickPlate : public Plate {
public:
    static constexpr const char* kKey = "stick_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
    void OnHit(Slot* slot, Jewel* treasure) override;
};

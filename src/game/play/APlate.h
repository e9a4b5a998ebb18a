// A peak of slots that tilts over when hit off its centre.
#pragma once

#include "game/play/Plate.h"

class APlate : public Plate {
public:
    static constexpr const char* kKey = "a_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
    void OnHit(Slot* slot, Jewel* treasure) override;
};

// Eight places shaped like an m; a hit turns it for good.
#pragma once

#include "game/play/Plate.h"

class MPlate : public Plate {
public:
    static constexpr const char* kKey = "m_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
    void OnHit(Slot* slot, Jewel* treasure) override;
};

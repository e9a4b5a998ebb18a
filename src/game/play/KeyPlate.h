// A single slot; completing it draws the lowest row of bumpers in.
#pragma once

#include "game/play/Plate.h"

class KeyPlate : public Plate {
public:
    static constexpr const char* kKey = "key_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
    void OnComplete() override;
};

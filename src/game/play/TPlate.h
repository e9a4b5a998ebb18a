// A row hanging below a post: a slow pendulum.
#pragma once

#include "game/play/RoundPlate.h"

class TPlate : public RoundPlate {
public:
    static constexpr const char* kKey = "t_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
    void OnHit(Slot* slot, Jewel* treasure) override;
    int Update() override;
};

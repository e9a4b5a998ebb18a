// Three slots at the corners of a triangle; a hit may leave it tilted.
#pragma once

#include "game/play/Plate.h"

class TrianglePlate : public Plate {
public:
    static constexpr const char* kKey = "triangle_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
    void OnHit(Slot* slot, Jewel* treasure) override;
};

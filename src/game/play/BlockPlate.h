// Every slot at the centre; it completes silently.
#pragma once

#include "game/play/Plate.h"

class BlockPlate : public Plate {
public:
    static constexpr const char* kKey = "block_plate";

    void InitType() override;
    void LayoutSlots(Slot* slot, int index) override;
    void OnComplete() override;
};

// A level piece that catches falling treasures for 100 points each, holds
// them and, on its "custom" cue, drops them all back into play as live
// treasures. Its first child is the opening whose image gives the rim.
#pragma once

#include "game/engine/AnimObject.h"

class BonusBasket : public AnimObject {
public:
    BonusBasket() = default;

    void WriteTypeAttributes(std::string& out) override;
    void OnCustomAction(const char* parameter) override;
    int Update() override;
};

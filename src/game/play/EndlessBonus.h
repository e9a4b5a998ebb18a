// The Survival summary's bonus: counts the whole minutes survived up on
// screen, pays 1000 points per minute with one minute marker going out for
// each, enters the honour roll with the time, and holds the Survival clock
// still while it lives.
#pragma once

#include "game/engine/AnimObject.h"

class EndlessBonus : public AnimObject {
public:
    // Builds the minute texts and its own paying stages after those the screen file gave it.
    void InitAfterLoad() override;
    void WriteTypeAttributes(std::string& out) override;
    int Update() override;
    // One minute paid: the next unlit minute marker glows and fades.
    void OnCustomAction(const char* parameter) override;
};

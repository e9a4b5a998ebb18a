// Draws nothing; carries the victory test of every mode but Survival: a
// level whose plates are all gone is won while its building is "scrolling"
// or "still" and it is the topmost screen.
#pragma once

#include "game/engine/AnimObject.h"

class ProgressBar : public AnimObject {
public:
    ProgressBar();

    int Update() override;
    void Draw() override;
    void WriteTypeAttributes(std::string& out) override;

    // True when the level was won at this call.
    bool CheckVictory();
};

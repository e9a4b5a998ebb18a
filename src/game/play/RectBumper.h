// A rectangular bumper: treasures bounce off its four sides. A "code" event
// first in its stage runs after a counted bounce and makes a caught
// treasure give its shot back.
#pragma once

#include "game/play/Bumper.h"

class RectBumper : public Bumper {
public:
    void WriteTypeAttributes(std::string& out) override;
    int Update() override;
};

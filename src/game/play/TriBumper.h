// A triangular bumper, point downwards: treasures bounce off its three
// sides. A "code" event first in its stage runs at every bounce.
#pragma once

#include "game/play/Bumper.h"

class TriBumper : public Bumper {
public:
    void WriteTypeAttributes(std::string& out) override;
    int Update() override;
};

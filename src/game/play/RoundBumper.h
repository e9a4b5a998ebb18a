// A round bumper: a treasure whose circle meets the bumper's is reflected
// about the line between the two centres.
#pragma once

#include "game/play/Bumper.h"

class RoundBumper : public Bumper {
public:
    void WriteTypeAttributes(std::string& out) override;
    int Update() override;
};

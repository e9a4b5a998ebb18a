// A scroll point of a level file: the playfield sinks until the lowest-lying
// point reaches the slow point, and the point goes once the plates of its
// stretch of the building are cleared, so the scroll moves on to the next.
// Editor data like the shooter path: drawn only while the editor is open.
#pragma once

#include "game/play/ShooterPath.h"

class ScrollPoint : public ShooterPath {
public:
    ScrollPoint();

    void WriteTypeAttributes(std::string& out) override;
    int Update() override;
};

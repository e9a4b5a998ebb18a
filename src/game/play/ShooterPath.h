// A point of the shooter's path in a level file: editor data, drawn only
// while the level editor is open. A path point that falls past the bottom of
// the screen goes away.
#pragma once

#include "game/engine/AnimObject.h"

class ShooterPath : public AnimObject {
public:
    ShooterPath();

    void WriteTypeAttributes(std::string& out) override;
    int Update() override;
    void Draw() override;
};

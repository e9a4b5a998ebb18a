// The Survival clock: its frame counter is the time survived, shown as
// "Time: m:ss".
#pragma once

#include "game/engine/AnimObject.h"

#include <string>

class EndlessPanel : public AnimObject {
public:
    EndlessPanel();

    void Draw() override;
    void WriteTypeAttributes(std::string& out) override;

    std::string TimeText() const;
};

// A drifting cloud: it keeps the height the level file gave it, starts at a
// random place and drifts left, coming back on the right once it leaves.
#pragma once

#include "game/engine/AnimObject.h"

class Cloud : public AnimObject {
public:
    Cloud();
    void InitAfterLoad() override;
    void WriteTypeAttributes(std::string& out) override;
};

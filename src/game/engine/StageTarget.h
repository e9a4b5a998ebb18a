// The part of an object that its stages and filters animate: the local
// attribute block, the visible flag and the hover test of "hot_spot" filters.
// Every animated object is one; stages see nothing else of it.
#pragma once

#include "game/engine/AttributeCode.h"

class StageTarget {
public:
    // Hover test: nonzero while the mouse is over the object.
    virtual int UpdateHover() = 0;

    float mLocal[kAttributeCount] = {1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f};
    int mVisible = 1;

protected:
    StageTarget() = default;
    StageTarget(const StageTarget&) = default;
    StageTarget& operator=(const StageTarget&) = default;
    ~StageTarget() = default;
};

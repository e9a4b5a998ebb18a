// An arrow button of the level-select map: its custom action scrolls the
// strip half a screen that way, when some thumbnail lies off screen there.
#pragma once

#include "game/engine/AnimObject.h"

class LevelScroller : public AnimObject {
public:
    void OnCustomAction(const char* parameter) override;
    void WriteTypeAttributes(std::string& out) override;
};

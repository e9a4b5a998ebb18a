// One row of an editor menu: a label, and the command a click on it runs.
#pragma once

#include "game/engine/AnimObject.h"

#include <string>

class EditorMenuItem : public AnimObject {
public:
    static constexpr float kHotWidth = 150.0f;
    static constexpr float kHotHeight = 18.0f;

    void Init(const char* command, const char* label);

    // Hot while the mouse is over the row; a click on a hot row runs its
    // command and ends the row (0).
    int Update() override;
    void Draw() override;

    std::string mCommand;
    std::string mLabel;
    int mEnabled = 0;
};

// The score panel under the shooter: it shows the score (and in Journey the
// tries left) and decides each tick whether the shooter may fire.
#pragma once

#include "game/engine/AnimObject.h"

#include <string>

class Panel : public AnimObject {
public:
    Panel();

    // After loading: a Journey panel outside the trick shots is relaxed.
    void InitAfterLoad() override;
    int Update() override;
    void Draw() override;
    void WriteTypeAttributes(std::string& out) override;

    // What the panel shows: the score, and on a relaxed panel the tries.
    std::string ScoreText() const;
    std::string TriesText() const;

    float mScoreScale = 1.0f;
    int mRelaxed = 0;
};

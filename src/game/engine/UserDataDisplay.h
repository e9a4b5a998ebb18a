// Shows one item of the current player's profile: the player's name.
#pragma once

#include "game/engine/AnimObject.h"

class UserDataDisplay : public AnimObject {
public:
    static constexpr int kTextSize = 64;

    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;
    // Draws the text in place of an image.
    void DrawSelf() override;

    char mDisplayType[kTextSize] = {};
    char mFont[kTextSize] = {};
    int mNumber = 0;
};

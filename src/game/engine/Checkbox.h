// A tick toggled by a click on it or on its label to the right: 3-D
// drawing, full screen, or the player's tutorial instructions. It shows the
// setting as it stands, also when it was changed elsewhere.
#pragma once

#include "game/engine/AnimObject.h"

class Checkbox : public AnimObject {
public:
    static constexpr int kTypeSize = 64;

    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;
    int UpdateHover() override;
    int Update() override;
    // Flips the tick and applies it.
    void Toggle();

    int mChecked = 0;
    char mCheckType[kTypeSize] = {};
    float mRightArea = 0.0f;

private:
    // The setting as it stands now.
    int ReadSetting() const;
};

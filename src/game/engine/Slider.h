// A knob dragged along a horizontal track: the music volume, the sound
// volume or the level the game starts at. The knob's position is its own x.
#pragma once

#include "game/engine/AnimObject.h"

class Slider : public AnimObject {
public:
    static constexpr int kTypeSize = 64;

    Slider();

    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;
    int Update() override;
    // Where the knob stands, 0 to 100; false (nothing given) when the track
    // has no length.
    bool GetPercent(float& percent) const;
    // Applies the knob's position by slider type.
    void ApplyValue();

    float mLeftValue = 0.0f;
    float mRightValue = 0.0f;
    float mValue = 0.0f;
    char mState[kTypeSize] = "idle";
    char mSliderType[kTypeSize] = {};

private:
    bool HasTrack() const { return mRightValue > mLeftValue; }
};

// The level-select map: the buildings of the mode's level list as a strip of
// thumbnails in the screen's layers, a shooter figure walking from the last
// building won to the next one, and the quote for the player's place. The
// strip is built when the map is read and laid out at its first draw.
#pragma once

#include "game/engine/AnimObject.h"

class LevelSelect : public AnimObject {
public:
    LevelSelect();
    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;
    int Update() override;
    void Draw() override;

    // The total width of the thumbnails shown: the parent layer's
    // horizontal extent when the parent is a layer, kept here otherwise.
    float TotalWidth() const;

    int32_t mLaidOut = 0;
    float mThumbnailCount = 0.0f;
    // Set by the first update: nothing is drawn before it.
    bool mUpdated = false;

private:
    void BuildStrip();
    void LayOut();
    void AddToTotalWidth(float width);

    float mTotalWidth = 0.0f;
};

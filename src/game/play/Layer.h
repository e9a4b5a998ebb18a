// One of the three nested layers of a played level: the background (outer),
// the playfield (middle, named "tiles") and the plate container (inner). The
// playfield's current stage is the state of play; it sinks the building
// through a velocity filter on y that it re-tunes every tick, and in Survival
// it grows the endless building above the screen and drops what sank far
// below. A merged layer bakes its plain children into tall strips once.
#pragma once

#include "game/engine/AnimObject.h"

#include <cstdint>
#include <string>
#include <vector>

class Layer : public AnimObject {
public:
    // Height of a baked strip's visible part, and of its image.
    static constexpr int kStripHeight = 1022;
    static constexpr int kStripImageHeight = 1024;

    Layer();
    ~Layer() override;

    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;
    void InitAfterLoad() override;
    int Update() override;

    // The playfield's scroll towards the lowest-lying scroll point.
    void ScrollTowardsPoint();
    // Survival: grow, cull and sink the endless building.
    void ScrollEndless();

    // What the Survival tick's one walk of the playfield and of the plate
    // container finds besides what to cull: the plates with the largest and
    // the smallest world y, and the playfield's plain piece (the wall) with
    // the smallest.
    struct EndlessEnds {
        AnimObject* mLowestPlate = nullptr;
        AnimObject* mTopPlate = nullptr;
        AnimObject* mTopWall = nullptr;
    };
    // Flags what sank far below the screen and notes the ends.
    EndlessEnds CullFarObjects();
    // New plate rows, then the wall, then the minute markers.
    void GenerateEndlessSection(const EndlessEnds& ends);
    // A row above the topmost plate (the first one without plates).
    void AddPlateRows(AnimObject* topPlate);
    // A row of wall above its topmost piece.
    void BuildBackgroundWall(AnimObject* topWall);
    void AddSurvivalMarkers();
    // The plate file of the next Survival plate; the choice widens with time.
    std::string RandomPlateFile();
    // Bakes the plain children into strips; once, by a merged layer.
    void BuildTiledBackground();
    // Vertical extent of the plain children, and the parallax of a layer
    // inside another.
    void UpdateExtent();

    float mExtent = 0.0f;
    float mHorizontalExtent = 0.0f; // the level-select map's width of thumbnails
    float mExtentBottom = -999999.0f;
    float mExtentTop = 999999.0f;
    int32_t mMerged = 0;
    float mEndlessExtraSpeed = 0.0f;

private:
    // The strips baked by this layer, which own their pictures.
    std::vector<AnimObject*> mStrips;
};

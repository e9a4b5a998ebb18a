// A pigeon sitting on the building. It flies off the screen, once, when a
// slot is filled close to it or when it sinks too low while the building
// scrolls: a short random wait in "pre_fly_away", then "fly_away" towards
// the edge its name points to ("left", else right, mirrored).
#pragma once

#include "game/engine/AnimObject.h"

class ImageRecord;

class Pigeon : public AnimObject {
public:
    static constexpr int kKind = 23;
    // Radius of the circles around the pigeon and the event that scares it.
    static constexpr float kScareRadius = 60.0f;

    Pigeon();
    ~Pigeon() override;

    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;
    void InitAfterLoad() override;
    int Update() override;

    // Something happened at world (x, y): a pigeon near it flies away.
    // Nothing while it is already leaving, under the editor, or when it has
    // no "fly_away" or "pre_fly_away" stage.
    void FlyAway(float x, float y);

    // The picture of the flight ("flight_image"), held.
    ImageRecord* mFlightImage = nullptr;

private:
    bool FliesLeft() const;
    // Set once the flight picture was put on.
    bool mFlightShown = false;
};

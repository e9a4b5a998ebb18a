// A warp of the building: a treasure that comes near it is moved to the
// nearest other warp on screen, which keeps track of it until it has left
// its area so it does not go straight back. The ninth teleport of one flight
// removes the treasure. While the shooter stands below a warp, arrows march
// from it to its partner.
#pragma once

#include "game/play/Bumper.h"

#include <cstdint>
#include <vector>

class ImageRecord;

class Warp : public Bumper {
public:
    // Radius of the circle at the warp that a treasure's circle must meet.
    static constexpr float kReach = 20.0f;
    // Teleports of one flight; the last removes the treasure.
    static constexpr int kMaxTeleports = 9;
    // Pixels between two guide arrows, and ticks of one march.
    static constexpr float kArrowGap = 80.0f;
    static constexpr float kMarchTicks = 240.0f;

    Warp();
    ~Warp() override;

    void WriteTypeAttributes(std::string& out) override;
    // Takes the arrow picture from the image cache.
    void InitAfterLoad() override;
    int Update() override;

    // Moves the treasure to the partner (nothing without one).
    void Teleport(Jewel& treasure);
    // The guide arrows of this tick.
    void ShowGuide();
    // The treasure arrived here and has not left this warp's area yet.
    bool Tracks(const Jewel& treasure) const;

    ImageRecord* mArrowImage = nullptr;

private:
    // A tracked treasure is known by its place in the warp's parent's child
    // list: the record and the stamp it got when it joined that list. The
    // record is only compared, never followed, so a treasure that died
    // meanwhile (filled a slot, broke, was caught) is simply not found again
    // and its entry is dropped; a new object at the same address joins with
    // another stamp.
    struct Tracked {
        const AnimObject* treasure;
        uint64_t joinStamp;
        bool near;
    };
    void Track(const Jewel& treasure);
    Tracked* FindTracked(const Jewel& treasure);
    void MakeSparkleRings();

    std::vector<Tracked> mTracked;
};

// A fixed piece of the building that bounces treasures off its edges. The
// rectangular, round and triangular kinds each run their own bounce first
// and then this common step: the bump timer, the removal of a bumper that
// has sunk out of the playfield, and the fade in front of the shooter's
// treasure. Warps share the step but are never removed by it.
#pragma once

#include "game/engine/AnimObject.h"

class Jewel;
class ObjectEvent;

class Bumper : public AnimObject {
public:
    Bumper();

    int Update() override;

    // "audio\\bump.ogg", at most once every 20 ticks.
    void PlayBump();
    // The treasure can be bounced by this bumper now: not a live treasure
    // on the shooter, not on a lob towards a slot, no power shot, and the
    // bumper fully faded in.
    bool CanBounce(const Jewel& treasure) const;

    // The world y at the end of the last update.
    float mPreviousY = 99999.0f;
    // Ticks since the last bump sound.
    float mBumpTimer = 0.0f;

protected:
    // How a kind with straight edges treats its bounces.
    enum class EdgeRule {
        // Counted bounces set the basket return flag when the stage has a
        // "code" event; that event runs once after them.
        kRectangle,
        // The "code" event runs at every bounce, counted or not.
        kTriangle,
    };
    // Bounces every treasure of the inner layer that can be bounced off the
    // edges (count entries of x1, y1, x2, y2 in the bumper's own space)
    // within the reach.
    void BounceOffEdges(const float* edges, int count, float reach, EdgeRule rule);
    // The current stage's first event when its trigger is "code", or null.
    ObjectEvent* CodeEvent() const;
    // The bump sound, unless a "code" event ran and the stage plays a sound
    // of its own when it starts.
    void PlayBumpUnlessStageSounds(bool codeRan);
};

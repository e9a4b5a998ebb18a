// Small rule operations many gameplay objects share: finding the highest or
// lowest object of a kind, the shake of an object near the water, the
// difficulty nudge, the score award with its popup text, and sounds.
#pragma once

#include "game/engine/SoundLayer.h"

#include <cstdint>

class AnimObject;
class Level;

// Among the direct children of the container (the current level's inner
// layer when null) the object of that kind with the largest world y (lowest
// on screen). Only y above -99995 counts; on equal y the first one wins.
AnimObject* FindHighestOfKind(int kind, AnimObject* container);
// The same with the smallest world y (top of the screen), below 99995.
AnimObject* FindLowestOfKind(int kind, AnimObject* container);

// Both of those choices over the objects offered to it, for a walk that
// looks for more than one thing.
class ExtremesByY {
public:
    void Offer(AnimObject& object);
    // Largest world y above -99995, and smallest below 99995; null when none.
    AnimObject* Highest() const { return mHighest; }
    AnimObject* Lowest() const { return mLowest; }

private:
    AnimObject* mHighest = nullptr;
    AnimObject* mLowest = nullptr;
    float mHighestY = -99995.0f;
    float mLowestY = 99995.0f;
};

// Shakes the object for 250 ticks: an oscillation on x with amplitude ax and
// on y with ay, on their own clocks, and "audio\\shake.ogg". Nothing while
// its current stage already shakes on x, or when it has no current stage.
void ShakeObject(AnimObject& object, float amplitudeX, float amplitudeY);

// d > 0 adds the win step times d, d < 0 the loss step times d; then the
// current profile's difficulty is held to min..max (max wins when below min).
void NudgeDifficulty(float d);

// The shooter's score multiplier; 1 without a shooter.
int CurrentScoreMultiplier();
// Adds points times the multiplier to the current profile's score, worked in
// 64 bits and held to the int32 range. Returns "+<points>" with " x<m>"
// when the multiplier is 2 or more, in a buffer the next call overwrites.
const char* AwardPoints(int32_t points);
// The same with a given multiplier.
const char* AwardPoints(int32_t points, int32_t multiplier);

// A whole number lo .. hi (both included) from the game's generator; one draw.
int RandomIntBetween(int lo, int hi);

// Plays a sample by name, at its own rate unless one is given (nothing when
// it cannot be loaded).
void PlayGameSound(const char* name, int rate = kDefaultSampleRate);

// The current level as a Level, or null.
Level* CurrentLevel();

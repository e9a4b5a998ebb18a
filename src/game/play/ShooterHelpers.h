// Small readings of the game state that the shooter, its treasures and the
// HUD share: the mode, the current level, stage names, sounds, filters added
// to a running stage and the plates of the inner layer.
#pragma once

#include "game/engine/AnimObject.h"

class Filter;
class Level;
class Stage;

namespace ShooterRules {

enum GameMode : int { kFlood = 0, kJourney = 1, kSurvival = 2, kTrickshot = 3 };

int CurrentMode();
// The current profile's tries in its current mode.
int& CurrentTries();
bool IsTopmost(const AnimObject* screen);

// The current stage's name; "" without one.
const char* StageName(const AnimObject* object);
bool StageIs(const AnimObject* object, const char* name);
bool StageContains(const AnimObject* object, const char* text);
bool NameContains(const AnimObject* object, const char* text);


// A filter added to the object's current stage; null without one or when the pool refuses.
Filter* AddCurrentStageFilter(AnimObject* object, int type, int attribute, float amplitude, float period,
                              float offset, int removeAtStageEnd);
// Resets the middle layer's stage clock and pushes it with a velocity on y.
void PushMiddleLayer(float amplitude, float decay);

// The plate of the inner layer with the largest y ("lowest" on screen), or null.
AnimObject* LowestPlate();
// The first slot with the largest y among the plate's slots, or null.
AnimObject* LowestSlot(const AnimObject& plate);
// The object's source size times its local scales, centred on its world position.
bool ImageRectOverlaps(const AnimObject& object, float cx, float cy, float w, float h);
float FrameWidth(const AnimObject& object);
float FrameHeight(const AnimObject& object);
// A slot's treasure kind and filled flag, and a plate's factory key, read
// through their classes (an object of another class: 0, false, "").
int SlotKindOf(const AnimObject& slot);
bool SlotFilled(const AnimObject& slot);
const char* PlateTypeOf(const AnimObject& plate);
// A fresh pooled child with one stage, or null when a pool refuses.
AnimObject* AddEffectChild(AnimObject& parent, ImageRecord* image, float ms);
// The same, on top of the parent's children (AnimObject::AddChildOnTop).
AnimObject* AddEffectChildOnTop(AnimObject& parent, ImageRecord* image, float ms);

} // namespace ShooterRules

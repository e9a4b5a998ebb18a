// Small steps the plates, slots and the basket share: the state of play as
// the middle layer's stage tells it, pushes of the building, sounds at a
// rate, the level's popups and the hooks of the power-ups.
#pragma once

class AnimObject;
class Level;
class ParticleEmitter;
class TextObject;

namespace PlateRules {

// The current profile's game mode (0 Flood, 1 Journey, 2 Survival, 3 Trickshot).
int Mode();
bool TutorialRuns();
// Whole-name and substring tests of the middle layer's current stage name;
// false without a middle layer or stage.
bool MiddleStageIs(const char* name);
bool MiddleStageContains(const char* part);
// True when the current level's name holds the text.
bool LevelNameContains(const char* part);
// Restarts the middle layer's stage clock; a push also adds a velocity on y
// that ends with the stage (nothing for a push of 0).
void RestartBuildingClock();
void PushBuilding(float amplitude, float decay);


// Two sparkle templates, one growing and one shrinking, for a fill's burst.
void AddSparklePair(ParticleEmitter& emitter, float endAlpha);

// A text object in the font, added to the level (null when none could be made).
TextObject* AddLevelText(const char* text, const char* font, float spacing, unsigned stagger, int justification);
// Where an object lies in the level's own coordinates.
void LevelPosition(const AnimObject& object, float& x, float& y);

// Plates of the inner layer: how many, and whether any still has room.
int CountPlates();
bool PlatesHaveRoom();
// The level's rules the plates and slots report to.
void DefeatLevel();
void TrickshotMissed();
void KillPopupTexts();
// Journey tries of the current profile are left.
bool JourneyTriesLeft();
// The level editor selects a slot a command added, and notes the change.
void SelectInEditor(AnimObject& object);
// Pigeons near a filled slot fly off.
void ScarePigeons(float x, float y);

// A plate's carried power-up is released into the level; a chain's third
// slot (or the tutorial's completing plate) spawns one where it is.
void ReleasePowerUp(AnimObject& powerUp);
void SpawnPowerUpAt(AnimObject& object);

} // namespace PlateRules

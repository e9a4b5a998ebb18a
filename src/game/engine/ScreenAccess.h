// What the engine's objects read of the screen they belong to: the mouse that
// the screen copied for this tick and the played level's sparkle image. The
// screen class defines these where it is known.
#pragma once

class AnimObject;
class ImageRecord;

// The mouse position the screen copied for this tick; false when the object
// is not a screen that reads the mouse.
bool GetScreenMouse(const AnimObject& screen, float& x, float& y);
// The sparkle image of a played level, or null.
ImageRecord* GetLevelSparkleImage(const AnimObject& level);

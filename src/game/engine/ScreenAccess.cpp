#include "game/engine/ScreenAccess.h"

// Until the screen class exists no object reads a mouse or has sparkles.
bool GetScreenMouse(const AnimObject&, float&, float&) { return false; }

ImageRecord* GetLevelSparkleImage(const AnimObject&) { return nullptr; }

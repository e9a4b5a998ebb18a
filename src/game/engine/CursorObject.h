// The game's own mouse pointer: a picture that follows the mouse on the
// topmost screen and hides the system pointer while it is shown there. When
// the mouse leaves the window, or the pointer object goes, the system
// pointer comes back.
#pragma once

#include "game/engine/AnimObject.h"

class CursorObject : public AnimObject {
public:
    CursorObject();
    ~CursorObject() override;

    int Update() override;
    void DrawSelf() override;
    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;

    // 1: the picture's top-left corner is on the mouse point; else its centre.
    int mTopLeft = 0;

protected:
    // The mouse point of this object's screen; false when its screen keeps none.
    bool ScreenMouse(float& x, float& y);
};

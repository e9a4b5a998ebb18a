// The pointer of a played level: the game's cursor with a small picture of
// the ready treasure beside it.
#pragma once

#include "game/engine/CursorObject.h"

class ShooterCursor : public CursorObject {
public:
    ShooterCursor();

    int Update() override;
    void DrawSelf() override;
    void WriteTypeAttributes(std::string& out) override;

    // The picture's name for a treasure kind.
    static std::string MiniPictureName(int treasureKind);

private:
    // Drawn in place, never put in the tree: a frame changes nothing.
    AnimObject mMini;
    int mMiniKind = -1;
};

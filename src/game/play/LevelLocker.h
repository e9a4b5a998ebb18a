// Dims a mode button of the mode menu while the player has not opened that
// mode yet: the caption is greyed and disarmed, two locks frame it and its
// tooltip says how to open the mode.
#pragma once

#include "game/engine/AnimObject.h"

class TextObject;

class LevelLocker : public AnimObject {
public:
    void InitAfterLoad() override;
    void WriteTypeAttributes(std::string& out) override;

private:
    // The two locks either side of the caption.
    void AddLocks(const TextObject& caption);
};

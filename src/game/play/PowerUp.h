// A token that helps the player when it touches the shooter: power shots,
// wings, a wild treasure, a combo shot, a rewind of the building, an extra
// try, a doubled score or a helping Cupid. It falls from a completed plate or
// from the third slot of a tumble; placed on a plate it rolls with the
// plate's tilt until it falls off or the plate completes.
#pragma once

#include "game/engine/AnimObject.h"

class PowerUp : public AnimObject {
public:
    enum Kind : int {
        kWings = 0,
        kPowerShot = 1,
        kRewind = 2,
        kWild = 3,
        kComboShot = 4,
        kExtraTry = 5,
        kMultiplier = 6,
        kCupid = 7,
    };
    static constexpr int kKindCount = 8;
    // Draws of a kind before the first allowed one is taken instead.
    static constexpr int kMaxDraws = 1000;
    // The multiplier stops doubling here: the score stays well inside int32 per award.
    static constexpr int kMaxMultiplier = 1 << 30;

    // A random kind the mode allows (always a power shot in the tutorial).
    PowerUp();

    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void InitAfterLoad() override;
    // Only a power-up its XML named is saved: one the game made is not.
    void WriteXml(std::string& out, int depth) override;
    void WriteTypeAttributes(std::string& out) override;
    int Update() override;

    // Sets the kind, and with it the name (the caption) and the picture.
    void SetKind(int kind);
    int GetKind() const { return mPowerUpKind; }

    // A power-up at the object's place, adopted by its parent and set
    // flying; null when the rules allow none here and now.
    static PowerUp* Spawn(AnimObject& at);
    // Sets it flying and moves it into the current level.
    void Release();
    // The shooter caught it.
    void Caught();

    char mPowerUpType[32] = {};

private:
    void RollStep();
    // False once the power-up has dropped below the screen or was caught.
    bool FlightStep();
    void ShowCaption();
    void ShowWingsCaption();
    void ShowVictoryBonus(float x, float y);

    int mPowerUpKind = kWings;
};

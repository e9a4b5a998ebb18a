// A turret of the building: a treasure that flies into it while rising is
// fired out along the barrel at its own speed, with a puff of smoke. It
// then cools down for 125 ticks, holding its barrel still. Its first child
// is the barrel, the barrel's first child the muzzle (both from the level).
#pragma once

#include "game/engine/AnimObject.h"

#include <cstdint>

class Jewel;

class Turret : public AnimObject {
public:
    // Ticks of cooldown after a shot; it runs down by 2 a tick.
    static constexpr int32_t kCooldown = 250;

    Turret();

    void WriteTypeAttributes(std::string& out) override;
    int Update() override;

    // Fires a treasure that rises (or stands) and has both velocities, when
    // the turret has cooled down and has its barrel and muzzle.
    void Fire(Jewel& treasure);

    int32_t mCooldown = 0;

private:
    AnimObject* Barrel() const;
    AnimObject* Muzzle() const;
    // 20 puffs from the turret towards the muzzle, handed to the level's effects.
    void MakeSmoke(const AnimObject& muzzle);
};

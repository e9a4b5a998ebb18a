// A power-up on a plate: it rolls with the plate's tilt, leaves along the
// slope when it rolls off, and a completing plate frees it into the level.
// Every picture is 8 x 8: a plate's half width is 4.
#include "PlateTestWorld.h"

#include "game/play/PowerUp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

class PowerUpRollTest : public PlateTestWorld {
protected:
    // A power-up of the kind on the plate at x, rolling at speed v.
    PowerUp* AddRolling(Plate& plate, float x, float v, int kind = PowerUp::kWild)
    {
        auto* powerUp = new PowerUp;
        powerUp->SetKind(kind);
        powerUp->mStages.RemoveAll();
        powerUp->AddStage(1000.0f, 1, 1, 1, "rolling");
        if (v != 0.0f)
            powerUp->AddFilter(kEasingVelocity, kAttrX, v, 0.0f, 0.0f);
        powerUp->mLocal[kAttrX] = x;
        powerUp->mLocal[kAttrY] = -6.0f;
        plate.AddChild(powerUp);
        powerUp->RefreshWorld();
        return powerUp;
    }

    static const Filter* Velocity(const AnimObject& object, int attribute)
    {
        return object.CurrentStage()->FindFilter(kEasingVelocity, attribute);
    }
};

// Released from a plate tilted by theta while rolling at v it flies off at
// (v cos theta, -v sin theta), spinning at -2 vx and falling at 0.01 a tick
// more each tick, from the same place on screen and at the same angle, a
// child of the level only.
TEST_F(PowerUpRollTest, ReleaseLeavesAlongTheSlopeOfThePlate)
{
    struct Case {
        float theta;
        float v;
        float vx;
        float vy;
    };
    const Case cases[] = {
        {30.0f, 2.0f, 1.7320508f, -1.0f},
        {-90.0f, 1.5f, 0.0f, 1.5f},
        {0.0f, -0.8f, -0.8f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.theta);
        Plate* plate = AddPlate("block_plate", 200.0f, 300.0f, 1, 0.0f);
        plate->mLocal[kAttrRotation] = c.theta;
        plate->RefreshWorld();
        PowerUp* powerUp = AddRolling(*plate, 2.0f, c.v);
        powerUp->mLocal[kAttrRotation] = 10.0f;
        powerUp->RefreshWorld();
        const float worldX = powerUp->mWorld[kAttrX];
        const float worldY = powerUp->mWorld[kAttrY];

        powerUp->Release();
        EXPECT_EQ(powerUp->mParent, level);
        EXPECT_EQ(plate->CountChildrenOfKind(kKindPowerUp), 0);
        EXPECT_STREQ(powerUp->CurrentStage()->mName, "flying");
        EXPECT_NEAR(Velocity(*powerUp, kAttrX)->mAmplitude, c.vx, 1e-5f);
        EXPECT_NEAR(Velocity(*powerUp, kAttrY)->mAmplitude, c.vy, 1e-5f);
        EXPECT_EQ(Velocity(*powerUp, kAttrY)->mPeriod, 0.01f);
        EXPECT_EQ(Velocity(*powerUp, kAttrRotation)->mAmplitude, -2.0f * Velocity(*powerUp, kAttrX)->mAmplitude);
        powerUp->RefreshWorld();
        EXPECT_NEAR(powerUp->mWorld[kAttrX], worldX, 1e-3f);
        EXPECT_NEAR(powerUp->mWorld[kAttrY], worldY, 1e-3f);
        EXPECT_FLOAT_EQ(powerUp->mLocal[kAttrRotation], 10.0f + c.theta);
        // In front of the plates: the plate's container's z + 5.
        EXPECT_EQ(powerUp->mZOrder, inner->mZOrder + 5.0f);
        inner->mChildren.Remove(plate);
        level->mChildren.Remove(powerUp);
    }
}

// On a level plate the speed only dies away (x 0.997 a tick); past half the
// plate's width the power-up leaves, in the tick that its plate updates it.
// Its siblings after it on the plate are still updated once that tick, and
// so is the power-up itself: not again by the level it moved into.
TEST_F(PowerUpRollTest, RollingOffTheEdgeMovesItIntoTheLevelMidWalk)
{
    Plate* plate = AddPlate("block_plate", 200.0f, 300.0f, 1, 0.0f);
    PowerUp* powerUp = AddRolling(*plate, 3.0f, 0.5f);
    AnimObject* after = plate->AppendChild(nullptr);
    after->AddStage(1000.0f, 1, 1, 1, "idle");
    ASSERT_NE(powerUp->mNext, nullptr);

    // x: 3 -> 3.5 -> 3.9985 -> 4.4955135; the next roll step sees it past 4.
    Ticks(3);
    EXPECT_EQ(powerUp->mParent, plate);
    EXPECT_NEAR(powerUp->mLocal[kAttrX], 4.4955135f, 1e-5f);
    // Turned by -2.2 x as it rolled, from the x of the last roll step.
    EXPECT_NEAR(powerUp->mLocal[kAttrRotation], -2.2f * 3.9985f, 1e-4f);

    std::vector<std::pair<AnimObject*, float>> siblings;
    for (AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child != powerUp)
            siblings.emplace_back(child, child->mFrameCounter);
    }
    ASSERT_EQ(siblings.size(), 2u);
    const float ownTicks = powerUp->mFrameCounter;
    Ticks(1);
    EXPECT_EQ(powerUp->mParent, level);
    EXPECT_TRUE(level->mChildren.Contains(powerUp));
    EXPECT_FALSE(plate->mChildren.Contains(powerUp));
    for (const auto& [sibling, ticks] : siblings)
        EXPECT_EQ(sibling->mFrameCounter, ticks + 1.0f);
    EXPECT_EQ(powerUp->mFrameCounter, ownTicks + 1.0f);
    // Off a level plate: straight on at the speed it had, 0.5 x 0.997^3.
    EXPECT_NEAR(Velocity(*powerUp, kAttrX)->mAmplitude, 0.4955135f, 1e-6f);
    // Its update went on in the level's frame: one tick of fall already.
    EXPECT_FLOAT_EQ(Velocity(*powerUp, kAttrY)->mAmplitude, 0.01f);
    Ticks(1);
    EXPECT_EQ(powerUp->mFrameCounter, ownTicks + 2.0f);
}

// A tilted plate speeds the roll by -tilt / 4800 a tick: at 48 degrees
// -0.01, then x 0.997 as it moves.
TEST_F(PowerUpRollTest, TiltSpeedsTheRollDownhill)
{
    Plate* plate = AddPlate("block_plate", 200.0f, 300.0f, 1, 0.0f);
    plate->mLocal[kAttrRotation] = 48.0f;
    PowerUp* powerUp = AddRolling(*plate, 0.0f, 0.0f);
    Ticks(2);
    // Tick 1: v = -0.01, x = -0.01, v = -0.00997. Tick 2: v = -0.01997, x = -0.02997.
    EXPECT_NEAR(powerUp->mLocal[kAttrX], -0.02997f, 1e-6f);
    EXPECT_NEAR(powerUp->mLocal[kAttrRotation], 0.022f, 1e-6f);
    EXPECT_NEAR(Velocity(*powerUp, kAttrX)->mAmplitude, -0.01997f * 0.997f, 1e-6f);
}

// A completing plate frees the power-up it carries into the level, where it
// alone holds it; in the tutorial a plate completing among three drops a
// power shot of its own.
TEST_F(PowerUpRollTest, CompletingPlateFreesItsPowerUpIntoTheLevel)
{
    Plate* plate = AddPlate("block_plate", 200.0f, 300.0f, 1, 0.0f);
    AddPlate("block_plate", 400.0f, 300.0f, 1, 0.0f);
    PowerUp* powerUp = AddRolling(*plate, 0.0f, 0.0f, PowerUp::kComboShot);
    Slots(*plate)[0]->mFilled = 1;
    Ticks(1);
    EXPECT_EQ(powerUp->mParent, level);
    EXPECT_EQ(level->CountChildrenOfKind(kKindPowerUp), 1);
    EXPECT_EQ(inner->CountChildrenOfKind(kKindPowerUp), 0);
    EXPECT_EQ(plate->CountChildrenOfKind(kKindPowerUp), 0);
    EXPECT_STREQ(powerUp->CurrentStage()->mName, "flying");
    EXPECT_EQ(Velocity(*powerUp, kAttrY)->mAmplitude, -2.05f);
    EXPECT_EQ(powerUp->GetKind(), PowerUp::kComboShot);

    // The tutorial's rule: three plates, one completes, a power shot drops from it.
    AnimObject* guide = level->AddChild(nullptr);
    guide->mKind = kKindTutorial;
    guide->AddStage(1000.0f, 1, 1, 1, "idle");
    Ticks(1);
    ASSERT_NE(mGame->mTutorial, nullptr);
    Plate* third = AddPlate("block_plate", 300.0f, 200.0f, 1, 0.0f);
    AddPlate("block_plate", 100.0f, 200.0f, 1, 0.0f);
    while (inner->CountChildrenOfKind(kKindPlate) > 3)
        Ticks(1);
    Slots(*third)[0]->mFilled = 1;
    Ticks(1);
    int powerShots = 0;
    for (AnimObject* child = level->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child != powerUp && child->mKind == kKindPowerUp) {
            EXPECT_EQ(static_cast<PowerUp*>(child)->GetKind(), PowerUp::kPowerShot);
            ++powerShots;
        }
    }
    EXPECT_EQ(powerShots, 1);
}

} // namespace

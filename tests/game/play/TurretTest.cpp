// Turrets in a level the test writes: which treasures they fire, the
// direction and speed of the shot, and the cooldown.
#include "ObstacleFixture.h"

#include "game/engine/Stage.h"

#include <gtest/gtest.h>

namespace {

class TurretTest : public ObstacleFixture {
protected:
    void OpenWith(const std::string& container)
    {
        HearThroughBass({"audio\\turret.ogg"});
        TestLevelSpec spec;
        spec.container = container;
        ASSERT_NE(OpenTestLevel(spec), nullptr);
        MovePointer(60.0f, 300.0f);
        Ticks(5);
    }
};

// The turret (40 x 40) stands at (400, 300); a treasure (30 x 30) at
// (400, 334) overlaps it. A shot turns the velocity to the barrel's angle
// a = barrel rotation - 90 at the same speed, (-s cos a, s sin a), and puts
// the treasure at the turret moved 20 (the muzzle's height) the same way;
// the treasure's own update then moves it once. Barrel 30: a = -60,
// v = (-1, -sqrt 3), place (400 - 10, 300 - 17.3205) + v. Barrel -90:
// a = -180, v = (2, 0), place (420, 300) + v.
TEST_F(TurretTest, FiresRisingTreasuresAlongTheBarrelAtTheirSpeed)
{
    enum Treasure { kPlain, kUnderGravity, kNoVelocities };
    struct Case {
        const char* what;
        bool parts;
        float barrel;
        Treasure treasure;
        float y;
        float vx;
        float vy;
        float expectedX;
        float expectedY;
        float expectedVx;
        float expectedVy;
        int shots;
    };
    const Case cases[] = {
        {"straight barrel", true, 0.0f, kPlain, 334.0f, 0.0f, -2.0f, 400.0f, 278.0f, 0.0f, -2.0f, 1},
        {"speed kept", true, 0.0f, kPlain, 334.0f, 1.2f, -1.6f, 400.0f, 278.0f, 0.0f, -2.0f, 1},
        {"barrel 30", true, 30.0f, kPlain, 334.0f, 0.0f, -2.0f, 389.0f, 280.947449f, -1.0f, -1.7320508f, 1},
        {"barrel -90", true, -90.0f, kPlain, 334.0f, 0.0f, -2.0f, 422.0f, 300.0f, 2.0f, 0.0f, 1},
        {"moving down", true, 0.0f, kPlain, 266.0f, 0.0f, 2.0f, 400.0f, 268.0f, 0.0f, 2.0f, 0},
        // Falling under gravity (0.05 a tick): it moves by -2 and slows by 0.05.
        {"under gravity", true, 0.0f, kUnderGravity, 334.0f, 0.0f, -2.0f, 400.0f, 332.0f, 0.0f, -1.95f, 0},
        {"no barrel", false, 0.0f, kPlain, 334.0f, 0.0f, -2.0f, 400.0f, 332.0f, 0.0f, -2.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenWith(TurretXml(400.0f, 300.0f, c.barrel, c.parts));
        Jewel* treasure = AddFlyingTreasure(5, 400.0f, c.y, c.vx, c.vy);
        if (c.treasure == kUnderGravity)
            treasure->VelocityFilterY()->mPeriod = 0.05f;
        Tick();
        EXPECT_NEAR(treasure->mWorld[kAttrX], c.expectedX, 1e-3f);
        EXPECT_NEAR(treasure->mWorld[kAttrY], c.expectedY, 1e-3f);
        EXPECT_NEAR(VelocityX(*treasure), c.expectedVx, 1e-5f);
        EXPECT_NEAR(VelocityY(*treasure), c.expectedVy, 1e-5f);
        EXPECT_EQ(bass->Plays("audio\\turret.ogg"), c.shots);
    }
}

// A treasure without velocities (none to turn) stays where it is.
TEST_F(TurretTest, LeavesATreasureWithoutVelocitiesAlone)
{
    OpenWith(TurretXml(400.0f, 300.0f, 0.0f));
    Jewel* treasure = AddFlyingTreasure(5, 400.0f, 334.0f, 0.0f, -2.0f);
    treasure->CurrentStage()->mFilters.RemoveAll();
    Ticks(3);
    EXPECT_EQ(treasure->mWorld[kAttrY], 334.0f);
    EXPECT_EQ(bass->Plays("audio\\turret.ogg"), 0);
}

// A treasure standing still in the turret is fired at once, stays (speed
// 0) at the muzzle inside the turret, and is fired again once the cooldown
// of 250, run down by 2 a tick from the tick of the shot, is below 1:
// 250 - 2 x 125 = 0 after 125 more ticks.
TEST_F(TurretTest, FiresAgainOnlyAfter125Ticks)
{
    OpenWith(TurretXml(400.0f, 300.0f, 0.0f));
    Jewel* treasure = AddFlyingTreasure(5, 400.0f, 300.0f, 0.0f, 0.0f);
    Tick();
    EXPECT_EQ(treasure->mWorld[kAttrY], 280.0f);
    EXPECT_EQ(bass->Plays("audio\\turret.ogg"), 1);
    Ticks(124);
    EXPECT_EQ(bass->Plays("audio\\turret.ogg"), 1);
    Tick();
    EXPECT_EQ(bass->Plays("audio\\turret.ogg"), 2);
}

} // namespace

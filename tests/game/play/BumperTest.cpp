// Bumpers in a level the test writes: the velocity each edge gives back,
// who passes, one counted bounce for two contacts close together, the fade
// in front of the shooter's treasure, the removal of a sunken bumper and
// the "code" event.
#include "ObstacleFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class BumperTest : public ObstacleFixture {
protected:
    // A level with the container's objects; the pointer far left, so the
    // shooter and its treasure stay clear of them.
    void OpenWith(const std::string& container, const std::string& name = "level_one")
    {
        TestLevelSpec spec;
        spec.name = name;
        spec.container = container;
        ASSERT_NE(OpenTestLevel(spec), nullptr);
        MovePointer(60.0f, 300.0f);
        // Bumpers play their sound only after 20 ticks of life.
        Ticks(25);
    }
};

// Bumpers stand at (400, 300). Rectangle 160 x 32: sides at x 320 and 480
// and y 284 and 316, reach 80 / 16 = 5. Triangle 64 x 48, point down: top
// y 276, sides from (432, 276) and (368, 276) to (400, 324) with outward
// normals (3, 2) / sqrt(13) and (-3, 2) / sqrt(13), reach 4; v - 2 (v . n) n
// turns (-2, -2) into (-2, -2) + 20/13 (3, 2) = (34/13, 14/13). Round:
// radius 44 / 2.2 = 20 and the treasure's 30 / 2.5 = 12; the normal runs
// from the bumper's centre to the treasure's: (24, 18) / 30 = (0.8, 0.6)
// turns (0, -2) into (0, -2) + 2.4 (0.8, 0.6) = (1.92, -0.56).
TEST_F(BumperTest, EachEdgeReflectsTheVelocity)
{
    struct Case {
        const char* type;
        float x;
        float y;
        float vx;
        float vy;
        float expectedVx;
        float expectedVy;
        int expectedBounces;
    };
    const Case cases[] = {
        {"rect_bumper", 400.0f, 319.0f, 1.0f, -2.0f, 1.0f, 2.0f, 1},     // bottom
        {"rect_bumper", 400.0f, 281.0f, 1.0f, 2.0f, 1.0f, -2.0f, 1},     // top
        {"rect_bumper", 483.0f, 300.0f, -2.0f, 1.0f, 2.0f, 1.0f, 1},     // right
        {"rect_bumper", 317.0f, 300.0f, 2.0f, 1.0f, -2.0f, 1.0f, 1},     // left
        {"rect_bumper", 400.0f, 330.0f, 1.0f, -2.0f, 1.0f, -2.0f, 0},    // out of reach
        {"tri_bumper", 400.0f, 274.0f, 0.0f, 2.0f, 0.0f, -2.0f, 1},      // top
        {"tri_bumper", 418.0f, 301.0f, -2.0f, -2.0f, 34.0f / 13.0f, 14.0f / 13.0f, 1},
        {"tri_bumper", 382.0f, 301.0f, 2.0f, -2.0f, -34.0f / 13.0f, 14.0f / 13.0f, 1},
        {"round_bumper", 400.0f, 330.0f, 0.0f, -2.0f, 0.0f, 2.0f, 1},    // head-on
        {"round_bumper", 424.0f, 318.0f, 0.0f, -2.0f, 1.92f, -0.56f, 1}, // glancing
        {"round_bumper", 400.0f, 330.0f, 0.0f, 2.0f, 0.0f, 2.0f, 1},     // moving away: counted, not turned
        // Both centres in one place: no line to reflect about, the velocity stays.
        {"round_bumper", 400.0f, 300.0f, 0.0f, -2.0f, 0.0f, -2.0f, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " at " + std::to_string(c.x) + ", " + std::to_string(c.y));
        OpenWith(BumperXml(c.type, 400.0f, 300.0f));
        Jewel* treasure = AddFlyingTreasure(5, c.x, c.y, c.vx, c.vy);
        Tick();
        EXPECT_NEAR(VelocityX(*treasure), c.expectedVx, 1e-4f);
        EXPECT_NEAR(VelocityY(*treasure), c.expectedVy, 1e-4f);
        EXPECT_TRUE(std::isfinite(treasure->mWorld[kAttrX]) && std::isfinite(treasure->mWorld[kAttrY]));
        EXPECT_EQ(treasure->mBounces, c.expectedBounces);
    }
}

// Power shots, lobs and a bumper not fully faded in let the treasure through.
TEST_F(BumperTest, PowerShotsLobsAndFadedBumpersPass)
{
    struct Case {
        const char* what;
        int power;
        int forcedToss;
        float bumperAlpha;
        bool bounces;
    };
    const Case cases[] = {
        {"plain", 0, 1, 1.0f, true},
        {"power shot", 1, 1, 1.0f, false},
        {"lob", 0, 0, 1.0f, false},
        {"faded bumper", 0, 1, 0.99f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenWith(BumperXml("rect_bumper", 400.0f, 300.0f));
        FindInner<Bumper>("bumper_rect")->mLocal[kAttrAlpha] = c.bumperAlpha;
        Jewel* treasure = AddFlyingTreasure(5, 400.0f, 319.0f, 0.0f, -2.0f);
        treasure->mPower = c.power;
        treasure->mForcedToss = c.forcedToss;
        Tick();
        EXPECT_EQ(VelocityY(*treasure), c.bounces ? 2.0f : -2.0f);
        EXPECT_EQ(treasure->mBounces, c.bounces ? 1 : 0);
    }
}

// Two round bumpers 67 apart, the treasure between them at 3 a tick: off
// the upper one at tick 1 (31 < 32 from its centre), off the lower one at
// tick 3 (30 from it), two ticks later: one bounce counted, one sound.
TEST_F(BumperTest, TwoContactsWithinFourTicksCountOneBounceAndOneSound)
{
    HearThroughBass({"audio\\bump.ogg"});
    OpenWith(BumperXml("round_bumper", 400.0f, 300.0f) + BumperXml("round_bumper", 400.0f, 367.0f));
    Jewel* treasure = AddFlyingTreasure(5, 400.0f, 331.0f, 0.0f, -3.0f);
    Tick();
    EXPECT_EQ(VelocityY(*treasure), 3.0f);
    Ticks(2);
    EXPECT_EQ(VelocityY(*treasure), -3.0f);
    EXPECT_EQ(treasure->mBounces, 1);
    EXPECT_EQ(bass->Plays("audio\\bump.ogg"), 1);
}

// A bumper over the shooter's ready treasure fades to half and lets
// treasures through; away from it, it grows back by 1 % a tick and bounces
// again from 1.0: 0.5 x 1.01^69 = 0.9936, 0.5 x 1.01^70 = 1.0034.
TEST_F(BumperTest, InFrontOfTheShootersTreasureItFadesAndBouncesOnlyOnceBack)
{
    TestLevelSpec spec;
    // The ready treasure waits at y 550 - 15 - 15 = 520.
    spec.container = BumperXml("rect_bumper", 400.0f, 520.0f);
    ASSERT_NE(OpenTestLevel(spec), nullptr);
    MovePointer(400.0f, 300.0f);
    ASSERT_TRUE(TickUntilReady());
    Ticks(100);
    auto* bumper = FindInner<Bumper>("bumper_rect");
    ASSERT_NE(bumper, nullptr);
    EXPECT_EQ(bumper->mLocal[kAttrAlpha], 0.5f);
    // A tumbling treasure falls onto its top side and passes.
    Jewel* through = AddFlyingTreasure(5, 450.0f, 501.0f, 0.0f, 2.0f);
    through->mLive = 0;
    Tick();
    EXPECT_EQ(VelocityY(*through), 2.0f);
    through->mRemove = 1;

    MovePointer(60.0f, 300.0f);
    Ticks(40); // the shooter moves off
    ASSERT_LT(bumper->mLocal[kAttrAlpha], 1.0f);
    while (bumper->mLocal[kAttrAlpha] > 0.5f && bumper->mLocal[kAttrAlpha] < 1.0f)
        Tick();
    EXPECT_EQ(bumper->mLocal[kAttrAlpha], 1.0f);
    Jewel* bounced = AddFlyingTreasure(5, 450.0f, 501.0f, 0.0f, 2.0f);
    bounced->mLive = 0;
    Tick();
    EXPECT_EQ(VelocityY(*bounced), -2.0f);
}

// Without a shooter nothing makes a bumper fade: a treasure resting on it
// in the layer is no shooter's treasure.
TEST_F(BumperTest, WithoutAShooterItStaysFullyShown)
{
    OpenWith(BumperXml("rect_bumper", 400.0f, 300.0f));
    GetShooter()->mRemove = 1;
    Tick();
    ASSERT_EQ(mGame->mShooter, nullptr);
    AddFlyingTreasure(5, 400.0f, 300.0f, 0.0f, 0.0f);
    Ticks(10);
    EXPECT_EQ(FindInner<Bumper>("bumper_rect")->mLocal[kAttrAlpha], 1.0f);
}

// A bumper sinking below mid-screen and out of the band above the bottom
// 60 px goes after its first 100 ticks; one standing still, one on the
// trick shot screen and a warp stay.
TEST_F(BumperTest, ASunkenBumperGoesExceptOnTheTrickScreenAndWarpsStay)
{
    // 100 px in 100 s: 0.004 px a tick.
    const std::string sinking = "<stage ms=\"100000\">\n<attribute type=\"x\" start=\"400\" end=\"400\">\n"
                                "<attribute type=\"y\" start=\"560\" end=\"660\">\n";
    struct Case {
        const char* level;
        std::string object;
        const char* name;
        bool goes;
    };
    const Case cases[] = {
        {"level_one", BumperXml("rect_bumper", 0.0f, 0.0f, 0.0f, sinking), "bumper_rect",
         true},
        {"trickshot", BumperXml("rect_bumper", 0.0f, 0.0f, 0.0f, sinking), "bumper_rect",
         false},
        {"level_one", BumperXml("rect_bumper", 400.0f, 560.0f), "bumper_rect", false},
        {"level_one",
         "<object type=\"warp\" name=\"warp\" image=\"gfx\\level\\warp.png\">\n" + sinking + "</object>\n",
         "warp", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.level) + " " + c.name);
        TestLevelSpec spec;
        spec.name = c.level;
        spec.container = c.object;
        ASSERT_NE(OpenTestLevel(spec), nullptr);
        MovePointer(60.0f, 300.0f);
        Ticks(100);
        ASSERT_NE(Inner()->FindChildByName(c.name), nullptr);
        Tick();
        EXPECT_EQ(Inner()->FindChildByName(c.name) == nullptr, c.goes);
    }
}

// A "code" event first in the bumper's stage runs when a bounce counts. On
// a rectangle it runs once after the bounces and marks the treasure for a
// returned shot; on a triangle it runs at each bounce and marks nothing.
// The bump sound stays off when the stage the event led to plays its own.
TEST_F(BumperTest, CodeEventRunsAndMarksTheShotForReturn)
{
    struct Case {
        const char* type;
        float treasureY;
        bool litPlaysSound;
        int expectedReturn;
        int expectedBumps;
    };
    const Case cases[] = {
        {"rect_bumper", 319.0f, true, 1, 0},
        {"rect_bumper", 319.0f, false, 1, 1},
        {"tri_bumper", 274.0f, false, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + (c.litPlaysSound ? " with" : " without") + " its own sound");
        HearThroughBass({"audio\\bump.ogg", "audio\\ding.ogg"});
        const std::string stages =
            Placed(400.0f, 300.0f, 0.0f, "<event type=\"code\" action=\"go_to_stage\" parm1=\"lit\">\n") +
            "<stage name=\"lit\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n" + Still(400.0f, 300.0f) +
            (c.litPlaysSound ? "<event type=\"start\" action=\"play_sound\" parm3=\"audio\\ding.ogg\">\n" : "");
        OpenWith(BumperXml(c.type, 0.0f, 0.0f, 0.0f, stages));
        Jewel* treasure = AddFlyingTreasure(5, 400.0f, c.treasureY, 0.0f, c.treasureY > 300.0f ? -2.0f : 2.0f);
        Ticks(2);
        EXPECT_EQ(treasure->mBounces, 1);
        EXPECT_EQ(treasure->mBasketReturn, c.expectedReturn);
        EXPECT_EQ(StageOf(Inner()->FindChildByName(c.type == std::string("rect_bumper") ? "bumper_rect" : "bumper_tri")),
                  "lit");
        EXPECT_EQ(bass->Plays("audio\\bump.ogg"), c.expectedBumps);
        EXPECT_EQ(bass->Plays("audio\\ding.ogg"), c.litPlaysSound ? 1 : 0);
    }
}

} // namespace

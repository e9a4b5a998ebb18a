// Warps in a level the test writes: the partner a treasure goes to, the
// treasure kept from going straight back, the ninth teleport, a tracked
// treasure that dies, and the guide arrows.
#include "ObstacleFixture.h"

#include "game/engine/EngineUtilities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

class WarpTest : public ObstacleFixture {
protected:
    void OpenWith(TestLevelSpec spec, float pointerX = 60.0f)
    {
        HearThroughBass({"audio\\warp.ogg"});
        ASSERT_NE(OpenTestLevel(spec), nullptr);
        MovePointer(pointerX, 300.0f);
        Tick(); // the level publishes its layers
    }
    static TestLevelSpec With(const std::string& container)
    {
        TestLevelSpec spec;
        spec.container = container;
        return spec;
    }
};

// A treasure (frame width 30) is near a warp when its circle of radius 30
// meets the warp's circle of 20 by a whole pixel: 50^2 - d^2 >= 1, d below
// 49.99. Rising at 2 from y 480 towards the warp at (200, 400), it is at
// 480 - 2 (t - 1) when the warp looks at tick t: 448 at tick 17. Of the two
// others the one at x -100 is nearer (300) but off screen: the treasure
// goes to (600, 400), moves on by its velocity in the same tick, and is not
// sent back while it leaves that warp.
TEST_F(WarpTest, ToTheNearestPartnerOnScreenAndNotBack)
{
    OpenWith(With(WarpXml(200.0f, 400.0f, "a") + WarpXml(600.0f, 400.0f, "b") + WarpXml(-100.0f, 400.0f, "c")));
    Jewel* treasure = AddFlyingTreasure(5, 200.0f, 480.0f, 0.0f, -2.0f);
    Ticks(16);
    EXPECT_EQ(treasure->mWorld[kAttrY], 448.0f);
    EXPECT_EQ(treasure->mWarpCount, 0);
    Tick();
    EXPECT_EQ(treasure->mWorld[kAttrX], 600.0f);
    EXPECT_EQ(treasure->mWorld[kAttrY], 398.0f);
    EXPECT_EQ(VelocityY(*treasure), -2.0f);
    EXPECT_EQ(treasure->mWarpCount, 1);
    EXPECT_EQ(bass->Plays("audio\\warp.ogg"), 1);
    Ticks(100);
    EXPECT_EQ(treasure->mWorld[kAttrX], 600.0f);
    EXPECT_EQ(treasure->mWorld[kAttrY], 198.0f);
    EXPECT_EQ(treasure->mWarpCount, 1);
}

// Warps at y 500, 300 and 100 on one line; the treasure rises at 2 from
// 520. The lowest sends it to the middle one at tick 1; the middle one lets
// it go when it sees it at 250 (tick 26); the top one sees it at 148 at
// tick 77 and sends it back to the middle one, and so every 76 ticks: the
// ninth teleport, at tick 1 + 8 x 76 = 609, removes it and misses the trick.
TEST_F(WarpTest, TheNinthTeleportRemovesTheTreasureAndMissesTheTrick)
{
    TestLevelSpec spec = With(WarpXml(400.0f, 500.0f, "low") + WarpXml(400.0f, 300.0f, "middle") +
                              WarpXml(400.0f, 100.0f, "top"));
    spec.middleStages = {"still", "victory"};
    OpenWith(spec);
    Jewel* treasure = AddFlyingTreasure(5, 400.0f, 520.0f, 0.0f, -2.0f);
    Tick();
    EXPECT_EQ(treasure->mWarpCount, 1);
    EXPECT_EQ(treasure->mWorld[kAttrY], 298.0f);
    Ticks(76);
    EXPECT_EQ(treasure->mWarpCount, 2);
    Ticks(608 - 77);
    EXPECT_EQ(treasure->mWarpCount, 8);
    EXPECT_EQ(StageOf(Middle()), "still");
    Tick();
    EXPECT_EQ(Inner()->CountChildrenOfKind(kKindJewel), 0);
    EXPECT_EQ(StageOf(Middle()), "victory");
}

// The treasure sent to (600, 400) fills a slot just above it and dies while
// that warp tracks it; the warp goes on (the sanitizer sees any read of the
// dead treasure), and the next treasure through the pair arrives there as
// a new one, though it may live where the first one lived.
TEST_F(WarpTest, ATrackedTreasureThatDiesIsForgotten)
{
    TestLevelSpec spec = With(WarpXml(200.0f, 400.0f, "a") + WarpXml(600.0f, 400.0f, "b"));
    spec.plates.push_back({600.0f, 340.0f, {{5, 0.0f, 0.0f}}});
    OpenWith(spec);
    AddFlyingTreasure(5, 200.0f, 480.0f, 0.0f, -2.0f);
    Ticks(17);
    auto* b = FindInner<Warp>("b");
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(Inner()->CountChildrenOfKind(kKindJewel), 1);
    Ticks(30);
    ASSERT_EQ(Inner()->CountChildrenOfKind(kKindJewel), 0);
    Ticks(5);
    Jewel* next = AddFlyingTreasure(5, 200.0f, 480.0f, 0.0f, -2.0f);
    Ticks(17);
    EXPECT_EQ(next->mWorld[kAttrX], 600.0f);
    EXPECT_EQ(next->mWarpCount, 1);
    EXPECT_TRUE(b->Tracks(*next));
}

// With the shooter under a warp (within 0.75 x 40 of its x), arrows march
// to the partner 330 away: one every 80 px, ceil(330 / 80) = 5, each made
// in the warp's own list, lasting one tick, on the line between the two and
// turned by AngleDegrees(-198, 264) = atan2(264, 198) = 53.13 degrees. The
// other children of the list are still updated once a tick.
TEST_F(WarpTest, GuideArrowsMarchToThePartnerWhileTheShooterIsBelow)
{
    OpenWith(With(WarpXml(400.0f, 450.0f, "a") + WarpXml(598.0f, 186.0f, "b")), 400.0f);
    Ticks(60);
    ASSERT_NEAR(GetShooter()->mWorld[kAttrX], 400.0f, 30.0f);
    auto* a = FindInner<Warp>("a");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->mArrowImage, nullptr);
    const auto shownArrows = [&] {
        std::vector<AnimObject*> arrows;
        for (AnimObject* child = Inner()->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mImage == a->mArrowImage && child->mFrameCounter > 0.0f)
                arrows.push_back(child);
        }
        return arrows;
    };
    std::map<AnimObject*, float> frames;
    for (AnimObject* child = Inner()->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mImage != a->mArrowImage)
            frames[child] = child->mFrameCounter;
    }
    Ticks(10);
    for (const auto& [child, frame] : frames)
        EXPECT_EQ(child->mFrameCounter, frame + 10.0f) << child->mName;

    const std::vector<AnimObject*> arrows = shownArrows();
    EXPECT_EQ(arrows.size(), 5u);
    for (const AnimObject* arrow : arrows) {
        const float f = (arrow->mLocal[kAttrX] - 400.0f) / 198.0f;
        EXPECT_GE(f, 0.0f);
        EXPECT_LE(f, 1.0f);
        EXPECT_NEAR(arrow->mLocal[kAttrY], 450.0f - 264.0f * f, 1e-3f);
        EXPECT_NEAR(arrow->mLocal[kAttrRotation], 53.1301f, 1e-3f);
    }

    MovePointer(60.0f, 300.0f);
    Ticks(60);
    EXPECT_TRUE(shownArrows().empty());
}

} // namespace

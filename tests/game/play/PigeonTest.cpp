// Pigeons on a test-written roof: scared by a fill within 120 px, once; off
// to the edge their name points to, in as many ticks as the way is long;
// a zero-tick flight lands on its target; scared by sinking low while the
// building scrolls; without their flight stages they stay.
#include "game/engine/ImageRecord.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/play/Pigeon.h"
#include "game/play/PlayState.h"
#include "support/PlayFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kFlightStages = "<stage name=\"sit\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                  "<stage name=\"pre_fly_away\" ms=\"400\">\n"
                                  "<stage name=\"fly_away\" ms=\"1000\">\n"
                                  "<stage name=\"gone\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n";

class PigeonTest : public PlayFixture {
protected:
    // A roof with one pigeon of that name at (x, y) in the plate container.
    Pigeon* OpenRoof(const std::string& name, float x, float y, const std::string& stages = kFlightStages)
    {
        const std::string loop = "<stage name=\"scrolling\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n";
        const std::string xml = "<object type=\"level\" name=\"roof\">\n" + loop +
                                "<object type=\"plain\" name=\"shooter\">\n" + loop + "</object>\n" +
                                "<object type=\"plain\" name=\"background\">\n" + loop +
                                "<object type=\"plain\" name=\"tiles\">\n" + loop +
                                "<object type=\"plain\" name=\"plate_container\">\n" + loop +
                                "<object type=\"pigeon\" name=\"" + name +
                                "\" flight_image=\"gfx\\pigeon_flight.png\" image=\"gfx\\pigeon.png\">\n" + stages +
                                "<event type=\"click_anywhere\" action=\"bump_tick_counter\">\n"
                                "<event type=\"click_anywhere\" action=\"play_sound\" parm1=\"audio\\coo.ogg\">\n"
                                "</object>\n</object>\n</object>\n</object>\n</object>\n";
        Level* level = OpenLevel("levels/roof.xml", xml);
        if (level == nullptr)
            return nullptr;
        AnimObject* outer = level->FindChildByName("background");
        AnimObject* middle = outer->FindChildByName("tiles");
        AnimObject* inner = middle->FindChildByName("plate_container");
        outer->mKind = middle->mKind = inner->mKind = kKindLayer;
        shooter = level->FindChildByName("shooter");
        middleLayer = middle;
        auto* pigeon = dynamic_cast<Pigeon*>(inner->FindChildByName(name.c_str()));
        if (pigeon == nullptr)
            return nullptr;
        pigeon->mLocal[kAttrX] = x;
        pigeon->mLocal[kAttrY] = y;
        Tick();
        return pigeon;
    }
    static std::string StageOf(const AnimObject& object)
    {
        return object.CurrentStage() != nullptr ? object.CurrentStage()->mName : "";
    }
    static Stage* Named(AnimObject& object, const char* name)
    {
        for (Stage* stage = object.mStages.Head(); stage != nullptr; stage = stage->mNext) {
            if (std::string(stage->mName) == name)
                return stage;
        }
        return nullptr;
    }
    // Ticks until the pigeon's stage is the named one (at most limit ticks).
    bool TickUntil(const AnimObject& pigeon, const std::string& stage, int limit)
    {
        for (int i = 0; i < limit && StageOf(pigeon) != stage; ++i)
            Tick();
        return StageOf(pigeon) == stage;
    }

    AnimObject* shooter = nullptr;
    AnimObject* middleLayer = nullptr;
};

TEST_F(PigeonTest, AFillWithin120PxScaresItOnce)
{
    struct Case {
        float distance;
        bool flies;
    };
    for (const Case& c : {Case{119.0f, true}, Case{120.0f, false}, Case{121.0f, false}}) {
        SCOPED_TRACE(c.distance);
        NewPlayGame();
        Pigeon* pigeon = OpenRoof("pigeon", 100.0f, -50.0f);
        ASSERT_NE(pigeon, nullptr);
        pigeon->FlyAway(100.0f, -50.0f + c.distance);
        EXPECT_EQ(StageOf(*pigeon), c.flies ? "pre_fly_away" : "sit");
        if (c.flies) {
            EXPECT_LE(pigeon->CurrentStage()->mLength, 150.0f);
            // Already on its way: a second scare draws nothing and changes nothing.
            const uint32_t state = mGame->mRandom.GetState();
            pigeon->FlyAway(100.0f, -50.0f);
            EXPECT_EQ(StageOf(*pigeon), "pre_fly_away");
            EXPECT_EQ(mGame->mRandom.GetState(), state);
            ASSERT_TRUE(TickUntil(*pigeon, "fly_away", 152));
            pigeon->FlyAway(100.0f, -50.0f);
            EXPECT_EQ(StageOf(*pigeon), "fly_away");
            EXPECT_EQ(mGame->mRandom.GetState(), state);
        }
    }
}

TEST_F(PigeonTest, FliesToTheEdgeItsNamePointsTo)
{
    struct Case {
        const char* name;
        float x, y;
        float minX, maxX;
        float ticks; // the way to the edge, truncated
        int flip;
    };
    const Case cases[] = {
        // Right: sqrt((800 - 100)^2 + 0^2) = 700.
        {"pigeon", 100.0f, 0.0f, 400.0f, 440.0f, 700.0f, 1},
        // Left: sqrt(30^2 + 40^2) = 50.
        {"left_pigeon", 30.0f, 40.0f, -440.0f, -400.0f, 50.0f, 0},
        // A name holding "left" flies left: sqrt(5^2 + 10^2) = 11.18 -> 11; right: sqrt(795^2 + 10^2) = 795.06 -> 795.
        {"pigeon_leftover", 5.0f, -10.0f, -440.0f, -400.0f, 11.0f, 0},
        {"pigeon_right", 5.0f, -10.0f, 400.0f, 440.0f, 795.0f, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewPlayGame();
        Pigeon* pigeon = OpenRoof(c.name, c.x, c.y);
        ASSERT_NE(pigeon, nullptr);
        pigeon->FlyAway(c.x, c.y);
        const Stage* flight = Named(*pigeon, "fly_away");
        ASSERT_NE(flight, nullptr);
        EXPECT_EQ(flight->mLength, c.ticks);
        EXPECT_GE(flight->mEnd[kAttrX], c.minX);
        EXPECT_LE(flight->mEnd[kAttrX], c.maxX);
        // Local and world y agree here: the end is 20 above 0, give or take 20.
        EXPECT_GE(flight->mEnd[kAttrY], -40.0f);
        EXPECT_LE(flight->mEnd[kAttrY], 0.0f);
        ASSERT_TRUE(TickUntil(*pigeon, "fly_away", 152));
        Tick();
        EXPECT_EQ(int(pigeon->mFlipX), c.flip);
        ASSERT_NE(pigeon->mImage, nullptr);
        EXPECT_STREQ(pigeon->mImage->mName, "gfx\\pigeon_flight.png");
    }
}

TEST_F(PigeonTest, AZeroTickFlightEndsAtItsTarget)
{
    // At (0, 0) flying left the way is 0 ticks long.
    Pigeon* pigeon = OpenRoof("left", 0.0f, 0.0f);
    ASSERT_NE(pigeon, nullptr);
    pigeon->FlyAway(0.0f, 0.0f);
    const Stage* flight = Named(*pigeon, "fly_away");
    ASSERT_NE(flight, nullptr);
    EXPECT_EQ(flight->mLength, 0.0f);
    const float endX = flight->mEnd[kAttrX];
    const float endY = flight->mEnd[kAttrY];
    ASSERT_TRUE(TickUntil(*pigeon, "gone", 160));
    EXPECT_EQ(pigeon->mLocal[kAttrX], endX);
    EXPECT_EQ(pigeon->mLocal[kAttrY], endY);
}

TEST_F(PigeonTest, SinkingBelowTheFadePointWhileScrollingScaresIt)
{
    Tuning().mBumperFadePoint = 200.0f;
    Pigeon* pigeon = OpenRoof("pigeon", 0.0f, 200.0f); // exactly at the line: stays
    ASSERT_NE(pigeon, nullptr);
    Ticks(3);
    EXPECT_EQ(StageOf(*pigeon), "sit");

    // Below it, but without a shooter, or while the building stands still: stays.
    pigeon->mLocal[kAttrY] = 201.0f;
    shooter->mKind = 0;
    Ticks(3);
    EXPECT_EQ(StageOf(*pigeon), "sit");
    shooter->mKind = kKindShooter;
    middleLayer->AddStage(1000.0f, 1, 1, 1, "still");
    middleLayer->GoToStage("still");
    Ticks(3);
    EXPECT_EQ(StageOf(*pigeon), "sit");
    middleLayer->GoToStage("scrolling");
    Ticks(2);
    EXPECT_EQ(StageOf(*pigeon), "pre_fly_away");
}

TEST_F(PigeonTest, WithoutItsFlightStagesItStaysAndClickCountingGoes)
{
    Pigeon* pigeon =
        OpenRoof("pigeon", 0.0f, 0.0f,
                 "<stage name=\"sit\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n<stage name=\"fly_away\" ms=\"1000\">\n");
    ASSERT_NE(pigeon, nullptr);
    // The loader's events of the last stage: only the click counter went.
    const Stage* last = pigeon->mStages.Tail();
    ASSERT_EQ(last->mEvents.Count(), 1);
    EXPECT_EQ(last->mEvents.Head()->mAction, kActionPlaySound);

    pigeon->FlyAway(0.0f, 0.0f);
    EXPECT_EQ(StageOf(*pigeon), "sit");
    Ticks(10);
    EXPECT_EQ(StageOf(*pigeon), "sit");
}

} // namespace

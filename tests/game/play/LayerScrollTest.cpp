// The playfield's scroll, tick by tick: the sinking velocity, its easing
// towards the speed the scroll point asks for, the parallax of nested layers,
// the first Flood explanation, and the scroll points' own end.
#include "LayerFixture.h"

#include "game/engine/EasingKind.h"
#include "game/engine/Filter.h"
#include "game/engine/LevelRecord.h"
#include "game/play/ScrollPoint.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <optional>

namespace {

constexpr int kFlood = 0;
constexpr int kJourney = 1;
constexpr int kSurvival = 2;
constexpr int kTrickshot = 3;

class LayerScrollTest : public LayerFixture {};

// Slow point 120, base speed 0.02, difficulty 0.1; the level sits at
// (400, 300), so a scroll point at local y P starts at world y 300 + P.
//
// Tick 1 adds the velocity filter (amplitude 0.01, period 0.0009, offset
// 0.983; amplitude 0 in a Journey "scrolling" stage) and the stage step moves
// y by it: y1 = 0.01, a = (0.01 + 0.0009) x 0.983 = 0.0107147.
// From tick 2: d = |120 - world y of the point| / 150;
// speed = d + 0.02 + 0.1 when d <= 1, else min(d^2, 10); Journey: min(3 speed, 6);
// below the slow point: min(speed, 0.24), Journey 0 with amplitude 0;
// a = (99 a + 0.6 speed) / 100; y += a; a *= 0.983.
// Worked for tick 2 of "Flood, d <= 1" (point at world 60.01 after tick 1):
// d = 59.99 / 150 = 0.39993, speed = 0.51993,
// a = (99 x 0.0107147 + 0.6 x 0.51993) / 100 = 0.0137271, y2 = 0.0237271.
// Worked for tick 2 of "Journey, capped": a1 = 0.0009 x 0.983 = 0.0008847,
// d = 300 / 150 = 2, speed = min(3 x 4, 6) = 6,
// a = (99 x 0.0008847 + 3.6) / 100 = 0.0368759 = y2.
// The later ticks follow the same steps in single precision.
TEST_F(LayerScrollTest, SinksByTheEasedSpeedOfTheScrollPoint)
{
    struct Case {
        const char* what;
        int mode;
        const char* stage;
        float pointY;
        float y[4];
    };
    const Case cases[] = {
        {"Trickshot, still, d = 2: speed 4", kTrickshot, "still", -480.0f,
         {0.01f, 0.044605948f, 0.102276281f, 0.182382971f}},
        {"Flood, d <= 1: d + base + difficulty", kFlood, "scrolling", -240.0f,
         {0.01f, 0.0237271525f, 0.0402050577f, 0.0593592525f}},
        {"Flood, d = 4.8: d^2 capped at 10", kFlood, "scrolling", -900.0f,
         {0.01f, 0.0806075484f, 0.209320694f, 0.394580454f}},
        {"Journey, d <= 1: tripled", kJourney, "scrolling", -240.0f,
         {0.0f, 0.0102358544f, 0.0295558535f, 0.0577139556f}},
        {"Journey, d = 2: tripled and capped at 6", kJourney, "scrolling", -480.0f,
         {0.0f, 0.0368758515f, 0.108762324f, 0.21472007f}},
        {"Journey past the slow point: stands", kJourney, "scrolling", -100.0f, {0.0f, 0.0f, 0.0f, 0.0f}},
        {"Flood past the slow point: at most 0.24", kFlood, "scrolling", -100.0f,
         {0.01f, 0.0220475532f, 0.0352118686f, 0.0494629852f}},
    };
    for (const Case& c : cases) {
        NewGame();
        mGame->mHooks = &playHooks;
        mGame->mProfiles.Current().mDifficulty = 0.1f;
        mGame->mProfiles.Current().mExplainFloodShown = 1;
        // A plate just below the point keeps the point in play.
        OpenLevel(c.mode, c.stage, "",
                  Placed("scroll_point", "point", 0.0f, c.pointY) + Placed("test_plate", "plate", 0.0f, c.pointY + 90.0f));
        // A playfield above its start is put back at 0 before it moves.
        Playfield()->mLocal[kAttrY] = -50.0f;
        for (int tick = 0; tick < 4; ++tick) {
            Ticks(1);
            EXPECT_NEAR(Playfield()->mLocal[kAttrY], c.y[tick], 1e-6f) << c.what << ", tick " << tick + 1;
        }
    }
}

TEST_F(LayerScrollTest, WithoutScrollPointNothingSinks)
{
    for (int mode : {kFlood, kJourney, kTrickshot}) {
        NewGame();
        mGame->mHooks = &playHooks;
        mGame->mProfiles.Current().mExplainFloodShown = 1;
        OpenLevel(mode, mode == kTrickshot ? "still" : "scrolling", "", Placed("test_plate", "plate", 0.0f, -100.0f));
        Ticks(200);
        EXPECT_EQ(Playfield()->mLocal[kAttrY], 0.0f) << "mode " << mode;
        EXPECT_EQ(Playfield()->CurrentStage()->FindFilter(kEasingVelocity, kAttrY), nullptr) << "mode " << mode;
    }
}

// Journey brings the scroll point down to the slow point and stops there.
TEST_F(LayerScrollTest, JourneyStopsOnceThePointPassesTheSlowPoint)
{
    OpenLevel(kJourney, "scrolling", "",
              Placed("scroll_point", "point", 0.0f, -420.0f) + Placed("test_plate", "plate", 0.0f, -330.0f));
    Ticks(1500);
    AnimObject* point = Container()->FindChildOfKind(kKindScrollPoint);
    ASSERT_NE(point, nullptr);
    const float stopped = point->mWorld[kAttrY];
    EXPECT_GT(stopped, 120.0f);
    EXPECT_LT(stopped, 122.0f);
    Ticks(500);
    EXPECT_EQ(point->mWorld[kAttrY], stopped);
}

TEST_F(LayerScrollTest, InnerLayerMovesItsParentByTheRatioOfExtents)
{
    struct Case {
        const char* name;
        int mode;
        float parentY;
        float ownY;
    };
    // Extents 1200 (parent) and 600 (own, from two 8-px pictures at -296 and
    // 296): ratio 2; parent y := 10 x 2 = 20; own y := 10 - (20 - 5) x 2 = -20.
    const Case cases[] = {
        {"clouds", kFlood, 20.0f, -20.0f},
        {"tiles", kFlood, 5.0f, 10.0f},       // the playfield has no parallax
        {"clouds", kSurvival, 5.0f, 10.0f},   // nor has Survival
    };
    for (const Case& c : cases) {
        playHooks.mode = c.mode;
        Layer parent;
        parent.mExtent = 1200.0f;
        parent.mLocal[kAttrY] = 5.0f;
        auto* own = new Layer;
        std::snprintf(own->mName, sizeof own->mName, "%s", c.name);
        parent.AddChild(own);
        for (float y : {-296.0f, 296.0f}) {
            AnimObject* picture = own->AddChild(nullptr);
            ASSERT_NE(picture, nullptr);
            picture->SetImage("gfx\\cloud.png", 0.0f, 0.0f, 1, 0.0f);
            picture->mLocal[kAttrY] = y;
        }
        own->mLocal[kAttrY] = 10.0f;
        own->UpdateExtent();
        EXPECT_EQ(own->mExtent, 600.0f) << c.name;
        EXPECT_EQ(parent.mLocal[kAttrY], c.parentY) << c.name << " mode " << c.mode;
        EXPECT_EQ(own->mLocal[kAttrY], c.ownY) << c.name << " mode " << c.mode;
    }
}

TEST_F(LayerScrollTest, FloodExplainsItselfOncePerProfileAndWaitsMeanwhile)
{
    const char* explain = "<object type=\"level\" name=\"explain_flood\">\n"
                          "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n</object>\n";
    auto* record = new LevelRecord;
    record->mTextLength = int(std::strlen(explain));
    record->mText = std::make_unique<char[]>(size_t(record->mTextLength) + 1);
    std::memcpy(record->mText.get(), explain, size_t(record->mTextLength) + 1);
    std::snprintf(record->mName, sizeof record->mName, "%s", "explain_flood");
    mGame->mMainLevels.Append(record);
    mGame->mProfiles.Current().mExplainFloodShown = 0;

    OpenLevel(kFlood, "scrolling", "", Placed("scroll_point", "point", 0.0f, -480.0f));
    Ticks(1);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"test_level", "explain_flood"}));
    EXPECT_EQ(mGame->mProfiles.Current().mExplainFloodShown, 1);
    // Covered by the explanation, the level does not scroll.
    Ticks(100);
    EXPECT_EQ(Playfield()->mLocal[kAttrY], 0.0f);

    mGame->Topmost()->mRemove = 1;
    Ticks(1);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"test_level"}));
    Ticks(10);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"test_level"}));
    EXPECT_GT(Playfield()->mLocal[kAttrY], 0.0f);
}

// Two scroll points: "near" (local -420) tops the first stretch of the
// building, "far" (-1020) the next. The scroll heads for the lower-lying one;
// it goes once every plate lies above the far point + 80 (or above itself
// - 400, or half a screen above the top edge), and then the scroll heads on.
TEST_F(LayerScrollTest, ScrollPointGoesOnceItsStretchIsCleared)
{
    struct Case {
        const char* what;
        bool farPoint;
        float upperPlateY;
        bool nearPointGoes;
    };
    const Case cases[] = {
        {"upper plate within 80 below the far point", true, -960.0f, true},
        {"upper plate further down the next stretch", true, -700.0f, false},
        {"one point, upper plate 400 above it", false, -830.0f, true},
        {"one point, upper plate nearer", false, -700.0f, false},
    };
    for (const Case& c : cases) {
        NewGame();
        mGame->mHooks = &playHooks;
        std::string container = Placed("scroll_point", "near", 0.0f, -420.0f) +
                                Placed("test_plate", "lower", 0.0f, -330.0f) +
                                Placed("test_plate", "upper", 0.0f, c.upperPlateY);
        if (c.farPoint)
            container += Placed("scroll_point", "far", 0.0f, -1020.0f);
        OpenLevel(kJourney, "scrolling", "", container);
        Ticks(1500);
        AnimObject* nearPoint = Container()->FindChildByName("near");
        ASSERT_NE(nearPoint, nullptr) << c.what;
        EXPECT_GT(nearPoint->mWorld[kAttrY], 120.0f) << c.what;
        const float stoppedAt = Playfield()->mLocal[kAttrY];

        // The stage holds y where it stopped until a point going lets it go.
        Stage* stage = Playfield()->CurrentStage();
        stage->mStart[kAttrY] = stage->mEnd[kAttrY] = stoppedAt;
        stage->mMask |= 1u << kAttrY;

        // The player clears the lower stretch.
        Container()->FindChildByName("lower")->mRemove = 1;
        Ticks(2);
        EXPECT_EQ(Container()->FindChildByName("near") == nullptr, c.nearPointGoes) << c.what;
        EXPECT_EQ((stage->mMask >> kAttrY) & 1u, c.nearPointGoes ? 0u : 1u) << c.what;
        Ticks(300);
        if (c.nearPointGoes && c.farPoint) {
            EXPECT_GT(Playfield()->mLocal[kAttrY], stoppedAt + 100.0f) << c.what;
        } else if (!c.nearPointGoes) {
            EXPECT_EQ(Playfield()->mLocal[kAttrY], stoppedAt) << c.what;
        }
    }
}

// With no plate left the point goes at once.
TEST_F(LayerScrollTest, ScrollPointGoesWithTheLastPlate)
{
    OpenLevel(kJourney, "scrolling", "",
              Placed("scroll_point", "near", 0.0f, -420.0f) + Placed("test_plate", "lower", 0.0f, -330.0f));
    Ticks(1500);
    ASSERT_NE(Container()->FindChildByName("near"), nullptr);
    Container()->FindChildByName("lower")->mRemove = 1;
    Ticks(2);
    EXPECT_EQ(Container()->FindChildByName("near"), nullptr);
}

} // namespace

#include "ShooterLevelFixture.h"

#include "game/engine/EasingKind.h"
#include "game/engine/Filter.h"
#include "game/play/Slot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Treasures put straight into flight in the plate container of a test level
// (treasures 30 x 30: the wall and top margins are w / 3 = 10). The shooter
// waits at x 700 unless a test moves the mouse.
class JewelTest : public ShooterLevelFixture {
protected:
    void Open(std::vector<std::pair<std::string, std::string>> tuning = {}, int mode = 0,
              const std::string& name = "level_one")
    {
        tuning.push_back({"reload_time", "40"});
        LoadConfig(tuning);
        SetMode(mode);
        TestLevelSpec spec;
        spec.name = name;
        spec.plates = {{100.0f, 100.0f, {{5, 0.0f, 0.0f}}}};
        ASSERT_NE(OpenTestLevel(spec), nullptr);
        MovePointer(700.0f, 300.0f);
        Ticks(30);
    }

    // A treasure flying from (x, y) with velocity (vx, vy) and acceleration
    // ay on y, long past its last bounce.
    Jewel* Launch(int kind, float x, float y, float vx, float vy, bool live = true, float ay = 0.0f)
    {
        Jewel* piece = new Jewel(kind);
        piece->GoToStage("shooting");
        piece->VelocityFilterX()->mAmplitude = vx;
        piece->VelocityFilterY()->mAmplitude = vy;
        piece->VelocityFilterY()->mPeriod = ay;
        piece->mLive = live ? 1 : 0;
        piece->mTicksSinceBounce = 100;
        piece->mLocal[kAttrX] = x;
        piece->mLocal[kAttrY] = y;
        Inner()->AddChild(piece);
        return piece;
    }
    bool InPlay(const Jewel* piece) const
    {
        for (const Jewel* flying : Flying()) {
            if (flying == piece)
                return true;
        }
        return false;
    }
    Slot* FirstSlot() const
    {
        AnimObject* plate = Inner()->FindChildOfKind(kKindPlate);
        return plate != nullptr ? dynamic_cast<Slot*>(plate->FindChildOfKind(kKindSlot)) : nullptr;
    }
};

// What one tick of flight does at each edge of the screen.
TEST_F(JewelTest, FlightLimitsAtEachEdge)
{
    struct Case {
        const char* what;
        int kind;
        bool live;
        float x, y, vx, vy, ay;
        int bounceOffTop;
        bool inPlay;
        float vxAfter, vyAfter;
        int bounces;
        int splashes;
    };
    const Case cases[] = {
        {"live into the water", 5, true, 200, 570, 0, 2, 0, 0, false, 0, 2, 0, 1},
        {"live just above the water line", 5, true, 200, 544, 0, 2, 0, 0, true, 0, 2, 0, 0},
        {"tumbling past the water line", 5, false, 200, 590, 0, 2, 0, 0, true, 0, 2, 0, 0},
        {"tumbling past the bottom", 5, false, 200, 619, 0, 2, 0, 0, false, 0, 2, 0, 0},
        {"special live one into the water: no splash", 150, true, 200, 570, 0, 2, 0, 0, false, 0, 2, 0, 0},
        {"thrown off the top", 5, true, 200, -9, 0, -2, 0, 0, false, 0, -2, 0, 0},
        {"falling back from above the top", 5, true, 200, -9, 0, -2, 0.02f, 0, true, 0, -1.98f, 0, 0},
        {"left wall", 5, true, 5, 300, -1, 0, 0, 0, true, 1, 0, 1, 0},
        {"right wall", 5, true, 795, 300, 1, 0, 0, 0, true, -1, 0, 1, 0},
        {"top without bounce_off_top", 5, true, 200, 5, 0, -1, 0, 0, true, 0, -1, 0, 0},
        {"top with bounce_off_top", 5, true, 200, 5, 0, -1, 0, 1, true, 0, 1, 1, 0},
        {"top with bounce_off_top, accelerating", 5, true, 200, 5, 0, -1, 0.02f, 1, true, 0, -0.98f, 0, 0},
        {"kind 101 at the top with bounce_off_top", 101, true, 200, 5, 0, -1, 0, 1, false, 0, -1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewPlayGame();
        UseSizedPictures();
        Open({{"bounce_off_top", std::to_string(c.bounceOffTop)}});
        const int splashes = Plays("audio\\splash.ogg");
        Jewel* piece = Launch(c.kind, c.x, c.y, c.vx, c.vy, c.live, c.ay);
        Tick();
        if (c.kind >= 101 && c.bounceOffTop != 0) {
            // Flagged this tick, gone at the next.
            Tick();
        }
        ASSERT_EQ(InPlay(piece), c.inPlay);
        EXPECT_EQ(Plays("audio\\splash.ogg") - splashes, c.splashes);
        if (!c.inPlay)
            continue;
        EXPECT_FLOAT_EQ(piece->VelocityFilterX()->mAmplitude, c.vxAfter);
        EXPECT_FLOAT_EQ(piece->VelocityFilterY()->mAmplitude, c.vyAfter);
        EXPECT_EQ(piece->mBounces, c.bounces);
    }
}

// A wall hit within four ticks of the last counted bounce turns the
// treasure but does not count.
TEST_F(JewelTest, TwoWallHitsWithinFourTicksCountOnce)
{
    Open();
    Jewel* piece = Launch(5, -100.0f, 300.0f, -1.0f, 0.0f);
    Ticks(5);
    EXPECT_EQ(piece->mBounces, 1);
    EXPECT_EQ(Plays("audio\\toss.ogg"), 1);
    // Still behind the wall; five ticks on, it counts again.
    Tick();
    EXPECT_EQ(piece->mBounces, 2);
    // Each hit pushes it 10 back in and it moves 1 a tick: -100 - 1 + 10, then 5 x (1 + 10).
    EXPECT_FLOAT_EQ(piece->mLocal[kAttrX], -36.0f);
}

// A treasure whose position is not a number leaves play like one gone past
// the bottom: no splash, no endless flight.
TEST_F(JewelTest, TreasureWithoutFinitePositionLeaves)
{
    Open();
    Jewel* piece = Launch(5, 300.0f, 300.0f, std::numeric_limits<float>::quiet_NaN(), 0.0f);
    Tick();
    EXPECT_FALSE(InPlay(piece));
    EXPECT_EQ(Plays("audio\\splash.ogg"), 0);
}

// A toss aimed at a slot follows the lob: x = x0 + s (|dx| / sqrt|dy|) / 13 t,
// y = y0 - 0.75 t + 0.01 t^2, t the ticks flown.
TEST_F(JewelTest, LobFollowsItsCurveUntilTheTargetFills)
{
    // The plate stays above the danger line: it does not shake the slot.
    Open({{"earthquake_point", "1000"}});
    Slot* target = FirstSlot();
    ASSERT_NE(target, nullptr);
    // The slot sits at (100, 100); the lob starts 100 right of it and 100 above.
    Jewel* piece = Launch(6, 200.0f, 0.0f, 0.0f, 0.0f, false);
    piece->mLobStartX = 200.0f;
    piece->mLobStartY = 0.0f;
    piece->mLobTarget = target;
    Ticks(10);
    // x = 200 - (100 / 10) / 13 x 10 = 192.3077; y = 0 - 7.5 + 1 = -6.5.
    EXPECT_NEAR(piece->mLocal[kAttrX], 192.3077f, 1e-3f);
    EXPECT_NEAR(piece->mLocal[kAttrY], -6.5f, 1e-3f);

    // The target fills: the treasure flies on by its own velocity from there.
    target->mFilled = 1;
    piece->VelocityFilterX()->mAmplitude = 1.0f;
    Tick();
    EXPECT_EQ(piece->mLobTarget, nullptr);
    Tick();
    EXPECT_NEAR(piece->mLocal[kAttrX], 192.3077f + 2.0f, 1e-3f);
}

// A target level with the lob's start divides by 1, not by 0.
TEST_F(JewelTest, LevelLobStaysFinite)
{
    Open({{"earthquake_point", "1000"}});
    Jewel* piece = Launch(6, 200.0f, 100.0f, 0.0f, 0.0f, false);
    piece->mLobStartX = 200.0f;
    piece->mLobStartY = 100.0f;
    piece->mLobTarget = FirstSlot();
    Ticks(10);
    // x = 200 - 100 / 1 / 13 x 10 = 123.0769.
    EXPECT_NEAR(piece->mLocal[kAttrX], 123.0769f, 1e-3f);
    EXPECT_NEAR(piece->mLocal[kAttrY], 93.5f, 1e-3f);
}

// bumps_to_explode bounces break a treasure: with sparkles and a sound on
// screen, silently off it; 0 (the default) never breaks.
TEST_F(JewelTest, BreaksAfterBumpsToExplode)
{
    struct Case {
        int limit;
        int bounces;
        float x;
        bool broken;
        int sounds;
    };
    const Case cases[] = {{3, 3, 300, true, 1}, {3, 2, 300, false, 0}, {3, 3, -200, true, 0}, {0, 40, 300, false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit * 100 + c.bounces);
        NewPlayGame();
        UseSizedPictures();
        Open({{"bumps_to_explode", std::to_string(c.limit)}});
        Jewel* piece = Launch(5, c.x, 300.0f, 0.0f, -1.0f, false, 0.01f);
        piece->mBounces = c.bounces;
        Ticks(2);
        EXPECT_EQ(InPlay(piece), !c.broken);
        EXPECT_EQ(Plays("audio\\break.ogg"), c.sounds);
    }
}

// The shooter takes back a treasure that falls onto it; a tumbling one
// scores 1000; a basket return gives the shot back, never below 0.
TEST_F(JewelTest, ShooterCatchesFallingTreasures)
{
    struct Case {
        const char* what;
        bool live;
        int wings;
        const char* levelName;
        int basketReturn;
        int shotsBefore;
        bool caught;
        int score;
        int shotsAfter;
    };
    const Case cases[] = {
        {"tumbling", false, 0, "level_one", 0, 0, true, 1000, 0},
        {"live", true, 0, "level_one", 0, 0, true, 0, 0},
        {"basket return", true, 0, "level_one", 1, 3, true, 0, 2},
        {"basket return at no shots", true, 0, "level_one", 1, 0, true, 0, 0},
        {"tumbling under wings", false, 50, "level_one", 0, 0, false, 0, 0},
        {"live under wings", true, 50, "level_one", 0, 0, true, 0, 0},
        {"trick level", false, 0, "trick_one", 0, 0, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewPlayGame();
        UseSizedPictures();
        Open({}, 0, c.levelName);
        MovePointer(400.0f, 550.0f);
        Ticks(40);
        Shooter* shooter = GetShooter();
        shooter->mWingsTimer = c.wings;
        shooter->mLocal[kAttrY] = 550.0f;
        CurrentTestLevel()->mShots = c.shotsBefore;
        Profile().mScore = 0;
        // Catch box: 80 x 10 around (400, 550); the treasure's lower edge
        // reaches it at y 530, 5 ticks down.
        Jewel* piece = Launch(5, 400.0f, 520.0f, 0.0f, 2.0f, c.live);
        piece->mBasketReturn = c.basketReturn;
        Ticks(4);
        ASSERT_TRUE(InPlay(piece));
        Tick();
        EXPECT_EQ(!InPlay(piece), c.caught);
        EXPECT_EQ(Profile().mScore, c.score);
        EXPECT_EQ(CurrentTestLevel()->mShots, c.shotsAfter);
        EXPECT_EQ(Plays("audio\\load_plate.ogg"), c.caught ? 1 : 0);
    }
}

} // namespace

namespace {

// The one Cupid save of a profile: a live treasure lost in Journey opens the
// "cupid_save" screen instead of the splash, mirrored when it fell in the
// right half; every other fall, or one without that screen, splashes.
TEST_F(JewelTest, CupidSaveOncePerProfile)
{
    enum Spoiler { kNone, kUsed, kCupidThere, kTutorial, kStill, kNoRoom };
    struct Case {
        const char* what;
        int mode;
        bool record;
        float x;
        Spoiler spoiler;
        bool saved;
    };
    const Case cases[] = {
        {"Journey, left half", 1, true, 200, kNone, true},
        {"Journey, right half", 1, true, 600, kNone, true},
        {"Flood", 0, true, 200, kNone, false},
        {"no cupid_save screen", 1, false, 200, kNone, false},
        {"save used before", 1, true, 200, kUsed, false},
        {"a Cupid on the level", 1, true, 200, kCupidThere, false},
        {"tutorial", 1, true, 200, kTutorial, false},
        {"field not scrolling", 1, true, 200, kStill, false},
        {"no plate has room", 1, true, 200, kNoRoom, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewPlayGame();
        UseSizedPictures();
        mFolder.Write("levels/cupid_save.xml", "<object type=\"level\" name=\"cupid_save\">\n"
                                               "<stage name=\"in\" ms=\"400\">\n"
                                               "<attribute type=\"x\" start=\"0\" end=\"0\">\n"
                                               "<stage name=\"up\" ms=\"400\">\n"
                                               "<attribute type=\"y\" start=\"0\" end=\"0\">\n"
                                               "<stage name=\"out\" ms=\"400\">\n"
                                               "<attribute type=\"x\" start=\"0\" end=\"0\">\n</object>\n");
        LoadConfig({{"reload_time", "40"}}, c.record ? std::vector<std::string>{"levels\\cupid_save.xml"}
                                                     : std::vector<std::string>{});
        SetMode(c.mode);
        TestLevelSpec spec;
        spec.plates = {{100.0f, 100.0f, {{5, 0.0f, 0.0f}}}};
        Level* level = OpenTestLevel(spec);
        ASSERT_NE(level, nullptr);
        MovePointer(700.0f, 300.0f);
        Ticks(5);
        AnimObject* extra = nullptr;
        switch (c.spoiler) {
        case kUsed:
            Profile().mCupidSaveUsed = 1;
            break;
        case kCupidThere:
        case kTutorial:
            extra = AnimObject::TakeFromPool();
            extra->mKind = c.spoiler == kCupidThere ? kKindCupid : kKindTutorial;
            extra->AddStage(100000.0f, 0, 0, 1, nullptr);
            level->AddChild(extra);
            break;
        case kStill:
            Middle()->GoToStage("still");
            break;
        case kNoRoom:
            FirstSlot()->mFilled = 1;
            break;
        case kNone:
            break;
        }
        Launch(5, c.x, 570.0f, 0.0f, 2.0f);
        Tick();
        const std::vector<std::string> names = ScreenNames();
        const bool opened = std::find(names.begin(), names.end(), "cupid_save") != names.end();
        EXPECT_EQ(opened, c.saved);
        EXPECT_EQ(Plays("audio\\splash.ogg"), c.saved ? 0 : 1);
        // Any fall outside the tutorial uses the save up.
        EXPECT_EQ(Profile().mCupidSaveUsed, c.spoiler == kTutorial ? 0 : 1);
        if (!opened)
            continue;
        AnimObject* screen = nullptr;
        for (AnimObject* s = mGame->mLiveObjects.Head(); s != nullptr; s = s->mNext) {
            if (std::strcmp(s->mName, "cupid_save") == 0)
                screen = s;
        }
        ASSERT_NE(screen, nullptr);
        // It flies to the treasure (x - 11) from the left, or from x 900 mirrored.
        const Stage* first = screen->mStages.Head();
        EXPECT_EQ(screen->mFlipX, c.x > 400.0f ? 1 : 0);
        EXPECT_FLOAT_EQ(first->mEnd[kAttrX], c.x - 11.0f);
        if (c.x > 400.0f) {
            EXPECT_EQ(first->mStart[kAttrX], 900.0f);
            EXPECT_EQ(screen->mStages.Tail()->mEnd[kAttrX], -100.0f);
        }

        // The save is used up: the next fall splashes.
        while (mGame->Topmost() != level)
            mGame->mLiveObjects.Remove(mGame->Topmost());
        Launch(5, 200.0f, 570.0f, 0.0f, 2.0f);
        Tick();
        EXPECT_EQ(Plays("audio\\splash.ogg"), 1);
    }
}

} // namespace

#include "ShooterLevelFixture.h"

#include "game/engine/Filter.h"
#include "game/engine/EasingKind.h"
#include "game/play/Slot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

class ShooterTest : public ShooterLevelFixture {
protected:
    void SetUp() override { LoadConfig({{"reload_time", "40"}}); }
};

// A click throws the ready treasure straight up at 2.3 pixels a tick from
// where it sat; it points along its flight (0 degrees, not 1) and the shot
// is counted on the shooter and the level.
TEST_F(ShooterTest, ClickThrowsTheReadyTreasureStraightUp)
{
    Level* level = OpenTestLevel();
    ASSERT_NE(level, nullptr);
    MovePointer(400.0f, 300.0f);
    ASSERT_TRUE(TickUntilReady());
    Jewel* piece = GetShooter()->ReadyPiece();
    EXPECT_EQ(piece->mTreasureKind, 5);

    ClickAt(400.0f);
    Tick();
    ASSERT_EQ(Flying().size(), 1u);
    EXPECT_EQ(Flying()[0], piece);
    EXPECT_EQ(StageOf(piece), "shooting");
    EXPECT_EQ(GetShooter()->mShots, 1);
    EXPECT_EQ(level->mShots, 1);
    EXPECT_EQ(Plays("audio\\throw.ogg"), 1);
    // At rest on its line the shooter recoils: a dying bounce on y of 100 ticks.
    const Filter* recoil = GetShooter()->CurrentStage()->FindFilter(kEasingDecaySined, kAttrY);
    ASSERT_NE(recoil, nullptr);
    EXPECT_EQ(recoil->mAmplitude, 10.0f);
    EXPECT_EQ(recoil->mOwnLength, 100.0f);
    // It left from the ready place: 15 px above its own half height (30 / 2).
    const float x0 = piece->mLocal[kAttrX];
    const float y0 = piece->mLocal[kAttrY];
    EXPECT_NEAR(x0, 400.0f, 0.01f);
    EXPECT_NEAR(y0, 550.0f - 30.0f, 1.0f);

    Ticks(10);
    EXPECT_NEAR(piece->mLocal[kAttrY], y0 - 23.0f, 0.001f);
    EXPECT_NEAR(piece->mLocal[kAttrX], x0, 0.001f);
    EXPECT_EQ(piece->mLocal[kAttrRotation], 0.0f);
    EXPECT_GT(piece->VelocityFilterX()->mAmplitude, 0.0f);
}

// A power shot flies at 2.3 + 4 pixels a tick with the fast sound, and
// spends one power shot.
TEST_F(ShooterTest, PowerShotFliesFaster)
{
    OpenTestLevel();
    MovePointer(400.0f, 300.0f);
    ASSERT_TRUE(TickUntilReady());
    GetShooter()->mPowerShots = 2;
    // On wings, held on its line by the mouse there.
    GetShooter()->mWingsTimer = 100;
    ClickAt(400.0f, 550.0f);
    Tick();
    ASSERT_EQ(Flying().size(), 1u);
    Jewel* piece = Flying()[0];
    EXPECT_EQ(piece->mPower, 1);
    EXPECT_EQ(GetShooter()->mPowerShots, 1);
    // Flying on wings it does not recoil.
    EXPECT_EQ(GetShooter()->CurrentStage()->FindFilter(kEasingDecaySined, kAttrY), nullptr);
    EXPECT_EQ(Plays("audio\\fastshot.ogg"), 1);
    const float y0 = piece->mLocal[kAttrY];
    Ticks(10);
    EXPECT_NEAR(piece->mLocal[kAttrY], y0 - 63.0f, 0.001f);
}

} // namespace

namespace {

// Everything a throw needs, and each of them missing in turn.
TEST_F(ShooterTest, ThrowNeedsFireClickPlayingFieldReadyShooterAndReadyTreasure)
{
    struct Case {
        const char* what;
        bool panel;
        bool click;
        const char* middleStage;
        const char* shooterStage;
        bool thrown;
    };
    const Case cases[] = {
        {"all there", true, true, "scrolling", "ready", true},
        {"trick shot field", true, true, "still", "ready", true},
        {"no panel: fire never enabled", false, true, "scrolling", "ready", false},
        {"no click", true, false, "scrolling", "ready", false},
        {"field name only contains scrolling", true, true, "scrolling2", "ready", false},
        {"won", true, true, "victory", "ready", false},
        {"shooter stage only starts with ready", true, true, "scrolling", "ready2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewPlayGame();
        UseSizedPictures();
        LoadConfig({{"reload_time", "40"}});
        TestLevelSpec spec;
        spec.panel = c.panel;
        ASSERT_NE(OpenTestLevel(spec), nullptr);
        MovePointer(400.0f, 300.0f);
        ASSERT_TRUE(TickUntilReady());
        Middle()->GoToStage(c.middleStage);
        std::strcpy(GetShooter()->CurrentStage()->mName, c.shooterStage);
        MovePointer(400.0f, 300.0f, c.click);
        Tick();
        EXPECT_EQ(Flying().size(), c.thrown ? 1u : 0u);
        EXPECT_EQ(GetShooter()->mShots, c.thrown ? 1 : 0);
    }
}

// Right after a throw the next treasure is still being promoted: a click
// then throws nothing and counts nothing; once it is ready, it goes.
TEST_F(ShooterTest, ClickWithoutReadyTreasureDoesNothing)
{
    OpenTestLevel();
    MovePointer(400.0f, 300.0f);
    ASSERT_TRUE(TickUntilReady());
    ClickAt(400.0f);
    Tick();
    ASSERT_EQ(GetShooter()->mShots, 1);
    ASSERT_EQ(GetShooter()->ReadyPiece(), nullptr);
    ClickAt(400.0f);
    Tick();
    EXPECT_EQ(GetShooter()->mShots, 1);
    EXPECT_EQ(CurrentTestLevel()->mShots, 1);
    EXPECT_EQ(Plays("audio\\throw.ogg"), 1);
    ASSERT_TRUE(TickUntilReady(40));
    ClickAt(400.0f);
    Tick();
    EXPECT_EQ(GetShooter()->mShots, 2);
}

// A shot counts on the level only while some plate has room; outside
// Journey and Trickshot each throw pushes the field by push_on_shot_fired
// times the treasures left on the shooter.
TEST_F(ShooterTest, ShotCountAndPushFollowRoomAndMode)
{
    struct Case {
        int mode;
        bool room;
        float push;
    };
    // One treasure is left on the shooter after the throw: n = 1.
    const Case cases[] = {{0, true, 3.0f}, {2, true, 3.0f}, {1, true, 0.0f}, {3, true, 0.0f}, {0, false, 3.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        NewPlayGame();
        UseSizedPictures();
        LoadConfig({{"reload_time", "40"}, {"push_on_shot_fired", "3"}});
        SetMode(c.mode);
        TestLevelSpec spec;
        spec.plates = {{150.0f, 200.0f, {{5, 0.0f, 0.0f}}}, {650.0f, 200.0f, {{6, 0.0f, 0.0f}}}};
        ASSERT_NE(OpenTestLevel(spec), nullptr);
        MovePointer(400.0f, 300.0f);
        ASSERT_TRUE(TickUntilReady());
        ASSERT_EQ(Pieces().size(), 2u);
        if (!c.room) {
            // Full plates fading out: still in the container, but without room.
            for (AnimObject* plate = Inner()->mChildren.Head(); plate != nullptr; plate = plate->mNext) {
                if (AnimObject* slot = plate->FindChildOfKind(kKindSlot))
                    dynamic_cast<Slot*>(slot)->mFilled = 1;
                if (plate->mKind == kKindPlate) {
                    plate->AddStage(100000.0f, 0, 0, 1, "fade_out");
                    plate->GoToStage("fade_out");
                }
            }
        }
        ClickAt(400.0f);
        Tick();
        ASSERT_EQ(GetShooter()->mShots, 1);
        EXPECT_EQ(CurrentTestLevel()->mShots, c.room ? 1 : 0);
        const Filter* push = Middle()->CurrentStage()->FindFilter(kEasingVelocity, kAttrY);
        if (c.push == 0.0f) {
            EXPECT_EQ(push, nullptr);
        } else {
            ASSERT_NE(push, nullptr);
            // The field moved before the shooter in this tick: no step of it ran yet.
            EXPECT_FLOAT_EQ(push->mAmplitude, c.push);
            EXPECT_FLOAT_EQ(push->mOffset, 0.985f);
        }
    }
}

} // namespace

namespace {

// How many treasures the shooter carries after a while, by the kind of level.
TEST_F(ShooterTest, ReloadFollowsTheLevelKind)
{
    struct Case {
        const char* what;
        int mode;
        bool scrollPoint;
        const char* middleStage;
        size_t pieces;
    };
    const Case cases[] = {
        {"scroll point: a ready and a waiting treasure, never more", 0, true, "scrolling", 2},
        {"Survival reloads freely without scroll point", 2, false, "scrolling", 2},
        {"neither: one treasure for the level", 0, false, "scrolling", 1},
        {"won: none", 0, true, "victory", 0},
        {"trick shot field: one at a time", 0, true, "still", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewPlayGame();
        UseSizedPictures();
        LoadConfig({{"reload_time", "40"}});
        SetMode(c.mode);
        TestLevelSpec spec;
        spec.scrollPoint = c.scrollPoint;
        spec.middleStages = {c.middleStage};
        ASSERT_NE(OpenTestLevel(spec), nullptr);
        Ticks(300);
        EXPECT_EQ(Pieces().size(), c.pieces);
    }
}

// On a level without scroll point a "trick" level promotes its one treasure
// at once; after it is thrown no further treasure comes.
TEST_F(ShooterTest, TrickLevelGetsOneTreasure)
{
    TestLevelSpec spec;
    spec.name = "trick_one";
    spec.scrollPoint = false;
    OpenTestLevel(spec);
    MovePointer(400.0f, 300.0f);
    ASSERT_TRUE(TickUntilReady(40));
    ClickAt(400.0f);
    Tick();
    ASSERT_EQ(Flying().size(), 1u);
    Ticks(300);
    EXPECT_TRUE(Pieces().empty());
}

// A right click swaps the ready and the waiting treasure through "demote"
// and "promote"; the one that comes up is ready when promote ends.
TEST_F(ShooterTest, RightClickSwapsTheTwoTreasures)
{
    OpenTestLevel();
    MovePointer(400.0f, 300.0f);
    ASSERT_TRUE(TickUntilReady());
    Ticks(20);
    std::vector<Jewel*> pieces = Pieces();
    ASSERT_EQ(pieces.size(), 2u);
    ASSERT_EQ(StageOf(pieces[0]), "ready");
    ASSERT_EQ(StageOf(pieces[1]), "waiting");
    MovePointer(400.0f, 300.0f, false, true);
    Tick();
    EXPECT_EQ(StageOf(pieces[0]), "demote");
    EXPECT_EQ(StageOf(pieces[1]), "promote");
    MovePointer(400.0f, 300.0f);
    Ticks(12);
    EXPECT_EQ(StageOf(pieces[0]), "waiting");
    EXPECT_EQ(StageOf(pieces[1]), "ready");
    EXPECT_FLOAT_EQ(pieces[0]->mLocal[kAttrXScale], Jewel::kWaitingScale);
    EXPECT_FLOAT_EQ(pieces[1]->mLocal[kAttrXScale], 1.0f);
    EXPECT_EQ(GetShooter()->ReadyPiece(), pieces[1]);
}

// The shooter goes a fraction 1/1.3 of the way to the mouse each tick and
// never past the screen's right edge.
TEST_F(ShooterTest, ShooterFollowsTheMouseUpTo800)
{
    OpenTestLevel();
    MovePointer(400.0f, 300.0f);
    Ticks(40);
    ASSERT_NEAR(GetShooter()->mWorld[kAttrX], 400.0f, 1e-3f);
    MovePointer(530.0f, 300.0f);
    Tick();
    // (530 - 400) / 1.3 = 100.
    EXPECT_NEAR(GetShooter()->mLocal[kAttrX], 500.0f, 1e-3f);
    MovePointer(1000.0f, 300.0f);
    float highest = 0.0f;
    for (int i = 0; i < 200; ++i) {
        Tick();
        highest = std::max(highest, GetShooter()->mLocal[kAttrX]);
    }
    EXPECT_NEAR(GetShooter()->mLocal[kAttrX], 800.0f, 1e-3f);
    EXPECT_LE(highest, 800.0f + 1e-3f);
}

// The click that closes a menu over the level does not throw: when the
// level is topmost again the pointer goes back over the shooter and that
// tick's click is dropped; the next click throws.
TEST_F(ShooterTest, ClickThatReturnsFromMenuDoesNotThrow)
{
    Level* level = OpenTestLevel();
    MovePointer(400.0f, 300.0f);
    Ticks(120);
    ASSERT_NE(GetShooter()->ReadyPiece(), nullptr);
    Level* menu = OpenLevel("levels/menu.xml", "<object type=\"level\" name=\"menu\">\n" + Looping() + "</object>\n");
    ASSERT_NE(menu, level);
    Ticks(5);
    menu->mRemove = 1;
    Tick();
    ASSERT_EQ(mGame->Topmost(), level);
    host.warps.clear();
    ClickAt(300.0f);
    Tick();
    EXPECT_TRUE(Flying().empty());
    ASSERT_EQ(host.warps.size(), 1u);
    MovePointer(400.0f, 300.0f);
    Tick();
    ClickAt(400.0f);
    Tick();
    EXPECT_EQ(Flying().size(), 1u);
}

// Frames change nothing: a run drawn after every tick (the pointer with its
// picture of the ready treasure too) and one never drawn go through the
// same states.
TEST_F(ShooterTest, DrawingChangesNoState)
{
    std::vector<std::vector<uint64_t>> runs;
    for (bool draw : {false, true}) {
        NewPlayGame();
        UseSizedPictures();
        LoadConfig({{"reload_time", "40"}, {"bounce_off_top", "1"}});
        TestLevelSpec spec;
        spec.extra = "<object type=\"shooter_cursor\" name=\"cursor\" image=\"gfx\\cursor.png\">\n" + Looping() +
                     "</object>\n";
        OpenTestLevel(spec);
        std::vector<uint64_t> digests;
        for (int i = 0; i < 400; ++i) {
            MovePointer(300.0f + float(i % 7) * 40.0f, 300.0f, i % 50 == 49, i % 90 == 60);
            Tick();
            if (draw)
                DrawChecksum();
            digests.push_back(Digest());
        }
        runs.push_back(digests);
    }
    EXPECT_EQ(runs[0], runs[1]);
}

} // namespace

namespace {

class ShooterKindTest : public ShooterLevelFixture {
protected:
    // Opens a level with these plates in the mode and runs a tick, so the
    // histogram of empty slots is counted.
    // A field that runs without "scrolling" keeps plates below the danger
    // line from drowning (and shaking) in the other modes.
    Shooter* Open(int mode, std::vector<TestPlate> plates, float earthquakePoint = 0.0f, bool calm = false)
    {
        LoadConfig({{"reload_time", "40"}, {"earthquake_point", std::to_string(earthquakePoint)}});
        SetMode(mode);
        TestLevelSpec spec;
        spec.plates = std::move(plates);
        if (calm)
            spec.middleStages = {"running"};
        if (OpenTestLevel(spec) == nullptr)
            return nullptr;
        Tick();
        return GetShooter();
    }
    // A treasure of the kind to avoid, owned by the test (let go before the
    // game state its stages come from).
    Jewel* Avoid(int kind)
    {
        mAvoid = std::make_unique<Jewel>(kind);
        return mAvoid.get();
    }
    std::unique_ptr<Jewel> mAvoid;
};

// Outside Journey the lowest slot of the lowest plate comes first when it is
// empty and lies below earthquake_point - 80; with that slot filled, the
// first empty slot of the plate in child order below earthquake_point; else
// the draw among the kinds in play.
TEST_F(ShooterKindTest, OtherModesPreferTheLowestPlatesSlots)
{
    // The lowest plate at y 300 holds kind 4 at y 340, then kind 6 at 290
    // and kind 7 at 310, in this child order.
    const std::vector<TestPlate> plates = {{150.0f, 100.0f, {{3, 0.0f, 0.0f}}},
                                           {650.0f, 300.0f, {{4, -30.0f, 40.0f}, {6, 30.0f, -10.0f}, {7, 0.0f, 10.0f}}}};
    struct Case {
        bool lowestFilled;
        float earthquake;
        int kind; // 0: drawn
    };
    const Case cases[] = {{false, 0.0f, 4},  {false, 419.0f, 4}, {true, 0.0f, 6},
                          {true, 289.0f, 6}, {true, 290.0f, 7},  {true, 310.0f, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.lowestFilled) + " " + std::to_string(c.earthquake));
        mAvoid.reset();
        NewPlayGame();
        UseSizedPictures();
        Shooter* shooter = Open(0, plates, c.earthquake, true);
        ASSERT_NE(shooter, nullptr);
        if (c.lowestFilled) {
            for (AnimObject* plate = Inner()->mChildren.Head(); plate != nullptr; plate = plate->mNext) {
                for (AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
                    Slot* slot = dynamic_cast<Slot*>(child);
                    if (slot != nullptr && slot->mSlotKind == 4)
                        slot->mFilled = 1;
                }
            }
            Tick();
        }
        for (int i = 0; i < 10; ++i) {
            const int kind = shooter->ChooseNextKind(nullptr);
            if (c.kind != 0)
                EXPECT_EQ(kind, c.kind);
            else
                EXPECT_TRUE(kind == 3 || kind == 6 || kind == 7) << kind;
        }
    }
}

// In Journey the lowest key plate on screen gives its first slot's kind,
// passing over fading plates, plates off screen and avoid's kind.
TEST_F(ShooterKindTest, JourneyTakesTheLowestKeyPlateOnScreen)
{
    std::vector<TestPlate> plates = {{100.0f, 100.0f, {{6, 0.0f, 0.0f}}, "key_plate"},
                                     {300.0f, 300.0f, {{8, 0.0f, 0.0f}}, "key_plate"},
                                     {500.0f, 400.0f, {{4, 0.0f, 0.0f}}},
                                     {700.0f, 700.0f, {{9, 0.0f, 0.0f}}, "key_plate"}};
    // Calm: the plate below the screen does not lose the level.
    Shooter* shooter = Open(1, plates, 0.0f, true);
    ASSERT_NE(shooter, nullptr);
    EXPECT_EQ(shooter->ChooseNextKind(nullptr), 8);
    EXPECT_EQ(shooter->ChooseNextKind(Avoid(8)), 6);
    // The plate at y 300 starts to fade: the one at y 100 is next.
    AnimObject* fading = Inner()->mChildren.Head();
    while (fading != nullptr && !(fading->mKind == kKindPlate && fading->mWorld[kAttrY] == 300.0f))
        fading = fading->mNext;
    ASSERT_NE(fading, nullptr);
    std::strcpy(fading->CurrentStage()->mName, "fade_out");
    EXPECT_EQ(shooter->ChooseNextKind(nullptr), 6);
    // No key plate left to take: the draw.
    const int drawn = shooter->ChooseNextKind(Avoid(6));
    EXPECT_TRUE(drawn == 4 || drawn == 8 || drawn == 9) << drawn;
}

// The draw's dead ends: what comes out when no kind of 3-10 may be drawn.
TEST_F(ShooterKindTest, DrawEndsWithEveryMixOfKinds)
{
    struct Case {
        const char* what;
        std::vector<int> slotKinds;
        int avoid; // -1: none
        int kind;
    };
    const Case cases[] = {
        {"one kind left repeats avoid", {6}, 6, 6},
        {"avoid's the only drawn kind beside kind 2", {2, 6}, 6, 6},
        {"only kinds 1 and 2: the lowest", {2, 1}, -1, 1},
        {"only kinds 1 and 2 with avoid: the lowest", {2, 1}, 5, 1},
        {"kind 12 counts nothing", {12, 5}, 5, 5},
        {"kind 12 beside two drawn kinds", {12, 5, 7}, 5, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mAvoid.reset();
        NewPlayGame();
        UseSizedPictures();
        TestPlate plate{400.0f, 200.0f, {}};
        float x = -40.0f;
        for (int kind : c.slotKinds) {
            plate.slots.push_back({kind, x, 0.0f});
            x += 40.0f;
        }
        Shooter* shooter = Open(1, {plate});
        ASSERT_NE(shooter, nullptr);
        EXPECT_EQ(shooter->ChooseNextKind(c.avoid < 0 ? nullptr : Avoid(c.avoid)), c.kind);
    }
}

// A treasure nothing can take is re-rolled: the ready one when no empty slot
// of its kind is left, the waiting one when it needs two of the ready one's
// kind; a wild treasure never.
TEST_F(ShooterKindTest, TreasuresWithoutSlotAreRerolled)
{
    Shooter* shooter = Open(1, {{400.0f, 200.0f, {{5, -30.0f, 0.0f}, {7, 30.0f, 0.0f}}}});
    ASSERT_NE(shooter, nullptr);
    MovePointer(400.0f, 300.0f);
    ASSERT_TRUE(TickUntilReady());
    Ticks(5);
    std::vector<Jewel*> pieces = Pieces();
    ASSERT_EQ(pieces.size(), 2u);
    // One slot of each kind: the two treasures never share a kind.
    EXPECT_NE(pieces[0]->mTreasureKind, pieces[1]->mTreasureKind);

    // The ready treasure's slot fills: it takes the other kind.
    const int readyKind = shooter->ReadyPiece()->mTreasureKind;
    AnimObject* plate = Inner()->FindChildOfKind(kKindPlate);
    for (AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
        Slot* slot = dynamic_cast<Slot*>(child);
        if (slot != nullptr && slot->mSlotKind == readyKind)
            slot->mFilled = 1;
    }
    Tick();
    EXPECT_EQ(shooter->ReadyPiece()->mTreasureKind, readyKind == 5 ? 7 : 5);

    // A wild one stays wild with no slot at all.
    shooter->mWildShots = 1;
    shooter->WildShape();
    for (AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (Slot* slot = dynamic_cast<Slot*>(child))
            slot->mFilled = 1;
    }
    Ticks(3);
    EXPECT_EQ(Pieces()[0]->mTreasureKind, Jewel::kWild);
}

} // namespace

namespace {

// Wings: 2000 ticks of flight towards the mouse, fading over the last 500;
// then the shooter flies back to its line at most 2 px a tick.
TEST_F(ShooterTest, WingsLastTheirTimeAndFlyBackGently)
{
    OpenTestLevel();
    MovePointer(400.0f, 200.0f);
    Ticks(5);
    Shooter* shooter = GetShooter();
    shooter->StartWings();
    EXPECT_EQ(shooter->mWingsTimer, 2000);
    const auto wingAlphas = [shooter]() {
        std::vector<float> alphas;
        for (AnimObject* child = shooter->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (std::strcmp(child->mName, "wings") == 0)
                alphas.push_back(child->mLocal[kAttrAlpha]);
        }
        return alphas;
    };
    ASSERT_EQ(wingAlphas().size(), 2u);
    Ticks(1501);
    EXPECT_EQ(shooter->mWingsTimer, 499);
    EXPECT_EQ(wingAlphas(), std::vector<float>(2, 499.0f / 500.0f));
    // Flown up to the mouse.
    EXPECT_NEAR(shooter->mLocal[kAttrY], 200.0f, 0.5f);
    Ticks(249);
    EXPECT_EQ(wingAlphas(), std::vector<float>(2, 0.5f));
    Ticks(250);
    EXPECT_EQ(shooter->mWingsTimer, 0);
    Tick();
    EXPECT_TRUE(wingAlphas().empty());
    float previous = shooter->mLocal[kAttrY];
    for (int i = 0; i < 400; ++i) {
        Tick();
        EXPECT_LE(shooter->mLocal[kAttrY] - previous, 2.0f + 1e-4f);
        EXPECT_GE(shooter->mLocal[kAttrY], previous);
        previous = shooter->mLocal[kAttrY];
    }
    EXPECT_NEAR(shooter->mLocal[kAttrY], 550.0f, 1.0f);
}

// The loss sequence: multiplier back to 1, treasures fade out as no
// treasures, the sink stages; in Journey with tries left it rises again.
TEST_F(ShooterTest, SinkWithTriesLeftRisesAgain)
{
    SetMode(1);
    OpenTestLevel();
    MovePointer(400.0f, 300.0f);
    ASSERT_TRUE(TickUntilReady());
    Ticks(20);
    Shooter* shooter = GetShooter();
    ASSERT_EQ(Profile().mTries[1], 2);
    shooter->mScoreMultiplier = 4;
    shooter->mPowerShots = 3;
    std::vector<Jewel*> pieces = Pieces();
    ASSERT_EQ(pieces.size(), 2u);
    shooter->Sink();
    EXPECT_EQ(StageOf(shooter), "sink");
    EXPECT_EQ(shooter->mScoreMultiplier, 1);
    EXPECT_EQ(shooter->mPowerShots, 0);
    EXPECT_EQ(shooter->mSinkCount, 1);
    EXPECT_EQ(Plays("audio\\sink.ogg"), 1);
    for (Jewel* piece : pieces) {
        EXPECT_EQ(piece->mKind, kKindDefault);
        EXPECT_EQ(StageOf(piece), "fade_out");
    }
    EXPECT_TRUE(Pieces().empty());
    EXPECT_EQ(shooter->mStages.Tail()->mEnd[kAttrRotation], 90.0f);
    EXPECT_EQ(shooter->mStages.Tail()->mEnd[kAttrY], 400.0f);
    // 900 ms of sinking, 1500 ms under water, then up again.
    Ticks(620);
    EXPECT_EQ(StageOf(shooter), "rise");

    // A second loss sinks it again, though its sink stages exist.
    Profile().mTries[1] = 1;
    shooter->Sink();
    EXPECT_EQ(StageOf(shooter), "sink");
    EXPECT_EQ(shooter->mSinkCount, 2);
}

// With no tries left the shooter is lost for good: its stages give way to
// "lost" (renamed "rise"), and it stays under water. Flying with wings it
// goes down further, turning more.
TEST_F(ShooterTest, SinkWithoutTriesStaysDown)
{
    for (bool wings : {false, true}) {
        SCOPED_TRACE(wings);
        NewPlayGame();
        UseSizedPictures();
        LoadConfig({{"reload_time", "40"}});
        OpenTestLevel();
        Ticks(5);
        Shooter* shooter = GetShooter();
        Profile().mTries[0] = 0;
        if (wings)
            shooter->StartWings();
        shooter->Sink();
        EXPECT_EQ(StageOf(shooter), "sink");
        ASSERT_EQ(shooter->mStages.Count(), 3);
        EXPECT_STREQ(shooter->mStages.Head()->mName, "rise");
        EXPECT_EQ(shooter->mStages.Tail()->mEnd[kAttrRotation], wings ? 790.0f : 90.0f);
        EXPECT_EQ(shooter->mStages.Tail()->mEnd[kAttrY], wings ? 800.0f : 400.0f);
        EXPECT_EQ(shooter->mWingsTimer, 0);
        Ticks(1500);
        EXPECT_EQ(StageOf(shooter), "sink2");
    }
}

} // namespace

namespace {

// A new level's first treasure is of a kind its own slots take, not one
// counted on the level before, whether that level is gone or still below.
TEST_F(ShooterKindTest, ANewLevelsFirstTreasureComesFromItsOwnSlots)
{
    for (const bool previousStays : {false, true}) {
        SCOPED_TRACE(previousStays ? "previous level still below" : "previous level gone");
        NewPlayGame();
        UseSizedPictures();
        ASSERT_NE(Open(1, {{400.0f, 200.0f, {{4, -30.0f, 0.0f}, {4, 30.0f, 0.0f}}}}), nullptr);
        Ticks(5);
        ASSERT_EQ(Play().mSlotKindHistogram[4], 2);
        if (!previousStays)
            mGame->mLiveObjects.RemoveAll();
        TestLevelSpec next;
        next.name = "level_two";
        next.plates = {{400.0f, 200.0f, {{9, -30.0f, 0.0f}, {9, 30.0f, 0.0f}}}};
        ASSERT_NE(OpenTestLevel(next), nullptr);
        // The first tick makes the new level's shooter the current one.
        Tick();
        for (int i = 0; i < 5 && Pieces().empty(); ++i)
            Tick();
        const std::vector<Jewel*> pieces = Pieces();
        ASSERT_FALSE(pieces.empty());
        EXPECT_EQ(pieces.front()->mTreasureKind, 9);
    }
}

// In Journey the treasures come from the slots below the lowest scroll point
// (the one lowest on screen, largest y) less scrolling_slow_point.
TEST_F(ShooterKindTest, JourneyCountsSlotsBelowTheLowestScrollPoint)
{
    LoadConfig({{"reload_time", "40"}, {"scrolling_slow_point", "50"}});
    SetMode(1);
    TestLevelSpec spec;
    // A field that runs but does not scroll: the points stay where they are.
    spec.middleStages = {"running"};
    spec.moreScrollPoints = {200.0f};
    spec.plates = {{200.0f, 100.0f, {{4, 0.0f, 0.0f}}}, {600.0f, 300.0f, {{7, 0.0f, 0.0f}}}};
    ASSERT_NE(OpenTestLevel(spec), nullptr);
    Tick();
    // The line is 200 - 50 = 150: the plate at 300 counts, the one at 100 not.
    EXPECT_EQ(Play().mSlotKindHistogram[4], 0);
    EXPECT_EQ(Play().mSlotKindHistogram[7], 1);
    EXPECT_EQ(Play().mDistinctSlotKinds, 1);
    MovePointer(400.0f, 300.0f);
    ASSERT_TRUE(TickUntilReady());
    EXPECT_EQ(GetShooter()->ReadyPiece()->mTreasureKind, 7);
}

} // namespace

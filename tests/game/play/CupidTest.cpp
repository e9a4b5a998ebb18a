#include "ShooterLevelFixture.h"

#include "game/engine/EasingKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/play/Cupid.h"
#include "game/play/Slot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// Treasures and slots as large as the game's (46 and 56 px): a treasure let
// go 25 px below a slot's centre is within the slot's reach, as in play.
class GamePictureHost : public LumoTest::SizedPictureHost {
public:
    Lumo::MemoryImage* GetImage(const std::string& path) override
    {
        int size = 0;
        if (path.find("jewel") != std::string::npos || path.find("wild") != std::string::npos)
            size = 46;
        else if (path.find("slot") != std::string::npos || path.find("outline") != std::string::npos)
            size = 56;
        if (size == 0)
            return SizedPictureHost::GetImage(path);
        std::vector<uint32_t> pixels(size_t(size * size), 0xFF336699u);
        auto* image = new Lumo::MemoryImage();
        image->SetBits(pixels.data(), size, size, true);
        return image;
    }
};

// A level centred on the screen as the game's are, the shooter's line at
// y 550, nothing that pushes the building, and a short wait for Cupid
// (400 ms: 100 ticks). The player has already seen Cupid explained.
class CupidTest : public ShooterLevelFixture {
protected:
    void SetUp() override { NewCupidGame(); }

    void NewCupidGame(int mode = 0)
    {
        NewPlayGame();
        mGame->mImageCache.SetPlatform(&mGamePictures);
        mFolder.Write("levels/cupid_message.xml", "<object type=\"level\" name=\"cupid_message\">\n"
                                                  "<stage name=\"idle\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                                  "</object>\n");
        LoadConfig({{"reload_time", "40"},
                    {"cupid_wait_ms", "400"},
                    {"push_on_shot_fired", "0"},
                    {"push_on_filled_slot", "0"},
                    {"earthquake_point", "10000"}},
                   {"levels\\cupid_message.xml"});
        SetMode(mode);
        Profile().mCupidSaveUsed = 1;
    }

    Level* OpenCupidLevel(std::vector<TestPlate> plates, std::vector<std::string> middleStages = {"scrolling", "still"},
                          const std::string& extra = "")
    {
        TestLevelSpec spec;
        spec.centred = true;
        spec.plates = std::move(plates);
        spec.middleStages = std::move(middleStages);
        spec.extra = extra;
        Level* level = OpenTestLevel(spec);
        MovePointer(40.0f, 300.0f);
        Tick();
        return level;
    }

    Cupid* TheCupid() const
    {
        Level* level = CurrentTestLevel();
        AnimObject* shooter = mGame->mShooter;
        AnimObject* parent = shooter != nullptr ? shooter->mParent : level;
        return parent != nullptr ? dynamic_cast<Cupid*>(parent->FindChildOfKind(kKindCupid)) : nullptr;
    }
    int CupidCount() const
    {
        AnimObject* shooter = mGame->mShooter;
        return shooter != nullptr && shooter->mParent != nullptr ? shooter->mParent->CountChildrenOfKind(kKindCupid) : 0;
    }

    // A Cupid as the power-up sends one: beside the shooter.
    Cupid* SendCupid()
    {
        auto* cupid = new Cupid;
        mGame->mShooter->mParent->AddChild(cupid);
        return cupid;
    }

    // Ticks until the Cupid's stage is the named one; false when it never comes.
    bool TickUntilStage(const Cupid* cupid, const std::string& stage, int limit = 1000)
    {
        for (int i = 0; i < limit; ++i) {
            if (StageOf(cupid) == stage)
                return true;
            Tick();
        }
        return StageOf(cupid) == stage;
    }

    // A treasure of the plate container standing still at the world point.
    Jewel* StillTreasure(int kind, float x, float y, bool live = true)
    {
        auto* treasure = new Jewel(kind);
        treasure->mStages.RemoveAll();
        treasure->AddStage(650.0f, 1, 1, 1, "shooting");
        treasure->AddFilter(kEasingVelocity, kAttrY, 0.0f, 0.0f, 0.0f);
        treasure->AddFilter(kEasingVelocity, kAttrX, 0.0f, 0.0f, 0.0f);
        treasure->SetStage(treasure->mStages.Head());
        treasure->mLive = live ? 1 : 0;
        Inner()->AddChild(treasure);
        PlaceAt(*treasure, x, y);
        return treasure;
    }
    void PlaceAt(AnimObject& object, float x, float y) const
    {
        object.mLocal[kAttrX] = x - Inner()->mWorld[kAttrX];
        object.mLocal[kAttrY] = y - Inner()->mWorld[kAttrY];
        object.RefreshWorld();
    }

    // A Cupid hovering in "waiting", its first tick there still to come.
    Cupid* WaitingCupid()
    {
        Cupid* cupid = SendCupid();
        return TickUntilStage(cupid, "waiting") ? cupid : nullptr;
    }

    // Catches a treasure of the kind with the waiting Cupid; true when it
    // was caught.
    bool CatchTreasure(Cupid& cupid, int kind)
    {
        Jewel* treasure = StillTreasure(kind, cupid.mWorld[kAttrX], cupid.mWorld[kAttrY]);
        for (int i = 0; i < 20 && treasure->mRemove == 0; ++i) {
            PlaceAt(*treasure, cupid.mWorld[kAttrX], cupid.mWorld[kAttrY]);
            Tick();
        }
        return treasure->mRemove != 0;
    }

    std::vector<int> Filled(const std::vector<std::pair<float, float>>& places) const
    {
        std::vector<int> filled;
        for (const auto& [x, y] : places) {
            const Slot* slot = SlotAt(x, y);
            filled.push_back(slot != nullptr ? slot->mFilled : -1);
        }
        return filled;
    }
    // Ticks until the Cupid has made that many drops.
    bool TickUntilDeliveries(const Cupid* cupid, int deliveries, int limit = 2000)
    {
        for (int i = 0; i < limit && cupid->mDeliveries < deliveries; ++i)
            Tick();
        return cupid->mDeliveries >= deliveries;
    }

    int Score() { return Profile().mScore; }

    GamePictureHost mGameHost;
    Platform mGamePictures{&mGameHost};
};

} // namespace

namespace {

// Outside Journey and the tutorial, a stretch of cupid_wait_ms (100 ticks)
// of scrolling without a plate at the shooter brings one Cupid; never while
// one is there. The shooter's first tick counts nothing (its place on screen
// is set by that tick's update: every plate lies below it until then), so
// the Cupid comes in the 102nd.
TEST_F(CupidTest, ShooterSendsOneAfterScrollingWithoutProgress)
{
    struct Case {
        const char* what;
        int mode;
        const char* middleStage;
        float plateY;
        bool tutorial;
        bool sent;
    };
    const Case cases[] = {
        {"Flood, scrolling", 0, "scrolling", 200.0f, false, true},
        {"Survival", 2, "scrolling", 200.0f, false, true},
        {"Journey", 1, "scrolling", 200.0f, false, false},
        {"tutorial", 0, "scrolling", 200.0f, true, false},
        {"trick shot field", 0, "still", 200.0f, false, false},
        {"a plate below the shooter", 0, "scrolling", 560.0f, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewCupidGame(c.mode);
        const std::string tutorial = "<object name=\"tutorial\">\n<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n</object>\n";
        TestLevelSpec spec;
        spec.centred = true;
        spec.plates = {{400.0f, c.plateY, {{5, 0.0f, 0.0f}}}};
        spec.middleStages = {c.middleStage};
        spec.extra = c.tutorial ? tutorial : "";
        Level* level = OpenTestLevel(spec);
        ASSERT_NE(level, nullptr);
        if (c.tutorial)
            level->FindChildByName("tutorial")->mKind = kKindTutorial;
        MovePointer(40.0f, 300.0f);
        Ticks(101);
        EXPECT_EQ(CupidCount(), 0);
        Tick();
        EXPECT_EQ(CupidCount(), c.sent ? 1 : 0);
        Ticks(400);
        EXPECT_EQ(CupidCount(), c.sent ? 1 : 0);
    }
}

// Cupid flies in from the left above the shooter's line (its y end, 250 in
// the centred level) and hovers at (-360, 80) in the level.
TEST_F(CupidTest, FliesInAboveTheShooterAndHovers)
{
    OpenCupidLevel({{400.0f, 200.0f, {{5, 0.0f, 0.0f}}}});
    Cupid* cupid = SendCupid();
    Tick();
    EXPECT_EQ(StageOf(cupid), "entering");
    EXPECT_FLOAT_EQ(cupid->mLocal[kAttrX], -450.0f);
    EXPECT_FLOAT_EQ(cupid->mLocal[kAttrY], 250.0f - 270.0f);
    // 1204 ms: 301 ticks; the 302nd reaches the end values and moves on.
    Ticks(300);
    EXPECT_EQ(StageOf(cupid), "entering");
    EXPECT_GT(cupid->mLocal[kAttrX], -360.01f);
    EXPECT_LT(cupid->mLocal[kAttrX], -360.0f);
    Tick();
    EXPECT_EQ(StageOf(cupid), "waiting");
    EXPECT_NEAR(cupid->mLocal[kAttrX], -360.0f, 0.001f);
    EXPECT_NEAR(cupid->mLocal[kAttrY], 250.0f - 170.0f, 0.001f);
    EXPECT_EQ(cupid->mFlipX, 0);
    EXPECT_GT(Plays("audio\\cupid_flap.ogg"), 0);
}

// A live treasure within 30 px is caught once the stage has run 5 ticks; a
// tumbling one never is.
TEST_F(CupidTest, CatchesALiveTreasureWithinThirtyPixelsAfterFiveTicks)
{
    struct Case {
        const char* what;
        float dx;
        float dy;
        bool live;
        bool caught;
    };
    const Case cases[] = {
        {"on it", 0.0f, 0.0f, true, true},
        {"29 px to the side", 29.0f, 0.0f, true, true},
        {"31 px below", 0.0f, 31.0f, true, false},
        {"tumbling", 0.0f, 0.0f, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewCupidGame();
        OpenCupidLevel({{400.0f, 200.0f, {{5, 0.0f, 0.0f}}}});
        Cupid* cupid = WaitingCupid();
        ASSERT_NE(cupid, nullptr);
        Jewel* treasure = StillTreasure(5, 0.0f, 0.0f, c.live);
        treasure->mCombo = 1;
        for (int tick = 1; tick <= 6; ++tick) {
            PlaceAt(*treasure, cupid->mWorld[kAttrX] + c.dx, cupid->mWorld[kAttrY] + c.dy);
            Tick();
            const bool expectCaught = c.caught && tick == 6;
            ASSERT_EQ(treasure->mRemove, expectCaught ? 1 : 0) << tick;
        }
        EXPECT_EQ(StageOf(cupid), c.caught ? "searching" : "waiting");
        Jewel* carried = cupid->Carried();
        ASSERT_EQ(carried != nullptr, c.caught);
        EXPECT_EQ(Plays("audio\\cupid_catch.ogg"), c.caught ? 1 : 0);
        if (c.caught) {
            EXPECT_EQ(carried->mTreasureKind, 5);
            EXPECT_EQ(carried->mLive, 0);
            EXPECT_EQ(carried->mCombo, 1);
            EXPECT_EQ(cupid->mTargetSlot, SlotAt(400.0f, 200.0f));
        }
    }
}

// The highest empty slot on screen of the treasure's kind (of any kind for
// a wild one) is the target; the treasure is dropped into it and scores as
// a fill without bounce. No shot was thrown, so the shot counter stays 0.
TEST_F(CupidTest, CarriesToTheHighestEmptySlotOfItsKindAndDropsItIn)
{
    struct Case {
        int kind;
        float targetX;
        float targetY;
    };
    for (const Case& c : {Case{5, 450.0f, 200.0f}, Case{Jewel::kWild, 300.0f, 160.0f}}) {
        SCOPED_TRACE(c.kind);
        NewCupidGame();
        Level* level = OpenCupidLevel({
            {500.0f, -50.0f, {{5, 0.0f, 0.0f}}},                 // above the screen
            {300.0f, 100.0f, {{5, 0.0f, 0.0f}, {6, 0.0f, 60.0f}, {6, 0.0f, 120.0f}}}, // (300, 100) full
            {450.0f, 200.0f, {{5, 0.0f, 0.0f}, {5, 0.0f, 100.0f}}}, // (450, 200), (450, 300)
        });
        SlotAt(300.0f, 100.0f)->mFilled = 1;
        Cupid* cupid = WaitingCupid();
        ASSERT_NE(cupid, nullptr);
        ASSERT_TRUE(CatchTreasure(*cupid, c.kind));
        Slot* target = SlotAt(c.targetX, c.targetY);
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(cupid->mTargetSlot, target);

        // It moves right towards the slot; the drop comes at the end of the
        // 301-tick flight, its hands 11 px left of the slot's centre.
        ASSERT_TRUE(TickUntilStage(cupid, "entering", 400));
        EXPECT_EQ(cupid->mDeliveries, 1);
        EXPECT_NEAR(cupid->mLocal[kAttrX], c.targetX - 400.0f - 11.0f, 0.01f);
        EXPECT_NEAR(cupid->mLocal[kAttrY], c.targetY - 300.0f, 0.01f);
        EXPECT_EQ(cupid->Carried(), nullptr);
        Ticks(2);
        EXPECT_EQ(target->mFilled, 1);
        EXPECT_EQ(SlotAt(450.0f, 300.0f)->mFilled, 0);
        EXPECT_EQ(SlotAt(500.0f, -50.0f)->mFilled, 0);
        EXPECT_EQ(Score(), 10);
        EXPECT_EQ(level->mShots, 0);
        EXPECT_EQ(Flying().size(), 0u);
    }
}

// The target filled by another treasure, or gone with its plate, while the
// Cupid is on its way: it turns to the next highest slot of the kind.
TEST_F(CupidTest, ChoosesAnotherSlotWhenTheTargetFillsOrGoes)
{
    for (const bool plateGoes : {false, true}) {
        SCOPED_TRACE(plateGoes ? "plate goes" : "slot fills");
        NewCupidGame();
        OpenCupidLevel({
            {450.0f, 200.0f, {{5, 0.0f, 0.0f}, {6, 60.0f, 0.0f}}},
            {650.0f, 300.0f, {{5, 0.0f, 0.0f}, {6, 60.0f, 0.0f}}},
        });
        Cupid* cupid = WaitingCupid();
        ASSERT_NE(cupid, nullptr);
        ASSERT_TRUE(CatchTreasure(*cupid, 5));
        Slot* first = SlotAt(450.0f, 200.0f);
        Slot* second = SlotAt(650.0f, 300.0f);
        ASSERT_EQ(cupid->mTargetSlot, first);
        Ticks(100);
        if (plateGoes)
            first->mParent->mRemove = 1;
        else
            StillTreasure(5, 450.0f, 200.0f);
        Tick();
        if (!plateGoes) {
            EXPECT_EQ(first->mFilled, 1);
        }
        EXPECT_EQ(cupid->mTargetSlot, second);
        EXPECT_EQ(StageOf(cupid), "searching");
        ASSERT_TRUE(TickUntilDeliveries(cupid, 1, 400));
        Ticks(2);
        EXPECT_EQ(second->mFilled, 1);
    }
}

// With no empty slot of its kind on screen the treasure is lost and the
// Cupid flies in again from where it is.
TEST_F(CupidTest, WithoutASlotTheTreasureIsLost)
{
    OpenCupidLevel({{450.0f, 200.0f, {{5, 0.0f, 0.0f}}}});
    Cupid* cupid = WaitingCupid();
    ASSERT_NE(cupid, nullptr);
    Jewel* treasure = StillTreasure(7, 0.0f, 0.0f);
    float x = 0.0f;
    float y = 0.0f;
    for (int i = 0; i < 6; ++i) {
        PlaceAt(*treasure, cupid->mWorld[kAttrX], cupid->mWorld[kAttrY]);
        x = cupid->mLocal[kAttrX];
        y = cupid->mLocal[kAttrY];
        Tick();
    }
    ASSERT_EQ(treasure->mRemove, 1);
    EXPECT_EQ(cupid->Carried(), nullptr);
    EXPECT_EQ(cupid->mTargetSlot, nullptr);
    EXPECT_EQ(StageOf(cupid), "entering");
    EXPECT_FLOAT_EQ(cupid->CurrentStage()->mStart[kAttrX], x);
    EXPECT_FLOAT_EQ(cupid->CurrentStage()->mStart[kAttrY], y);
    Ticks(400);
    EXPECT_EQ(SlotAt(450.0f, 200.0f)->mFilled, 0);
    EXPECT_EQ(Score(), 0);
}

// A drop that finds no slot falls (0.01 px a tick, 0.02 more each tick:
// 0.01 n² after n ticks) until it leaves the bottom of the screen; the shot
// counter does not go below 0.
TEST_F(CupidTest, AMissedDropFallsOutOfSight)
{
    Level* level = OpenCupidLevel({{650.0f, 150.0f, {{5, 0.0f, 0.0f}}}});
    Cupid* cupid = WaitingCupid();
    ASSERT_NE(cupid, nullptr);
    ASSERT_TRUE(CatchTreasure(*cupid, 5));
    Ticks(20);
    Jewel* carried = cupid->Carried();
    ASSERT_NE(carried, nullptr);
    cupid->OnCustomAction("");
    ASSERT_EQ(carried->mParent, Inner());
    EXPECT_EQ(cupid->mDeliveries, 1);
    EXPECT_EQ(StageOf(cupid), "entering");
    EXPECT_EQ(level->mShots, 0);
    const float y0 = carried->mLocal[kAttrY];
    Ticks(10);
    EXPECT_NEAR(carried->mLocal[kAttrY], y0 + 1.0f, 0.001f);
    Ticks(90);
    EXPECT_NEAR(carried->mLocal[kAttrY], y0 + 100.0f, 0.01f);
    // Gone once its top edge (23 px above its centre) is past the screen's
    // bottom margin at 605.
    float lastSeen = 0.0f;
    for (int i = 0; i < 300 && !Flying().empty(); ++i) {
        lastSeen = carried->mWorld[kAttrY];
        Tick();
    }
    EXPECT_TRUE(Flying().empty());
    EXPECT_GT(lastSeen, 600.0f);
    EXPECT_LT(lastSeen, 628.0f);
    EXPECT_EQ(SlotAt(650.0f, 150.0f)->mFilled, 0);
}

// Waiting ticks count only while the level is topmost; after 2000 of them,
// or as soon as the building stops scrolling, Cupid leaves: 1204 ms, the
// first of its 302 steps in that same tick, so it is gone 301 ticks later.
TEST_F(CupidTest, LeavesAfterTwoThousandTopmostTicksOrWhenTheScrollStops)
{
    for (const bool scrollStops : {false, true}) {
        SCOPED_TRACE(scrollStops ? "scroll stops" : "waits out");
        NewCupidGame();
        Level* level = OpenCupidLevel({{450.0f, 200.0f, {{5, 0.0f, 0.0f}}}});
        Cupid* cupid = WaitingCupid();
        ASSERT_NE(cupid, nullptr);
        if (scrollStops) {
            Middle()->GoToStage("still");
            Tick();
        } else {
            Ticks(1000);
            InsertLevelByName("cupid_message");
            ASSERT_NE(Topmost(), level);
            AnimObject* message = Topmost();
            Ticks(500);
            EXPECT_EQ(cupid->mWaitingTicks, 1000);
            message->mRemove = 1;
            Tick(); // the message goes first
            Ticks(1000);
            EXPECT_EQ(StageOf(cupid), "waiting");
            Tick();
        }
        EXPECT_EQ(StageOf(cupid), "leaving");
        Ticks(300);
        EXPECT_EQ(CupidCount(), 1);
        Tick();
        EXPECT_EQ(CupidCount(), 0);
    }
}

// "cupid_message" explains Cupid the first time one hovers, once per
// profile: the flag it shares with the Journey save stays set.
TEST_F(CupidTest, ExplainedOncePerProfile)
{
    Profile().mCupidSaveUsed = 0;
    Level* level = OpenCupidLevel({{450.0f, 200.0f, {{5, 0.0f, 0.0f}}}});
    Cupid* cupid = WaitingCupid();
    ASSERT_NE(cupid, nullptr);
    Tick();
    ASSERT_NE(Topmost(), level);
    EXPECT_STREQ(Topmost()->mName, "cupid_message");
    EXPECT_EQ(Profile().mCupidSaveUsed, 1);
    Topmost()->mRemove = 1;
    Tick();
    ASSERT_EQ(Topmost(), level);

    cupid->mRemove = 1;
    Tick();
    Cupid* second = WaitingCupid();
    ASSERT_NE(second, nullptr);
    Ticks(10);
    EXPECT_EQ(Topmost(), level);
}

// Without a shooter Cupid keeps the height it has; a drop with nothing in
// its hands drops nothing and counts nothing.
TEST_F(CupidTest, StepsWithoutShooterOrTreasureAreSkipped)
{
    {
        Cupid lone;
        const Stage* entering = lone.CurrentStage();
        ASSERT_NE(entering, nullptr);
        EXPECT_FLOAT_EQ(entering->mStart[kAttrX], -450.0f);
        EXPECT_FLOAT_EQ(entering->mStart[kAttrY], 0.0f);
        EXPECT_FLOAT_EQ(entering->mEnd[kAttrY], 0.0f);
    }
    Level* level = OpenCupidLevel({{450.0f, 200.0f, {{5, 0.0f, 0.0f}}}});
    level->mShots = 1;
    Cupid* cupid = WaitingCupid();
    ASSERT_NE(cupid, nullptr);
    cupid->GoToStage("searching");
    cupid->OnCustomAction("");
    EXPECT_EQ(cupid->mDeliveries, 0);
    EXPECT_EQ(level->mShots, 1);
    EXPECT_EQ(StageOf(cupid), "entering");
    Ticks(10);
}

// The whole visit as a player sees it: the shooter sends Cupid after 100
// ticks without progress (and its own first); three treasures thrown past it are carried to the
// three highest slots, one after another, each scoring 10 with the shot
// given back; then Cupid leaves and is gone.
TEST_F(CupidTest, CatchesCarriesAndDropsThreeTreasuresThenLeaves)
{
    // Two-slot plates whose lower slots stay empty, so none completes.
    Level* level = OpenCupidLevel({
        {450.0f, 120.0f, {{5, 0.0f, 0.0f}, {5, 0.0f, 250.0f}}},
        {600.0f, 170.0f, {{5, 0.0f, 0.0f}, {5, 0.0f, 250.0f}}},
        {750.0f, 220.0f, {{5, 0.0f, 0.0f}, {5, 0.0f, 250.0f}}},
    });
    const std::vector<std::pair<float, float>> slots = {{450.0f, 120.0f}, {600.0f, 170.0f}, {750.0f, 220.0f},
                                                        {450.0f, 370.0f}, {600.0f, 420.0f}, {750.0f, 470.0f}};
    Ticks(101);
    ASSERT_EQ(CupidCount(), 1);
    Cupid* cupid = TheCupid();
    const std::vector<std::vector<int>> expected = {{1, 0, 0, 0, 0, 0}, {1, 1, 0, 0, 0, 0}, {1, 1, 1, 0, 0, 0}};
    for (int delivery = 0; delivery < 3; ++delivery) {
        SCOPED_TRACE(delivery);
        ASSERT_TRUE(TickUntilStage(cupid, "waiting", 700));
        ASSERT_TRUE(TickUntilReady());
        EXPECT_EQ(GetShooter()->ReadyPiece()->mTreasureKind, 5);
        ClickAt(40.0f);
        Tick();
        ASSERT_EQ(Flying().size(), 1u);
        EXPECT_EQ(level->mShots, 1);
        ASSERT_TRUE(TickUntilStage(cupid, "searching", 100));
        ASSERT_TRUE(TickUntilDeliveries(cupid, delivery + 1, 400));
        Ticks(2);
        EXPECT_EQ(Filled(slots), expected[size_t(delivery)]);
        EXPECT_TRUE(Flying().empty());
        EXPECT_EQ(Score(), 10 * (delivery + 1));
        EXPECT_EQ(level->mShots, 0);
        EXPECT_EQ(StageOf(cupid), delivery < 2 ? "entering" : "leaving");
    }
    // The drop's tick only turned to "leaving"; its 302 steps of 1204 ms
    // start at the next tick. The third drop was 2 ticks ago.
    Ticks(299);
    EXPECT_EQ(CupidCount(), 1);
    Tick();
    EXPECT_EQ(CupidCount(), 0);
    EXPECT_EQ(Plays("audio\\cupid_catch.ogg"), 3);
}

} // namespace

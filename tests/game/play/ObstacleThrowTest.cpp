// One throw from the shooter in a level the test writes, changed by one
// obstacle on its way to a slot: the tick of the fill, counted from the
// throw, and the score, both worked out from the rules by hand.
#include "ObstacleFixture.h"

#include "game/play/Slot.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class ObstacleThrowTest : public ObstacleFixture {
protected:
    void SetUp() override
    {
        HearThroughBass({"audio\\bump.ogg"});
        // Journey: neither a throw nor a fill pushes the building.
        SetMode(1);
    }

    // Opens the level, brings the shooter under x and throws from there
    // (straight up at 2.3 a tick from y 520); the thrown treasure.
    Jewel* OpenAndThrow(const TestLevelSpec& spec, float x)
    {
        if (OpenTestLevel(spec) == nullptr)
            return nullptr;
        MovePointer(x, 300.0f);
        Ticks(80);
        if (!TickUntilReady() || std::fabs(GetShooter()->mWorld[kAttrX] - x) > 0.001f)
            return nullptr;
        return Throw(x);
    }
    Jewel* Throw(float x)
    {
        ClickAt(x);
        Tick();
        const std::vector<Jewel*> flying = Flying();
        return flying.size() == 1 ? flying[0] : nullptr;
    }
    // Ticks until the slot is filled (at most `limit`); the ticks it took.
    int TicksUntilFilled(const Slot& slot, int limit = 400)
    {
        for (int tick = 1; tick <= limit; ++tick) {
            Tick();
            if (slot.mFilled != 0)
                return tick;
        }
        return -1;
    }
    static TestPlate Target(float x, float y)
    {
        // Two slots, so one fill scores the shot and leaves the plate.
        return {x, y, {{5, 0.0f, 0.0f}, {5, 40.0f, 0.0f}}};
    }
};

// Tick t after the throw moves the treasure to y 520 - 2.3 t at x 420;
// an obstacle updated before it sees where the last tick left it. A slot
// (20 x 20) takes it when the centres are less than 15 + 10 = 25 apart.
//
// - Rectangle 160 x 32 turned 45 degrees at (400, 300): its lower side runs
//   along x + y = 700 + 16 sqrt 2 = 722.63 with the normal (1, 1) / sqrt 2;
//   reach 80 / 16 = 5 takes the treasure at y 308.4 (distance 4.1), tick
//   93, and turns (0, -2.3) into (2.3, 0). From x 422.3 at 2.3 a tick the
//   slot at (561, 308) takes it seen at 537.3: tick 93 + 51 = 144.
// - Round bumper at (400, 300), radii 44 / 2.2 + 30 / 2.5 = 32: 20^2 + 24.5^2
//   < 32^2 at y 324.5, tick 86; the normal (20, 24.5) / 31.627 turns the
//   velocity into (2.2534, 0.4605); from there the slot at (560, 356)
//   takes it 24.0 away at tick 86 + 52 = 138 (26.3 the tick before).
// - Triangle 64 x 48 at (400, 300), point down: its right side crosses
//   x 420 at y 294 with the normal (3, 2) / sqrt 13; reach 32 / 8 = 4 takes
//   it at y 299.2 (distance 2.88), tick 97, velocity (27.6 / 13,
//   -2.3 + 18.4 / 13) = (2.1231, -0.8846); from there the slot at
//   (540, 250) takes it 23.9 away at tick 97 + 46 = 143 (26.2 the tick
//   before).
// Each bounce off a bumper scores "BANK SHOT!": 500.
// - Turret 40 x 40 at (420, 300), barrel -90: the treasure (30 x 30)
//   overlaps it seen at 333.7 (33.7 <= 35), tick 82, and leaves the muzzle
//   at (440, 300) moving (2.3, 0); the slot at (560, 300) takes it seen at
//   536.6, tick 82 + 42 = 124. No bounce: 10 points.
// - Warps at (420, 400) and (200, 300): near at y 448.7 (48.7 < 50), tick
//   32; from (200, 297.7) the slot at (200, 200) takes it seen at 224.1,
//   tick 32 + 33 = 65. 10 points.
TEST_F(ObstacleThrowTest, EachObstacleTurnsAThrowIntoASlot)
{
    struct Case {
        const char* what;
        std::string container;
        float slotX;
        float slotY;
        int fillTick;
        int score;
        const char* label;
    };
    const Case cases[] = {
        {"rectangle", BumperXml("rect_bumper", 400.0f, 300.0f, 45.0f), 561.0f, 308.0f, 144, 500, "BANK SHOT!"},
        {"round", BumperXml("round_bumper", 400.0f, 300.0f), 560.0f, 356.0f, 138, 500, "BANK SHOT!"},
        {"triangle", BumperXml("tri_bumper", 400.0f, 300.0f), 540.0f, 250.0f, 143, 500, "BANK SHOT!"},
        {"turret", TurretXml(420.0f, 300.0f, -90.0f), 560.0f, 300.0f, 124, 10, " "},
        {"warp pair", WarpXml(420.0f, 400.0f, "in") + WarpXml(200.0f, 300.0f, "out"), 200.0f, 200.0f, 65, 10, " "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestLevelSpec spec;
        spec.plates = {Target(c.slotX, c.slotY)};
        spec.container = c.container;
        Jewel* piece = OpenAndThrow(spec, 420.0f);
        ASSERT_NE(piece, nullptr);
        ASSERT_EQ(piece->mWorld[kAttrY], 520.0f);
        Slot* slot = SlotAt(c.slotX, c.slotY);
        ASSERT_NE(slot, nullptr);
        Profile().mScore = 0;
        EXPECT_EQ(TicksUntilFilled(*slot), c.fillTick);
        EXPECT_EQ(Score(), c.score);
        EXPECT_TRUE(Shows(c.label));
    }
}

// A key plate at (420, 283) holds its slot at (420, 300); above it a row of
// rectangular bumpers at y 200 bars the way to the slot at (420, 100). The
// first throw fills the key slot seen at 324.5, tick 86; the completed key
// plate takes the row (both within 12 of the lowest bumper's y), which
// fades out at once and lets the second throw through: seen at 124.4, tick
// 173, 10 points, where the bumper's lower side at 216 would have sent it
// back down.
TEST_F(ObstacleThrowTest, AKeyPlateTakesTheBumperRowOutOfTheWay)
{
    TestLevelSpec spec;
    spec.plates = {{420.0f, 283.0f, {{5, 0.0f, 17.0f}}, "key_plate"}, Target(420.0f, 100.0f)};
    spec.container = BumperXml("rect_bumper", 420.0f, 200.0f) + BumperXml("rect_bumper", 620.0f, 200.0f);
    Jewel* first = OpenAndThrow(spec, 420.0f);
    ASSERT_NE(first, nullptr);
    Slot* key = SlotAt(420.0f, 300.0f);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(TicksUntilFilled(*key), 86);
    Tick();
    int sucked = 0;
    for (AnimObject* child = Inner()->mChildren.Head(); child != nullptr; child = child->mNext)
        sucked += child->mKind == kKindBumper && StageOf(child) == "suck";
    EXPECT_EQ(sucked, 2);

    ASSERT_TRUE(TickUntilReady());
    Jewel* second = Throw(420.0f);
    ASSERT_NE(second, nullptr);
    const int before = Score();
    Slot* above = SlotAt(420.0f, 100.0f);
    ASSERT_NE(above, nullptr);
    EXPECT_EQ(TicksUntilFilled(*above), 173);
    EXPECT_EQ(Score() - before, 10);
}

} // namespace

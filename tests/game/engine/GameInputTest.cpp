// The game's input between the widget callbacks and the ticks: the queue
// typed codes wait in, the held-key table with one report per press and
// taps that last until the end of the next tick, the latched left press and
// the swallowed click after a focus gain.
#include "game/engine/GameInput.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kUp = 0x26;
constexpr int kDown = 0x28;

std::vector<unsigned> Drain(GameInput& input)
{
    std::vector<unsigned> codes;
    while (input.QueuedCount() > 0)
        codes.push_back(input.PopInputRing());
    return codes;
}

struct QueueCase {
    const char* name;
    std::function<void(GameInput&)> feed;
    std::vector<unsigned> expected;
};

TEST(GameInputTest, QueueGivesCodesInTypedOrder)
{
    const std::vector<QueueCase> cases = {
        {"two keys in one tick reach an input box in order",
         [](GameInput& in) {
             in.KeyDown('A');
             in.KeyDown('B');
         },
         {'A', 'B'}},
        {"a held key repeats into the queue",
         [](GameInput& in) {
             in.KeyDown('C');
             in.KeyDown('C');
             in.KeyDown('C');
         },
         {'C', 'C', 'C'}},
        {"codes outside the table are dropped",
         [](GameInput& in) {
             in.KeyDown(256);
             in.KeyDown(-1);
             in.KeyDown(255);
         },
         {255}},
        {"left and right buttons queue 1 and 2, middle nothing",
         [](GameInput& in) {
             in.MouseDown(1);
             in.MouseDown(3);
             in.MouseDown(0);
             in.MouseDown(-1);
             in.MouseDown(2);
         },
         {1, 2, 1}},
        {"a wheel turn queues nothing",
         [](GameInput& in) {
             in.KeyDown('X');
             in.Wheel(1, kUp, kDown);
             in.Wheel(-3, kUp, kDown);
         },
         {'X'}},
    };
    for (const QueueCase& c : cases) {
        SCOPED_TRACE(c.name);
        GameInput input;
        c.feed(input);
        EXPECT_EQ(Drain(input), c.expected);
        EXPECT_EQ(input.PopInputRing(), 0u) << "an empty queue pops 0";
    }
}

TEST(GameInputTest, AFullQueueDropsTheOldestCodes)
{
    GameInput input;
    for (int i = 0; i < GameInput::kRingSize + 3; ++i)
        input.KeyDown(i % 200 + 10);
    ASSERT_EQ(input.QueuedCount(), GameInput::kRingSize);
    // The first three (10, 11, 12) gave way.
    EXPECT_EQ(input.PopInputRing(), 13u);
    std::vector<unsigned> rest = Drain(input);
    ASSERT_EQ(rest.size(), size_t(GameInput::kRingSize - 1));
    EXPECT_EQ(rest.back(), unsigned((GameInput::kRingSize + 2) % 200 + 10));

    input.KeyDown('Q');
    input.ClearInputRing();
    EXPECT_EQ(input.QueuedCount(), 0);
    EXPECT_EQ(input.PopInputRing(), 0u);
}

struct KeyCase {
    const char* name;
    std::function<void(GameInput&)> feed;
    int code;
    bool heldAfter;
    std::vector<bool> reports; // successive TestKeyPressOnce answers
};

TEST(GameInputTest, KeyTableReportsEachPressOnce)
{
    const std::vector<KeyCase> cases = {
        {"a repeated key-down is one press", [](GameInput& in) { in.KeyDown('K'), in.KeyDown('K'); }, 'K', true,
         {true, false, false}},
        {"released and pressed again: a second press",
         [](GameInput& in) {
             in.KeyDown('K');
             in.TestKeyPressOnce('K');
             in.KeyUp('K');
             in.KeyDown('K');
         },
         'K', true, {true, false}},
        {"press and release before the tick (a tap): one press, held until the tick ends",
         [](GameInput& in) {
             in.KeyDown('K');
             in.KeyUp('K');
         },
         'K', true, {true, false}},
        {"a tap no tick took is gone after the tick",
         [](GameInput& in) {
             in.KeyDown('K');
             in.KeyUp('K');
             in.EndTick();
         },
         'K', false, {false}},
        {"a held key outlasts the tick", [](GameInput& in) { in.KeyDown('K'), in.EndTick(); }, 'K', true,
         {true, false}},
        {"a key held over a tick goes up when let go",
         [](GameInput& in) {
             in.KeyDown('K');
             in.EndTick();
             in.KeyUp('K');
         },
         'K', false, {false}},
        {"tapped and pressed again within one frame: one press, still held after the tick",
         [](GameInput& in) {
             in.KeyDown('K');
             in.KeyUp('K');
             in.KeyDown('K');
             in.EndTick();
         },
         'K', true, {true, false}},
        {"a reported tap pressed again is a second press",
         [](GameInput& in) {
             in.KeyDown('K');
             in.KeyUp('K');
             in.TestKeyPressOnce('K');
             in.KeyDown('K');
         },
         'K', true, {true, false}},
        {"a cleared table forgets a tap", [](GameInput& in) { in.KeyDown('K'), in.KeyUp('K'), in.ClearKeyStates(); },
         'K', false, {false}},
        {"code 256 touches no entry", [](GameInput& in) { in.KeyDown(256), in.KeyUp(256); }, 0, false, {false}},
        {"code -1 is never held", [](GameInput& in) { in.KeyDown(-1); }, -1, false, {false}},
        {"code 256 is never held", [](GameInput& in) { in.KeyDown(256); }, 256, false, {false}},
        {"right button is entry 2", [](GameInput& in) { in.MouseDown(-1); }, GameInput::kRightButton, true,
         {true, false}},
        {"right button tapped", [](GameInput& in) { in.MouseDown(-2), in.MouseUp(-2); }, GameInput::kRightButton,
         true, {true, false}},
        {"right button let go after a tick",
         [](GameInput& in) {
             in.MouseDown(-1);
             in.EndTick();
             in.MouseUp(-1);
         },
         GameInput::kRightButton, false, {false}},
        {"middle button sets nothing", [](GameInput& in) { in.MouseDown(3); }, GameInput::kLeftButton, false,
         {false}},
        {"a middle release leaves the left button held", [](GameInput& in) { in.MouseDown(1), in.MouseUp(3); },
         GameInput::kLeftButton, true, {true}},
        {"wheel up: a tap of the key", [](GameInput& in) { in.Wheel(1, kUp, kDown); }, kUp, true, {true, false}},
        {"a wheel turn no tick took is gone after the tick", [](GameInput& in) { in.Wheel(1, kUp, kDown), in.EndTick(); },
         kUp, false, {false}},
        {"wheel down: one report", [](GameInput& in) { in.Wheel(-1, kUp, kDown); }, kDown, true, {true, false}},
        {"a real press after a wheel turn is reported",
         [](GameInput& in) {
             in.Wheel(1, kUp, kDown);
             in.TestKeyPressOnce(kUp);
             in.KeyDown(kUp);
         },
         kUp, true, {true, false}},
        {"a wheel turn while the key is held adds no report",
         [](GameInput& in) {
             in.KeyDown(kUp);
             in.TestKeyPressOnce(kUp);
             in.Wheel(1, kUp, kDown);
         },
         kUp, true, {false}},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        GameInput input;
        c.feed(input);
        EXPECT_EQ(input.IsKeyStateSet(c.code), c.heldAfter);
        for (size_t i = 0; i < c.reports.size(); ++i)
            EXPECT_EQ(input.TestKeyPressOnce(c.code), c.reports[i]) << "report " << i;
    }
}

TEST(GameInputTest, KeyTableIsClearedWhole)
{
    GameInput input;
    input.KeyDown('A');
    input.MouseDown(1);
    input.ClearKeyStates();
    EXPECT_FALSE(input.IsKeyStateSet('A'));
    EXPECT_FALSE(input.TestKeyPressOnce(GameInput::kLeftButton));
    EXPECT_FALSE(input.WasLeftPressed(false));
}

struct PressCase {
    const char* name;
    std::function<void(GameInput&)> between; // input between two ticks
    bool downAtTick;
    bool swallow;
    bool expected;
};

TEST(GameInputTest, LeftPressEdgeSurvivesATapWithinOneTick)
{
    const std::vector<PressCase> cases = {
        {"press held over the tick", [](GameInput& in) { in.MouseDown(1); }, true, false, true},
        {"press and release within one tick (a tap)", [](GameInput& in) { in.MouseDown(1), in.MouseUp(1); }, false,
         false, true},
        {"no press", [](GameInput&) {}, false, false, false},
        {"the button was found down without a press message", [](GameInput&) {}, true, false, true},
        {"the click that brought focus back is swallowed", [](GameInput& in) { in.MouseDown(1); }, true, true,
         false},
        {"a right press is not a left press", [](GameInput& in) { in.MouseDown(-1); }, false, false, false},
    };
    for (const PressCase& c : cases) {
        SCOPED_TRACE(c.name);
        GameInput input;
        EXPECT_FALSE(input.WasLeftPressed(false));
        c.between(input);
        input.mSwallowNextClick = c.swallow ? 1 : 0;
        EXPECT_EQ(input.WasLeftPressed(c.downAtTick), c.expected);
        EXPECT_EQ(input.mSwallowNextClick, 0) << "every tick's ask clears the swallow flag";
        // Still held at the next tick: no second edge.
        EXPECT_FALSE(input.WasLeftPressed(c.downAtTick));
    }
}

TEST(GameInputTest, OnlyTheFirstClickAfterFocusIsSwallowed)
{
    GameInput input;
    input.mSwallowNextClick = 1;
    input.MouseDown(1);
    EXPECT_FALSE(input.WasLeftPressed(true));
    input.MouseUp(1);
    EXPECT_FALSE(input.WasLeftPressed(false));
    input.MouseDown(1);
    EXPECT_TRUE(input.WasLeftPressed(true));
}

} // namespace

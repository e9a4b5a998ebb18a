// A trick level played by one throw from the shooter, in a level the test
// writes: a stair of one-slot blocks whose treasures tumble from step to
// step. However the throw goes, the trick ends: made when every block is
// cleared, missed the tick after the last treasure has left play while
// blocks still wait.
#include "ShooterLevelFixture.h"
#include "game/play/GameModes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TrickEndTest : public ShooterLevelFixture {
protected:
    // How the level is played: the throw's x, the tuning flags that matter,
    // and the scale a completed block starts to shrink from (below 1 it
    // tosses its treasure on to the next step down).
    struct Play {
        float x;
        bool bounceOffTop = true;
        bool tossOnFilledSlot = true;
        float fadeFrom = 1.0f;
    };

    static std::string FadeOut(float from)
    {
        const std::string scale = "start=\"" + std::to_string(from) + "\" end=\"0.2\"";
        return "<stage name=\"fade_out\" ms=\"900\">\n"
               "<attribute type=\"x_scale\" " + scale + ">\n"
               "<attribute type=\"y_scale\" " + scale + ">\n"
               "<attribute type=\"alpha\" start=\"1\" end=\"0\">\n";
    }
    // Each step lies 120 across and 180 down from the one above it: a lob
    // from there lands on it (120 / sqrt 180 / 13 a tick for the 177 ticks
    // the drop takes). (400, 40), (280, 220), (160, 400), the lowest.
    static std::vector<TestPlate> Stair()
    {
        return {{400.0f, 40.0f, {{5, 0.0f, 0.0f}}},
                {280.0f, 220.0f, {{5, 0.0f, 0.0f}}},
                {160.0f, 400.0f, {{5, 0.0f, 0.0f}}}};
    }

    struct Outcome {
        bool ended = false;
        int endTick = -1;       // ticks after the throw
        int leftTick = -1;       // the tick in which the last treasure left the container
        int treasuresAfterEnd = 0;
    };

    // Opens the trick level, throws once and plays on until the
    // playfield leaves "still" (and 300 ticks more), at most 3000 ticks.
    Outcome Run(const std::vector<TestPlate>& plates, const Play& play)
    {
        const float x = play.x;
        NewPlayGame();
        LoadConfig({{"reload_time", "40"},
                    {"toss_on_filled_slot", play.tossOnFilledSlot ? "1" : "0"},
                    {"toss_on_filled_plate", "1"},
                    {"blocking_slots", "1"},
                    {"bounce_off_top", play.bounceOffTop ? "1" : "0"}});
        SetMode(kJourney);
        Profile().mProgress[kJourney] = 7;
        Profile().mTrickStreak = 2;
        TestLevelSpec spec;
        spec.name = "trickshot";
        spec.plates = plates;
        spec.plateLaterStages = FadeOut(play.fadeFrom);
        spec.middleStages = {"still", "victory"};
        spec.scrollPoint = false;
        Outcome outcome;
        if (OpenTestLevel(spec) == nullptr)
            return outcome;
        MovePointer(x, 300.0f);
        Ticks(80);
        if (!TickUntilReady())
            return outcome;
        // Every throw here is of the kind of the stair's slots.
        GetShooter()->ReadyPiece()->SetKind(5);
        ClickAt(x);
        for (int tick = 1; tick <= 3000; ++tick) {
            Tick();
            const bool still = StageOf(Middle()) == "still";
            if (!still && !outcome.ended) {
                outcome.ended = true;
                outcome.endTick = tick;
            }
            if (!Flying().empty()) {
                if (outcome.ended)
                    outcome.treasuresAfterEnd += 1;
                else
                    outcome.leftTick = tick + 1;
            }
            if (outcome.ended && tick >= outcome.endTick + 300)
                break;
        }
        return outcome;
    }
    int Plates() const { return Inner() != nullptr ? Inner()->CountChildrenOfKind(kKindPlate) : -1; }
};

// The top step fills them all in turn and the trick is made, also when its
// slot tosses nothing and the block keeps its treasure until it has shrunk
// below full size (from 3 that is 161 ticks in). A throw into a lower step
// leaves the steps above it empty: its treasure tumbles on off the bottom
// of the screen, and with nothing left to throw the trick is missed at once.
// A throw with nothing in its way leaves the top the same. A slot of a
// plate that keeps room tosses its treasure only when its filling has run
// (150 ms): the trick waits for it, through the step below and off the
// screen.
TEST_F(TrickEndTest, EveryThrowEndsTheTrick)
{
    const std::vector<TestPlate> twoKinds = {
        {400.0f, 40.0f, {{5, -20.0f, 0.0f}, {6, 20.0f, 0.0f}}},
        {260.0f, 220.0f, {{5, 0.0f, 0.0f}}},
    };
    struct Case {
        const char* what;
        std::vector<TestPlate> plates;
        Play play;
        int platesLeft;
    };
    const Case cases[] = {
        {"the top step", Stair(), {400.0f}, 0},
        {"the top step, tossed late", Stair(), {400.0f, true, false, 3.0f}, 0},
        {"the middle step", Stair(), {280.0f}, 1},
        {"the lowest step", Stair(), {160.0f}, 2},
        {"off the top", Stair(), {700.0f, false}, 3},
        {"a slot beside one of another kind", twoKinds, {380.0f}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome outcome = Run(c.plates, c.play);
        ASSERT_TRUE(outcome.ended);
        EXPECT_EQ(StageOf(Middle()), "victory");
        EXPECT_EQ(outcome.treasuresAfterEnd, 0);
        EXPECT_EQ(Plates(), c.platesLeft);
        const bool made = c.platesLeft == 0;
        EXPECT_EQ(Plays("audio\\trickshot_made.ogg"), made ? 1 : 0);
        EXPECT_EQ(Plays("audio\\trickshot_missed.ogg"), made ? 0 : 1);
        if (made) {
            EXPECT_EQ(Profile().mTrickStreak, 2);
        } else {
            EXPECT_EQ(outcome.endTick, outcome.leftTick + 1);
            EXPECT_EQ(Profile().mProgress[kJourney], 8);
            EXPECT_EQ(Profile().mTrickStreak, 0);
        }
    }
}

} // namespace

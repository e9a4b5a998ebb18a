// Whole levels played through the game's ticks: a level file written by the
// test, a seeded game, 4-ms ticks, a scripted mouse. What the player sees is
// checked at the tick worked out by hand from the layout; each run is played
// twice and leaves the same state digest at every tick, and that digest is
// pinned so every build flavour must play the very same game.
#include "ShooterLevelFixture.h"

#include "game/engine/TextObject.h"
#include "game/play/Plate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>

namespace {

constexpr int kFlood = 0;
constexpr int kJourney = 1;

// Every tick's digest folded into one value, in order.
uint64_t Fold(const std::vector<uint64_t>& digests)
{
    uint64_t value = 14695981039346656037ull;
    for (uint64_t digest : digests)
        value = (value ^ digest) * 1099511628211ull;
    return value;
}

class PlayedLevelTest : public ShooterLevelFixture {
protected:
    struct Run {
        std::vector<uint64_t> digests;
        // Tick of each change of the plate's filled count (1-based ticks).
        std::vector<int> fills;
        int endTick = 0; // the middle layer left its playing stage
        std::string end;
        int score = 0;
        int shots = 0;
        int hits = 0;
        std::vector<std::string> texts; // every text shown, in the order first seen
    };

    // A script step: before tick `tick` the pointer moves to x (and clicks).
    struct Step {
        int tick;
        float x;
        bool click;
    };

    static std::string FadeOut() { return "<stage name=\"fade_out\" ms=\"400\">\n"; }

    // The tuning of these runs: no toss, no blocking, no pushes, a Cupid
    // that never comes, promotion in 200 ms (50 ticks).
    void LoadTuning(float earthquakePoint)
    {
        LoadConfig({{"reload_time", "200"},
                    {"scrolling_slow_point", "100"},
                    {"base_scroll_speed", "0.2"},
                    {"toss_on_filled_plate", "0"},
                    {"toss_on_filled_slot", "0"},
                    {"blocking_slots", "0"},
                    {"bounce_off_top", "0"},
                    {"push_on_shot_fired", "0"},
                    {"push_on_filled_slot", "0"},
                    {"push_on_combo", "0"},
                    {"push_filled_plate", "0"},
                    {"number_of_unique_slots", "1"},
                    {"bumps_to_explode", "10"},
                    {"earthquake_point", std::to_string(earthquakePoint)},
                    {"cupid_wait_ms", "100000000"}});
    }

    Run Play(int mode, const TestLevelSpec& spec, const std::vector<Step>& script, int ticks, float earthquakePoint)
    {
        NewPlayGame(2026);
        UseSizedPictures();
        host.mouseX = 0;
        host.mouseY = 0;
        LoadTuning(earthquakePoint);
        SetMode(mode);
        Profile().mExplainFloodShown = 1; // the mode's first explanation was seen
        Run run;
        Level* level = OpenTestLevel(spec);
        if (level == nullptr)
            return run;
        AnimObject* middle = level->FindChildByName("outer")->FindChildByName(spec.middleName.c_str());
        AnimObject* inner = middle->FindChildByName("container");
        auto* plate = dynamic_cast<Plate*>(inner->FindChildOfKind(kKindPlate));
        int filled = 0;
        size_t next = 0;
        run.digests.reserve(size_t(ticks));
        for (int tick = 1; tick <= ticks; ++tick) {
            for (; next < script.size() && script[next].tick == tick; ++next)
                MovePointer(script[next].x, 300.0f, script[next].click);
            Tick();
            run.digests.push_back(Digest());
            // The plate object is gone once it has faded out.
            plate = dynamic_cast<Plate*>(inner->FindChildOfKind(kKindPlate));
            const int now = plate != nullptr ? plate->FilledCount() : filled;
            if (now != filled)
                run.fills.push_back(tick);
            filled = now;
            const std::string stage = StageOf(middle);
            if (run.endTick == 0 && stage != spec.middleStages.front()) {
                run.endTick = tick;
                run.end = stage;
            }
            for (AnimObject* child = level->mChildren.Head(); child != nullptr; child = child->mNext) {
                if (const auto* text = dynamic_cast<const TextObject*>(child)) {
                    if (std::find(run.texts.begin(), run.texts.end(), text->GetText()) == run.texts.end())
                        run.texts.push_back(text->GetText());
                }
            }
        }
        run.score = Profile().mScore;
        run.shots = level->mShots;
        run.hits = level->mHits;
        return run;
    }

    // Plays the run twice: the same digest at every tick, and the pinned value.
    Run PlayTwice(uint64_t pinned, const std::function<Run()>& play)
    {
        const Run first = play();
        const Run second = play();
        EXPECT_EQ(first.digests.size(), second.digests.size());
        for (size_t i = 0; i < first.digests.size() && i < second.digests.size(); ++i) {
            if (first.digests[i] != second.digests[i]) {
                ADD_FAILURE() << "the runs part at tick " << i + 1;
                break;
            }
        }
        const uint64_t folded = Fold(first.digests);
        EXPECT_EQ(folded, pinned) << std::hex << "digest of the run: 0x" << folded;
        return first;
    }

    // The Journey level: the scroll point (y 150) lies below the slow point
    // (100), so the playfield never moves, and the plate (y 197.2) lies below
    // 150 - 100 = 50, where the shooter counts empty slots.
    static TestLevelSpec JourneyLevel(std::vector<TestSlot> slots, float plateX)
    {
        TestLevelSpec spec;
        spec.name = "journey_one";
        spec.middleName = "tiles";
        spec.middleStages = {"scrolling", "victory", "defeat"};
        spec.scrollPointY = 150.0f;
        spec.plates = {{plateX, 197.2f, std::move(slots), "x_plate"}};
        spec.plateLaterStages = FadeOut();
        return spec;
    }
};

// Four slots of one number on an x plate, four throws straight up.
//
// By hand: the shooter's line is y 550 and a ready treasure (30 px) sits at
// -30 - sin(2 pi t / 250) on it: a throw leaves from y 519..521. It rises
// 2.3 px a tick from the tick after the throw, and a slot (y 197.2, 20 px)
// takes it at the first tick it is seen less than 15 + 10 = 25 px away,
// y < 222.2: after (519..521 - 222.2) / 2.3 = 129.04..129.91 steps, so
// the slot sees it on the 131st tick after the click. The last fill (click
// at 650) is tick 781; the plate sees itself full on tick 782 and fades
// for 400 ms: ticks 0..100 of its stage, gone on tick 882, where the bar
// (after the playfield) finds no plate: victory. Score: three fills
// without a bounce, 3 x 10, and the plate 500.
TEST_F(PlayedLevelTest, JourneyLevelWonByFourThrows)
{
    const std::vector<TestSlot> slots = {{5, -150.0f, 0.0f}, {5, -50.0f, 0.0f}, {5, 50.0f, 0.0f}, {5, 150.0f, 0.0f}};
    std::vector<Step> script;
    for (int i = 0; i < 4; ++i) {
        const float x = 250.0f + 100.0f * float(i);
        script.push_back({160 + 150 * i, x, false}); // the shooter settles under the slot
        script.push_back({200 + 150 * i, x, true});
    }
    const Run run = PlayTwice(0xc6b246f4fb27ac2aull, [&] { return Play(kJourney, JourneyLevel(slots, 400.0f), script, 1000, 10000.0f); });
    EXPECT_EQ(run.fills, (std::vector<int>{331, 481, 631, 781}));
    EXPECT_EQ(run.endTick, 882);
    EXPECT_EQ(run.end, "victory");
    EXPECT_EQ(run.score, 530);
    EXPECT_EQ(run.shots, 4);
    EXPECT_EQ(run.hits, 4);
    EXPECT_EQ(run.texts, (std::vector<std::string>{" ", "+10", "+500", "VICTORY!"}));
}

// The same level with one slot at x 15, thrown from x 5: the treasure
// leaves the left wall's margin (30 / 3 = 10) by a bounce on its first
// step and rises at x 15: a bank shot, 500, and the plate 500.
TEST_F(PlayedLevelTest, BankShotOffTheWall)
{
    const std::vector<Step> script = {{100, 5.0f, false}, {200, 5.0f, true}};
    const Run run = PlayTwice(
        0x8ed46ec892f67d40ull, [&] { return Play(kJourney, JourneyLevel({{5, -85.0f, 0.0f}}, 100.0f), script, 500, 10000.0f); });
    EXPECT_EQ(run.fills, (std::vector<int>{331}));
    EXPECT_EQ(run.end, "victory");
    EXPECT_EQ(run.score, 1000);
    EXPECT_EQ(run.texts, (std::vector<std::string>{"BANK SHOT!", "+500", "VICTORY!"}));
}

// Flood: the playfield sinks 1 px a tick and nobody throws. The plate (y
// 449.5) is seen at 449.5 + (n - 1) on tick n, as the playfield moves
// before its children; from y 500 (earthquake_point) it shakes by at most
// 0.125 in y, so it is first past 600 on tick 152: the level is lost. From
// y 550 it drowns: "DANGER!" once.
TEST_F(PlayedLevelTest, FloodLevelSunkWhenThePlatePasses600)
{
    TestLevelSpec spec;
    spec.name = "flood_one";
    spec.middleName = "tiles";
    spec.middleStages = {"scrolling", "victory", "defeat"};
    spec.firstMiddleStageExtra = "<filter type=\"velocity\" attribute=\"y\" amplitude=\"1\">\n";
    spec.scrollPoint = false;
    spec.plates = {{400.0f, 449.5f, {{5, -20.0f, 0.0f}, {5, 20.0f, 0.0f}}, "x_plate"}};
    spec.plateLaterStages = FadeOut();
    const Run run = PlayTwice(0x18be787826249ff2ull, [&] { return Play(kFlood, spec, {{1, 400.0f, false}}, 400, 500.0f); });
    EXPECT_EQ(run.endTick, 152);
    EXPECT_EQ(run.end, "defeat");
    EXPECT_EQ(run.texts, (std::vector<std::string>{"DANGER!", "SUNK!", "CLICK TO PLAY AGAIN"}));
    EXPECT_EQ(run.score, 0);
}

} // namespace

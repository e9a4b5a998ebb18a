// The tutorial's Cupid in test-written levels: how a tip is laid out on the
// scroll, when the player may throw, how each step moves the building on,
// and where Cupid points.
#include "ShooterLevelFixture.h"

#include "game/engine/TextObject.h"
#include "game/play/Slot.h"
#include "game/play/Tutorial.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

class TutorialTest : public ShooterLevelFixture {
protected:
    void SetUp() override { StartGame(); }

    void StartGame()
    {
        LoadConfig({{"reload_time", "40"}});
        SetMode(1);
    }

    // A level with the tutorial (the given tip attributes) and a quit button
    // at (700, 50); no scroll point, so the building stands still, and no
    // progress bar, so no victory ends it.
    Tutorial* OpenTutorialLevel(const std::vector<TestPlate>& plates, const std::string& tips = "tip1=\"Hello\"")
    {
        TestLevelSpec spec;
        spec.plates = plates;
        spec.scrollPoint = false;
        spec.progressBar = false;
        spec.extra = "<object type=\"tutorial\" name=\"tutorial\" " + tips + ">\n</object>\n"
                     "<object name=\"quit_button\" image=\"gfx\\quit.png\">\n" + Looping() + Still(700.0f, 50.0f) +
                     "<filter type=\"hot_spot\" attribute=\"frame_number\">\n</object>\n";
        Level* level = OpenTestLevel(spec);
        return level != nullptr ? dynamic_cast<Tutorial*>(level->FindChildByName("tutorial")) : nullptr;
    }

    // The texts of the lines on the scroll.
    static std::vector<std::string> ScrollLines(const Tutorial& tutorial)
    {
        std::vector<std::string> lines;
        if (const AnimObject* scroll = tutorial.GetScroll()) {
            for (AnimObject* child = scroll->mChildren.Head(); child != nullptr; child = child->mNext) {
                if (const auto* text = dynamic_cast<const TextObject*>(child))
                    lines.push_back(text->GetText());
            }
        }
        return lines;
    }
};

const std::vector<TestPlate> kOnePlate = {{150.0f, 200.0f, {{5, 0.0f, 0.0f}}}};

// Lines of at most 18 characters, broken at the last space inside them, a
// word too long for a line cut at 18.
TEST_F(TutorialTest, TipsAreLaidOutInLinesOfEighteen)
{
    struct Case {
        const char* tip;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"ABCDEFGHIJKLMNOPQR", {"ABCDEFGHIJKLMNOPQR"}},
        // 30 characters with a space at 12: the space ends the first line.
        {"ABCDEFGHIJKL NOPQRSTUVWXYZabcd", {"ABCDEFGHIJKL", "NOPQRSTUVWXYZabcd"}},
        {"Hi! I am Cupid. I will help you save the city!", {"Hi! I am Cupid. I", "will help you", "save the city!"}},
        // A 25-character word: every character once, cut at 18.
        {"ABCDEFGHIJKLMNOPQRSTUVWXY", {"ABCDEFGHIJKLMNOPQR", "STUVWXY"}},
        {"ABCDEFGHIJKLMNOPQR STU", {"ABCDEFGHIJKLMNOPQR", "STU"}},
        {"A BCDEFGHIJKLMNOPQRSTUVWXYZ", {"A", "BCDEFGHIJKLMNOPQRS", "TUVWXYZ"}},
    };
    std::string tips;
    for (size_t i = 0; i < std::size(cases); ++i)
        tips += "tip" + std::to_string(i + 1) + "=\"" + cases[i].tip + "\" ";
    Tutorial* tutorial = OpenTutorialLevel(kOnePlate, tips);
    ASSERT_NE(tutorial, nullptr);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].tip);
        // Loading showed the first tip; each "custom" cue shows the next.
        if (i > 0)
            tutorial->OnCustomAction(nullptr);
        EXPECT_EQ(ScrollLines(*tutorial), cases[i].lines);
    }
}

// Tips are read while "tip1", "tip2", ... follow on, through the text keys;
// after the last the first comes again; without "tip1" nothing shows.
TEST_F(TutorialTest, TipsComeInTurnAndWrapAround)
{
    Tutorial* tutorial = OpenTutorialLevel(kOnePlate, "tip1=\"One\" tip2=\"LOSE_TIP\" tip3=\"Three\" tip5=\"Five\"");
    ASSERT_NE(tutorial, nullptr);
    EXPECT_EQ(ScrollLines(*tutorial), std::vector<std::string>{"One"});
    tutorial->OnCustomAction(nullptr);
    EXPECT_EQ(ScrollLines(*tutorial), (std::vector<std::string>{"You LOSE by", "letting items", "fall in the water!"}));
    tutorial->OnCustomAction(nullptr);
    EXPECT_EQ(ScrollLines(*tutorial), std::vector<std::string>{"Three"});
    // The fourth call of three tips: the first again.
    tutorial->OnCustomAction(nullptr);
    EXPECT_EQ(ScrollLines(*tutorial), std::vector<std::string>{"One"});

    NewPlayGame();
    UseSizedPictures();
    StartGame();
    tutorial = OpenTutorialLevel(kOnePlate, "tip2=\"Two\"");
    ASSERT_NE(tutorial, nullptr);
    tutorial->OnCustomAction(nullptr);
    Ticks(2);
    EXPECT_TRUE(ScrollLines(*tutorial).empty());
}

// The tutorial holds the shooter's fire: only while Cupid idles in a step,
// the building scrolls, the level is topmost and the mouse is off the quit
// button.
TEST_F(TutorialTest, PlayerThrowsOnlyWhenTheTutorialLets)
{
    Tutorial* tutorial = OpenTutorialLevel(kOnePlate);
    ASSERT_NE(tutorial, nullptr);
    ASSERT_TRUE(TickUntilReady());
    Shooter* shooter = GetShooter();

    // The mouse rests at (x, y), then clicks there: the fire flag before the
    // click, and how many treasures fly after it.
    const auto clickThrows = [this, shooter](float x, float y) {
        MovePointer(x, y);
        Ticks(2);
        const int fire = shooter->mFireEnabled;
        ClickAt(x, y);
        Ticks(3);
        return std::make_pair(fire, Flying().size());
    };
    // Before the steps a click throws nothing; over the quit button neither;
    // off it, it throws.
    tutorial->GoToStage("rules_2");
    EXPECT_EQ(clickThrows(300.0f, 400.0f), std::make_pair(0, size_t(0)));
    tutorial->GoToStage("1st_idle");
    EXPECT_EQ(clickThrows(700.0f, 50.0f), std::make_pair(0, size_t(0)));
    EXPECT_EQ(clickThrows(300.0f, 400.0f), std::make_pair(1, size_t(1)));

    // Not while the building does not scroll, nor under another screen.
    Middle()->GoToStage("still");
    Tick();
    EXPECT_EQ(shooter->mFireEnabled, 0);
    Middle()->GoToStage("scrolling");
    Tick();
    ASSERT_EQ(shooter->mFireEnabled, 1);
    OpenLevel("levels/cover.xml", "<object type=\"level\" name=\"cover\">\n" + Looping() + "</object>\n");
    Tick();
    EXPECT_EQ(shooter->mFireEnabled, 0);
}

// A step ends when no plate is left or the lowest one is above the screen:
// the playfield eases to the step's height in 2000 ms (half way at 1000 ms:
// (1 - cos 90) / 2 = 0.5) and scrolls again, Cupid flies on and the next tip
// shows. A plate on screen keeps the step going.
TEST_F(TutorialTest, ClearedStepMovesTheBuildingOn)
{
    struct Case {
        const char* idle;
        const char* after;
        const char* move;
        float y;
    };
    const Case cases[] = {
        {"1st_idle", "post_first_idle", "tut_next1", 224.0f},
        {"2nd_idle", "post_second_idle", "tut_next2", 410.0f},
        {"3rd_idle", "post_third_idle", "tut_next3", 580.0f},
        {"4th_idle", "5th_idle", "tut_next4", 0.0f},
    };
    const std::vector<TestPlate> layouts[] = {{}, {{150.0f, -50.0f, {{5, 0.0f, 0.0f}}}}, kOnePlate};
    const char* layoutNames[] = {"no plate", "plate above the top", "plate on screen"};
    for (const Case& c : cases) {
        for (int layout = 0; layout < 3; ++layout) {
            SCOPED_TRACE(std::string(c.idle) + ", " + layoutNames[layout]);
            NewPlayGame();
            UseSizedPictures();
            StartGame();
            Tutorial* tutorial = OpenTutorialLevel(layouts[layout], "tip1=\"One\" tip2=\"Two\"");
            ASSERT_NE(tutorial, nullptr);
            Ticks(2);
            tutorial->GoToStage(c.idle);
            Tick();
            if (layout == 2) {
                EXPECT_EQ(StageOf(Middle()), "scrolling");
                EXPECT_EQ(StageOf(tutorial), c.idle);
                continue;
            }
            EXPECT_EQ(StageOf(Middle()), c.move);
            EXPECT_EQ(StageOf(tutorial), c.after);
            // The stage runs from the next tick: 500 ticks for 2000 ms.
            Ticks(251);
            EXPECT_NEAR(Middle()->mLocal[kAttrY], c.y / 2.0f, 0.01f);
            Ticks(250);
            EXPECT_EQ(Middle()->mLocal[kAttrY], c.y);
            // Without plates the next step follows at once.
            if (layout == 1) {
                EXPECT_EQ(StageOf(Middle()), "scrolling");
            }
        }
    }
}

// In step 1 Cupid flies to 120 left of and above the empty slot of the ready
// treasure's kind, in 604 ms, and stays; a second slot of that kind does not
// pull it away, a filled one lets it go; a slot that dies is no target.
TEST_F(TutorialTest, CupidPointsAtTheMatchingSlot)
{
    const std::vector<TestPlate> plates = {{300.0f, 250.0f, {{5, -40.0f, 0.0f}, {6, 0.0f, 20.0f}, {5, 40.0f, 0.0f}}}};
    Tutorial* tutorial = OpenTutorialLevel(plates);
    ASSERT_NE(tutorial, nullptr);
    ASSERT_TRUE(TickUntilReady());
    Jewel* ready = GetShooter()->ReadyPiece();
    ready->SetKind(5);
    tutorial->GoToStage("1st_idle");
    Ticks(151);
    EXPECT_EQ(tutorial->mLocal[kAttrX], 140.0f); // 300 - 40 - 120
    EXPECT_EQ(tutorial->mLocal[kAttrY], 130.0f); // 250 - 120
    // The looping stage starts again where Cupid is.
    Ticks(200);
    EXPECT_EQ(tutorial->mLocal[kAttrX], 140.0f);
    EXPECT_EQ(tutorial->mLocal[kAttrY], 130.0f);

    ready->SetKind(6);
    Ticks(151);
    EXPECT_EQ(tutorial->mLocal[kAttrX], 180.0f);
    EXPECT_EQ(tutorial->mLocal[kAttrY], 150.0f);

    AnimObject* plate = Inner()->FindChildOfKind(kKindPlate);
    std::vector<Slot*> slots;
    for (AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (auto* slot = dynamic_cast<Slot*>(child))
            slots.push_back(slot);
    }
    ASSERT_EQ(slots.size(), 3u);
    slots[0]->mFilled = 1;
    ready->SetKind(5);
    Ticks(151);
    EXPECT_EQ(tutorial->GetTargetSlot(), slots[2]);
    EXPECT_EQ(tutorial->mLocal[kAttrX], 220.0f);
    EXPECT_EQ(tutorial->mLocal[kAttrY], 130.0f);

    plate->mRemove = 1;
    Tick();
    EXPECT_EQ(tutorial->GetTargetSlot(), nullptr);
    EXPECT_EQ(StageOf(tutorial), "post_first_idle");
}

} // namespace

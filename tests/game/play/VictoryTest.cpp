#include "ShooterLevelFixture.h"

#include "game/engine/TextObject.h"
#include "game/play/ProgressBar.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class VictoryTest : public ShooterLevelFixture {
protected:
    Level* Open(int mode, const std::string& middleStage, const std::string& shooterChildren = "")
    {
        LoadConfig({{"reload_time", "40"}, {"difficulty_change_on_win", "0.5"}, {"max_difficulty", "10"}});
        SetMode(mode);
        TestLevelSpec spec;
        spec.middleStages = {middleStage, "victory"};
        spec.shooterChildren = shooterChildren;
        Level* level = OpenTestLevel(spec);
        if (level != nullptr)
            level->mLevelNumber = 15;
        Ticks(3);
        return level;
    }
    // The test takes every plate off the building, between two ticks.
    void RemovePlates()
    {
        for (AnimObject* plate = Inner()->FindChildOfKind(kKindPlate); plate != nullptr;
             plate = Inner()->FindChildOfKind(kKindPlate))
            Inner()->mChildren.Remove(plate);
    }
    const TextObject* VictoryText(Level& level) const
    {
        for (AnimObject* child = level.mChildren.Head(); child != nullptr; child = child->mNext) {
            const auto* text = dynamic_cast<const TextObject*>(child);
            if (text != nullptr && text->GetText() == "VICTORY!")
                return text;
        }
        return nullptr;
    }
};

// A level is won at the first tick without plates while its field is
// exactly "scrolling" or "still"; never in Survival, never by a field whose
// name only contains one of them.
TEST_F(VictoryTest, WonOnlyOnAPlayingField)
{
    struct Case {
        int mode;
        const char* stage;
        bool won;
    };
    const Case cases[] = {{0, "scrolling", true}, {1, "scrolling", true}, {3, "still", true},
                          {0, "scrolling2", false}, {2, "scrolling", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stage) + " in mode " + std::to_string(c.mode));
        NewPlayGame();
        UseSizedPictures();
        ASSERT_NE(Open(c.mode, c.stage), nullptr);
        RemovePlates();
        Tick();
        EXPECT_EQ(StageOf(Middle()), c.won ? "victory" : c.stage);
        EXPECT_EQ(Profile().mProgress[c.mode], c.won ? 15 : 0);
    }
}

// A normal win: "VICTORY!" over the level, the win music's fade, earlier
// texts gone, the shooter's wings off and its fish jumping, the difficulty
// one step up.
TEST_F(VictoryTest, NormalWinShowsItsShow)
{
    const std::string fish = "<object type=\"plain\" name=\"fish\">\n" + Looping("swim") + Looping("jump") + "</object>\n";
    Level* level = Open(0, "scrolling", fish);
    ASSERT_NE(level, nullptr);
    TextObject* earlier = new TextObject;
    earlier->SetText("HELLO", "gfx\\font1.png");
    std::strcpy(earlier->mName, "earlier");
    earlier->AddStage(100000.0f, 0, 0, 1, nullptr);
    level->AddChild(earlier);
    GetShooter()->mWingsTimer = 900;
    const float difficulty = Profile().mDifficulty;
    RemovePlates();
    Tick();
    // Gone, or going at its next update.
    if (const AnimObject* left = level->FindChildByName("earlier")) {
        EXPECT_EQ(left->mRemove, 1);
    }
    EXPECT_NE(VictoryText(*level), nullptr);
    EXPECT_EQ(level->mWinFadeTimer, 82.0f);
    EXPECT_EQ(GetShooter()->mWingsTimer, 0);
    EXPECT_EQ(StageOf(GetShooter()->FindChildByName("fish")), "jump");
    EXPECT_FLOAT_EQ(Profile().mDifficulty, difficulty + 0.5f);
    EXPECT_EQ(Plays("audio\\trickshot_made.ogg"), 0);
}

// A trick made: its sound, no victory text; in Trickshot the trick's entry of
// the 8 x 13 table and the streak. A number past the table marks nothing.
TEST_F(VictoryTest, TrickMadeMarksTheTable)
{
    for (uint32_t number : {15u, 104u}) {
        SCOPED_TRACE(number);
        NewPlayGame();
        UseSizedPictures();
        Level* level = Open(3, "still");
        ASSERT_NE(level, nullptr);
        level->mLevelNumber = number;
        Profile().mTrickStreak = 4;
        RemovePlates();
        Tick();
        EXPECT_EQ(StageOf(Middle()), "victory");
        EXPECT_EQ(Plays("audio\\trickshot_made.ogg"), 1);
        EXPECT_EQ(VictoryText(*level), nullptr);
        EXPECT_EQ(Profile().mTrickStreak, 5);
        int marked = 0;
        for (const auto& row : Profile().mTrickDone) {
            for (int32_t done : row)
                marked += done;
        }
        EXPECT_EQ(marked, number == 15u ? 1 : 0);
        if (number == 15u) {
            EXPECT_EQ(Profile().mTrickDone[1][2], 1);
        }
    }
}

// Under a summary screen the win waits until the level is on top again.
TEST_F(VictoryTest, WinWaitsUntilTheLevelIsTopmost)
{
    Level* level = Open(0, "scrolling");
    ASSERT_NE(level, nullptr);
    // Each screen publishes its own layers: keep the level's.
    AnimObject* middle = Middle();
    Level* cover = OpenLevel("levels/cover.xml", "<object type=\"level\" name=\"cover\">\n" + Looping() + "</object>\n");
    RemovePlates();
    Ticks(10);
    EXPECT_EQ(StageOf(middle), "scrolling");
    cover->mRemove = 1;
    Tick();
    // The cover went at the end of that tick: the level wins at the next.
    EXPECT_EQ(StageOf(middle), "scrolling");
    Tick();
    EXPECT_EQ(StageOf(middle), "victory");
}

// A plate removed during the tick counts from the next tick when the bar
// is updated before the building, in the same tick when after it.
TEST_F(VictoryTest, WinTickDependsOnTheBarsPlace)
{
    for (float barZ : {-1.0f, 5.0f}) {
        SCOPED_TRACE(barZ);
        NewPlayGame();
        UseSizedPictures();
        Level* level = Open(0, "scrolling");
        ASSERT_NE(level, nullptr);
        level->FindChildByName("bar")->SetZOrder(barZ);
        Inner()->FindChildOfKind(kKindPlate)->mRemove = 1;
        Tick();
        EXPECT_EQ(StageOf(Middle()), barZ > 0.0f ? "victory" : "scrolling");
        Tick();
        EXPECT_EQ(StageOf(Middle()), "victory");
    }
}

// Without a shooter the level is still won; without its plate container
// there is no playfield to win.
TEST_F(VictoryTest, MissingShooterOrContainer)
{
    Level* level = Open(0, "scrolling");
    ASSERT_NE(level, nullptr);
    level->mChildren.Remove(GetShooter());
    RemovePlates();
    Tick();
    EXPECT_EQ(StageOf(Middle()), "victory");

    NewPlayGame();
    UseSizedPictures();
    level = Open(0, "scrolling");
    AnimObject* middle = Middle();
    middle->mChildren.Remove(Inner());
    Ticks(3);
    EXPECT_EQ(StageOf(middle), "scrolling");
}

} // namespace

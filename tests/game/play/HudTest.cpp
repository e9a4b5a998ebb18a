#include "ShooterLevelFixture.h"

#include "game/engine/EasingKind.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/TextObject.h"
#include "game/play/EndlessPanel.h"
#include "game/play/Panel.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class HudTest : public ShooterLevelFixture {
protected:
    void SetUp() override { LoadConfig({{"reload_time", "40"}}); }

    Panel* GetPanel() const { return dynamic_cast<Panel*>(CurrentTestLevel()->FindChildByName("panel")); }
    // The last text the HUD drew in a frame.
    std::string LastDrawnText()
    {
        DrawChecksum();
        const auto* text = dynamic_cast<const TextObject*>(mGame->mSharedText.get());
        return text != nullptr ? text->GetText() : "";
    }
};

// A score change puts the score at 1.2 times its size; it shrinks a fiftieth
// of the way back each tick and is at rest again on the 149th tick
// (0.2 x 0.98^148 = 0.01004, 0.2 x 0.98^149 = 0.00984).
TEST_F(HudTest, ScoreScaleSettlesAfter149Ticks)
{
    OpenTestLevel();
    Ticks(5);
    ASSERT_EQ(GetPanel()->mScoreScale, 1.0f);
    Profile().mScore += 250;
    Tick();
    EXPECT_NEAR(GetPanel()->mScoreScale, 1.196f, 1e-5f);
    Ticks(147);
    EXPECT_GT(GetPanel()->mScoreScale, 1.01f);
    Tick();
    EXPECT_EQ(GetPanel()->mScoreScale, 1.0f);
}

// A Journey panel shows the tries as "x" and tries + 1, never below 0, and
// takes the relaxed picture; other modes show only the score.
TEST_F(HudTest, RelaxedPanelShowsTriesLeft)
{
    SetMode(1);
    OpenTestLevel();
    Ticks(2);
    ASSERT_EQ(GetPanel()->mRelaxed, 1);
    ASSERT_NE(GetPanel()->mImage, nullptr);
    EXPECT_STREQ(GetPanel()->mImage->mName, "gfx\\panel_relaxed.png");
    const int modeTries[][2] = {{2, 3}, {0, 1}, {-1, 0}, {-5, 0}};
    for (const auto& [tries, shown] : modeTries) {
        Profile().mTries[1] = tries;
        EXPECT_EQ(LastDrawnText(), "x" + std::to_string(shown)) << tries;
    }

    NewPlayGame();
    UseSizedPictures();
    SetMode(0);
    OpenTestLevel();
    Ticks(2);
    EXPECT_EQ(GetPanel()->mRelaxed, 0);
    Profile().mScore = 4321;
    EXPECT_EQ(LastDrawnText(), "4321");
}

// With a tutorial the score stays 0 and the panel leaves fire to the
// tutorial.
TEST_F(HudTest, TutorialKeepsScoreAtZeroAndFireToItself)
{
    OpenTestLevel();
    Ticks(2);
    ASSERT_EQ(GetShooter()->mFireEnabled, 1);
    AnimObject* tutorial = AnimObject::TakeFromPool();
    tutorial->mKind = kKindTutorial;
    tutorial->AddStage(1000.0f, 1, 1, 1, nullptr);
    CurrentTestLevel()->AddChild(tutorial);
    GetShooter()->mFireEnabled = 0;
    Profile().mScore = 700;
    Ticks(3);
    EXPECT_EQ(Profile().mScore, 0);
    EXPECT_EQ(GetShooter()->mFireEnabled, 0);
}

// A click on a panel button (a child that shows its hover on its frame)
// throws nothing; the same click elsewhere throws.
TEST_F(HudTest, PanelButtonHoldsFire)
{
    OpenTestLevel();
    AnimObject* button = AnimObject::TakeFromPool();
    button->SetImage("gfx\\button.png", 0.0f, 0.0f, 1, 0.0f);
    button->AddStage(1000.0f, 1, 1, 1, nullptr);
    button->AddFilter(kEasingHotSpot, kAttrFrameNumber, 0.0f, 0.0f, 0.0f);
    GetPanel()->AddChild(button);
    // Over the button (the panel's place, 400, 580), then away from it.
    MovePointer(400.0f, 580.0f);
    ASSERT_TRUE(TickUntilReady());
    Tick();
    ASSERT_EQ(button->mHot, 1);
    MovePointer(400.0f, 580.0f, true);
    Tick();
    EXPECT_TRUE(Flying().empty());
    MovePointer(400.0f, 300.0f);
    Ticks(2);
    ClickAt(400.0f, 300.0f);
    Tick();
    EXPECT_EQ(Flying().size(), 1u);
}

// The Survival clock is the panel's own tick count: 15250 ticks read 1:01.
TEST_F(HudTest, SurvivalClockShowsMinutesAndSeconds)
{
    Level* level = OpenLevel("levels/clock.xml", "<object type=\"level\" name=\"clock\">\n" + Looping() +
                                                     "<object type=\"endless_panel\" name=\"endlesspan\">\n" + Looping() +
                                                     Still(400.0f, 20.0f) + "</object>\n</object>\n");
    ASSERT_NE(level, nullptr);
    auto* clockPanel = dynamic_cast<EndlessPanel*>(level->FindChildByName("endlesspan"));
    ASSERT_NE(clockPanel, nullptr);
    Ticks(15250);
    EXPECT_EQ(LastDrawnText(), "Time: 1:01");
    // Saved and read back, it is still the clock.
    std::string xml;
    clockPanel->WriteTypeAttributes(xml);
    EXPECT_NE(xml.find("type=\"endless_panel\""), std::string::npos);
}

} // namespace

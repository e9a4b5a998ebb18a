// The committed data played from the main menu with the gameplay's hooks: a
// new player's menu dims the modes not open yet, the Journey button goes
// through the loading screen to the tutorial, and a closed mode's
// button opens nothing.
#include "CommittedPlayFixture.h"

#include "game/engine/GameDataLoader.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/TextObject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ModeRunTest : public LumoTest::CommittedPlayFixture {
protected:
    void SetUp() override
    {
        CommittedPlayFixture::SetUp();
        InsertLevelByName("main_menu");
        Ticks(150);
    }

    void Click(int x, int y)
    {
        mHost.mouseX = x;
        mHost.mouseY = y;
        mGame->mInput.MouseDown(1);
        mGame->mInput.MouseUp(1);
        Ticks(2);
    }

    std::vector<std::string> ScreenNames() const
    {
        std::vector<std::string> names;
        for (AnimObject* screen = mGame->mLiveObjects.Head(); screen != nullptr; screen = screen->mNext)
            names.push_back(screen->mName);
        return names;
    }

    TextObject* Caption(const char* locker) const
    {
        AnimObject* plaque = mGame->mLiveObjects.Head()->FindChildByName(locker);
        return plaque != nullptr ? dynamic_cast<TextObject*>(plaque->FindChildOfKind(kKindTextObject)) : nullptr;
    }
};

TEST_F(ModeRunTest, ANewPlayersJourneyButtonLeadsThroughLoadingToTheTutorial)
{
    ASSERT_EQ(ScreenNames(), (std::vector<std::string>{"main_menu"}));
    for (const char* closed : {"mode_flood", "mode_trickshot", "mode_survival"}) {
        SCOPED_TRACE(closed);
        TextObject* caption = Caption(closed);
        ASSERT_NE(caption, nullptr);
        EXPECT_FLOAT_EQ(caption->mLocal[kAttrAlpha], 0.5f);
    }
    ASSERT_NE(Caption("mode_journey"), nullptr);
    EXPECT_FLOAT_EQ(Caption("mode_journey")->mLocal[kAttrAlpha], 1.0f);

    // A closed mode's button does nothing.
    Click(400, 250);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"main_menu"}));
    EXPECT_EQ(mGame->mProfiles.Current().mMode, 0);

    Click(400, 172);
    // The click sends the caption to its short "pressed" stage, which acts as it starts.
    Ticks(3);
    EXPECT_EQ(mGame->mProfiles.Current().mMode, 1);
    ASSERT_FALSE(ScreenNames().empty());
    EXPECT_EQ(ScreenNames().back(), "loading");
    // A new player's first building is the tutorial.
    Ticks(600);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"tutorial2"}));
    EXPECT_EQ(mPlay.mModes.nextLevelNumber, 0u);
}

// The committed map after Journey's third building: the marker stands at the
// fourth, the quote for the place shows, and the map's play button, built
// after the map, leaves the fourth building as the one to play (and replay).
TEST_F(ModeRunTest, TheMapAfterTheThirdBuildingPointsAtTheFourth)
{
    PlayerProfile& player = mGame->mProfiles.Current();
    player.mMode = 1;
    player.mProgress[1] = 3;
    player.mLevelSelect = 1;
    InsertLevelByName("level_select");
    Ticks(2);
    ASSERT_EQ(ScreenNames(), (std::vector<std::string>{"level_select"}));
    AnimObject* screen = mGame->Topmost();
    AnimObject* strip = screen->FindChildByName("strip");
    ASSERT_NE(strip, nullptr);
    AnimObject* mapLayer = strip->FindChildByName("map");
    ASSERT_NE(mapLayer, nullptr);
    EXPECT_NE(mapLayer->FindChildByName("marker"), nullptr);
    EXPECT_EQ(mPlay.mModes.nextLevelNumber, 4u);
    EXPECT_EQ(mPlay.ResolveTextKey("THIS_LEVEL"), "4");
    int quoteRows = 0;
    for (AnimObject* child = screen->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (auto* text = dynamic_cast<TextObject*>(child))
            quoteRows += text->GetFont() != nullptr && std::string(text->GetFontName()) == "gfx\\font2.png" ? 1 : 0;
    }
    EXPECT_GE(quoteRows, 1);
    for (const std::string& message : mMessages)
        EXPECT_EQ(message.find("cannot be"), std::string::npos) << message;
}

} // namespace

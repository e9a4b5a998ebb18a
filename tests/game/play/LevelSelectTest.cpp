// The level-select map over a test-written level list: which buildings get a
// thumbnail and where, the walking marker at the player's place, how the
// strip scrolls in, and the scroll buttons.
#include "game/engine/ObjectLoader.h"
#include "game/engine/Stage.h"
#include "game/play/LevelScroller.h"
#include "game/play/LevelSelect.h"
#include "game/play/Layer.h"
#include "ModeFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr float kThumbWidth = 450.0f; // a ninth of it, less 4, per building: 46

class LevelSelectTest : public ModeFixture {
protected:
    // Two screens without a thumbnail, 20 thumbnailed levels and the win sequence.
    void WriteList()
    {
        AddRecord(mGame->mMainLevels, 0, "main_menu", "", "<object type=\"level\" name=\"main_menu\">\n</object>\n");
        for (int n = 1; n <= 20; ++n) {
            const std::string name = "level_" + std::to_string(n);
            const std::string thumb = "gfx\\thumbs\\t" + std::to_string(n) + ".png";
            modeHost.sizes[thumb] = {int(kThumbWidth), 100};
            AddRecord(mGame->mMainLevels, n, name.c_str(), "",
                      "<object type=\"level\" name=\"" + name + "\" thumbnail=\"" + thumb + "\">\n</object>\n");
        }
        AddRecord(mGame->mMainLevels, 0, "loading", "", "<object type=\"level\" name=\"loading\">\n</object>\n");
        modeHost.sizes["gfx\\thumbs\\win.png"] = {int(kThumbWidth), 100};
        AddRecord(mGame->mMainLevels, 21, "win_sequence", "",
                  "<object type=\"level\" name=\"win_sequence\" thumbnail=\"gfx\\thumbs\\win.png\">\n</object>\n");
    }

    // The map screen: two layers, each with a short first stage and an
    // endless one, the map in the inner one, scroll buttons either side.
    void OpenMap(int progress)
    {
        SetMode(0, progress);
        screen = AddScreen("level_select");
        screen->AddStage(1000.0f, 1, 1, 1, nullptr);
        AnimObject* parent = screen;
        for (AnimObject** layer : {&outer, &middle}) {
            *layer = parent->AddChild(new Layer);
            ASSERT_NE(*layer, nullptr);
            CopyToField((*layer)->mName, "layer");
            (*layer)->AddStage(400.0f, 0, 0, 1, nullptr);
            (*layer)->AddStage(1000.0f, 1, 1, 1, nullptr);
            parent = *layer;
        }
        map = dynamic_cast<LevelSelect*>(CreateObjectsFromXml(
            "<object type=\"level_select\" name=\"map\">\n<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
            "</object>\n",
            middle, "level_select.xml"));
        ASSERT_NE(map, nullptr);
        for (float x : {-350.0f, 350.0f}) {
            AnimObject* button = CreateObjectsFromXml(
                "<object type=\"level_scroller\">\n<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n</object>\n",
                screen, "level_select.xml");
            ASSERT_NE(button, nullptr);
            button->mLocal[kAttrX] = x;
            (x < 0.0f ? leftButton : rightButton) = button;
        }
    }

    std::vector<float> ThumbnailXs() const
    {
        std::vector<float> xs;
        for (AnimObject* child = map->mChildren.Head(); child != nullptr; child = child->mNext)
            xs.push_back(child->CurrentStage()->mStart[kAttrX]);
        return xs;
    }

    AnimObject* Marker() const { return middle->FindChildByName("marker"); }

    Level* screen = nullptr;
    AnimObject* outer = nullptr;
    AnimObject* middle = nullptr;
    LevelSelect* map = nullptr;
    AnimObject* leftButton = nullptr;
    AnimObject* rightButton = nullptr;
};

TEST_F(LevelSelectTest, EveryNinthBuildingAndTheWinSequenceGetAThumbnail)
{
    WriteList();
    OpenMap(3);
    // Buildings 1, 10 and 19 (counted from 0) at 100 + 46 per building; the
    // win sequence 90 further on. Later thumbnails lie below earlier ones.
    EXPECT_EQ(ThumbnailXs(), (std::vector<float>{1110.0f, 974.0f, 560.0f, 146.0f}));
    EXPECT_FLOAT_EQ(map->mThumbnailCount, 21.0f);
    EXPECT_FLOAT_EQ(map->TotalWidth(), 4 * kThumbWidth);
    // The width is the map layer's horizontal extent.
    EXPECT_FLOAT_EQ(static_cast<Layer*>(middle)->mHorizontalExtent, 4 * kThumbWidth);
    for (AnimObject* child = map->mChildren.Head(); child != nullptr; child = child->mNext)
        EXPECT_FLOAT_EQ(child->CurrentStage()->mStart[kAttrY], -110.0f);
}

TEST_F(LevelSelectTest, TheMarkerWalksToThePlayersPlace)
{
    WriteList();
    play.mModes.nextLevelNumber = 9;
    OpenMap(3);
    AnimObject* marker = Marker();
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(play.mModes.nextLevelNumber, 3u);
    EXPECT_FLOAT_EQ(marker->mZOrder, 12.0f);
    EXPECT_EQ(marker->mClipBottom, 580);
    // Building 3 lies at 100 + 3 x 46 = 238; the marker stands 440 left of
    // it, coming from the building before (46 further left), 190 below the map.
    const Stage* standing = marker->mStages.Head();
    ASSERT_EQ(marker->mStages.Count(), 3);
    const Stage* walking = standing->mNext;
    const Stage* arrived = walking->mNext;
    EXPECT_FLOAT_EQ(standing->mStart[kAttrX], -248.0f);
    EXPECT_FLOAT_EQ(standing->mStart[kAttrY], 190.0f);
    EXPECT_FLOAT_EQ(walking->mStart[kAttrX], -248.0f);
    EXPECT_FLOAT_EQ(walking->mEnd[kAttrX], -202.0f);
    EXPECT_FLOAT_EQ(walking->mLength, 500.0f);
    EXPECT_FLOAT_EQ(arrived->mEnd[kAttrX], -202.0f);
    EXPECT_NE(walking->FindFilter(0, kAttrAll), nullptr);
    EXPECT_EQ(arrived->mLoopStart, 1);

    // After the first draw a returning player's marker stands only a quarter as long.
    EXPECT_FLOAT_EQ(standing->mLength, 375.0f);
    Ticks(1);
    DrawChecksum();
    EXPECT_EQ(map->mLaidOut, 1);
    EXPECT_FLOAT_EQ(standing->mLength, 375.0f / 4.0f);
    EXPECT_FLOAT_EQ(outer->mStages.Head()->mLength, 100.0f);
}

TEST_F(LevelSelectTest, ANewPlayerWatchesTheStripScrollInAtHalfSpeed)
{
    WriteList();
    OpenMap(0);
    AnimObject* marker = Marker();
    ASSERT_NE(marker, nullptr);
    // The first building: the marker comes from 120 further left.
    EXPECT_FLOAT_EQ(marker->mStages.Head()->mStart[kAttrX], -460.0f);
    EXPECT_EQ(play.mModes.nextLevelNumber, 0u);
    DrawChecksum();
    EXPECT_EQ(map->mLaidOut, 0); // nothing before the first update
    Ticks(1);
    DrawChecksum();
    EXPECT_EQ(map->mLaidOut, 1);
    for (AnimObject* layer : {outer, middle}) {
        const Stage* first = layer->mStages.Head();
        EXPECT_FLOAT_EQ(first->mLength, 200.0f);
        EXPECT_FLOAT_EQ(first->mStart[kAttrX], -900.0f); // half the thumbnails' width
        EXPECT_FLOAT_EQ(first->mEnd[kAttrX], 0.0f);
    }
}

TEST_F(LevelSelectTest, NoMarkerPastTheLastBuildingOrForAnEmptyList)
{
    WriteList();
    play.mModes.nextLevelNumber = 7;
    OpenMap(30);
    EXPECT_EQ(Marker(), nullptr);
    EXPECT_EQ(play.mModes.nextLevelNumber, 7u);
    Ticks(1);
    DrawChecksum();
    EXPECT_FLOAT_EQ(outer->mStages.Head()->mEnd[kAttrX], 0.0f);

    mGame->mLiveObjects.RemoveAll();
    mGame->mMainLevels.RemoveAll();
    OpenMap(0);
    EXPECT_EQ(Marker(), nullptr);
    EXPECT_TRUE(map->mChildren.IsEmpty());
    Ticks(1);
    DrawChecksum();
    EXPECT_EQ(play.mModes.nextLevelNumber, 7u);
}

TEST_F(LevelSelectTest, ScrollButtonsMoveOnlyTowardsThumbnailsOffScreen)
{
    WriteList();
    OpenMap(3);
    Ticks(150); // past the layers' first stages
    ASSERT_NE(outer->CurrentStage(), outer->mStages.Head());
    // Nothing lies left of the screen: the left button does nothing.
    leftButton->OnCustomAction("");
    EXPECT_NE(outer->CurrentStage(), outer->mStages.Head());
    // Thumbnails lie beyond the right edge: the strip moves half a screen left.
    const float x = outer->mLocal[kAttrX];
    rightButton->OnCustomAction("");
    const Stage* scroll = outer->CurrentStage();
    ASSERT_EQ(scroll, outer->mStages.Head());
    EXPECT_STREQ(scroll->mName, "scroll");
    EXPECT_FLOAT_EQ(scroll->mLength, 300.0f);
    EXPECT_FLOAT_EQ(scroll->mEnd[kAttrX], x - 400.0f);
    // A second press while it scrolls does nothing.
    rightButton->OnCustomAction("");
    EXPECT_FLOAT_EQ(outer->mStages.Head()->mEnd[kAttrX], x - 400.0f);
    Ticks(310);
    EXPECT_FLOAT_EQ(outer->mLocal[kAttrX], x - 400.0f);
    // Now the first thumbnail lies off the left edge: the left button brings it back.
    leftButton->OnCustomAction("");
    EXPECT_FLOAT_EQ(outer->mStages.Head()->mEnd[kAttrX], x);
}

} // namespace

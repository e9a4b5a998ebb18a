// Mode buttons of the menu while their mode is closed: the caption dimmed
// and disarmed, a lock either side of it and a tooltip that says how to open
// the mode; open modes' buttons untouched.
#include "game/engine/ObjectLoader.h"
#include "game/engine/Stage.h"
#include "game/engine/StripFont.h"
#include "game/engine/TextBlock.h"
#include "game/engine/TextObject.h"
#include "ModeFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class LevelLockerTest : public ModeFixture {
protected:
    // The menu with one mode button in a locker; a click opens "mode_start".
    void BuildMenu(const char* caption)
    {
        AddRecord(mGame->mMainLevels, 0, "mode_start", "",
                  "<object type=\"level\" name=\"mode_start\">\n<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                  "</object>\n");
        const std::string menu =
            std::string("<object type=\"level\" name=\"main_menu\">\n"
                        "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                        "\t<object type=\"level_locker\" name=\"locker\">\n"
                        "\t<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                        "\t\t<object type=\"text\" string=\"") +
            caption +
            "\" font=\"gfx\\font1.png\" spacing=\"2\">\n"
            "\t\t<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
            "\t\t\t<attribute type=\"x_scale\" start=\"0.8\" end=\"0.8\">\n"
            "\t\t\t<attribute type=\"x\" start=\"400\" end=\"400\">\n"
            "\t\t\t<attribute type=\"y\" start=\"300\" end=\"300\">\n"
            "\t\t\t<event type=\"click\" action=\"insert_level\" parm1=\"mode_start\">\n"
            "\t\t\t<object type=\"tooltip\" text=\"Open\" font=\"gfx\\font1_tiny.png\">\n"
            "\t\t\t<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
            "\t\t\t</object>\n"
            "\t\t</object>\n"
            "\t</object>\n"
            "</object>\n";
        CreateObjectsFromXml(menu.c_str(), nullptr, "main_menu.xml");
        menuScreen = Topmost();
        ASSERT_NE(menuScreen, nullptr);
        locker = menuScreen->FindChildByName("locker");
        ASSERT_NE(locker, nullptr);
        text = dynamic_cast<TextObject*>(locker->FindChildOfKind(kKindTextObject));
        ASSERT_NE(text, nullptr);
    }

    int Locks() const
    {
        int count = 0;
        for (AnimObject* child = locker->mChildren.Head(); child != nullptr; child = child->mNext)
            count += child->mKind == 0 ? 1 : 0;
        return count;
    }

    std::string TooltipText() const
    {
        auto* tooltip = dynamic_cast<TextBlock*>(text->FindChildOfKind(kKindTextBlock));
        return tooltip != nullptr ? tooltip->mText : "";
    }

    // Clicks the caption's first letter and reports whether the mode's screen opened.
    bool ClickOpens()
    {
        Ticks(5);
        const AnimObject* letter = text->FindChildOfKind(0);
        if (letter == nullptr)
            return false;
        Pointer(letter->mWorld[kAttrX], letter->mWorld[kAttrY], true);
        Ticks(2);
        return Topmost() != nullptr && std::string(Topmost()->mName) == "mode_start";
    }

    Level* menuScreen = nullptr;
    AnimObject* locker = nullptr;
    TextObject* text = nullptr;
};

TEST_F(LevelLockerTest, ClosedModesAreDimmedLockedAndExplained)
{
    struct Case {
        const char* caption;
        int flood, trick, survival;
        const char* tip; // null: left as it is
    };
    const Case cases[] = {
        {"FLOOD", 0, 1, 1, "Play a little Journey first!"},
        {"FLOOD", 1, 0, 0, nullptr},
        {"TRICKSHOT", 1, 0, 1, "Beat all of Journey to unlock!"},
        {"SURVIVAL", 1, 1, 0, "Beat all of Flood to unlock!"},
        {"SURVIVAL", 0, 0, 1, nullptr},
        {"JOURNEY", 0, 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.caption << " " << c.flood << c.trick << c.survival);
        mGame->mLiveObjects.RemoveAll();
        mGame->mMainLevels.RemoveAll();
        Player().mFloodUnlocked = c.flood;
        Player().mTrickshotUnlocked = c.trick;
        Player().mSurvivalUnlocked = c.survival;
        BuildMenu(c.caption);
        if (c.tip == nullptr) {
            EXPECT_FLOAT_EQ(text->mLocal[kAttrAlpha], 1.0f);
            EXPECT_EQ(Locks(), 0);
            EXPECT_EQ(TooltipText(), "Open");
            EXPECT_TRUE(ClickOpens());
            continue;
        }
        EXPECT_FLOAT_EQ(text->mLocal[kAttrAlpha], 0.5f);
        ASSERT_EQ(text->mStages.Count(), 1);
        EXPECT_FLOAT_EQ(text->CurrentStage()->mEnd[kAttrAlpha], 0.5f);
        // The letters keep their size and place.
        const AnimObject* letter = text->FindChildOfKind(0);
        ASSERT_NE(letter, nullptr);
        ASSERT_EQ(letter->mStages.Count(), 1);
        EXPECT_FLOAT_EQ(letter->CurrentStage()->mEnd[kAttrXScale], 0.8f);
        EXPECT_GT(letter->CurrentStage()->mEnd[kAttrX], 380.0f);
        EXPECT_EQ(TooltipText(), c.tip);
        // Locks either side of the caption measured at 0.59 of its size.
        const float half = StripFont::MeasureString(text->GetFont(), c.caption, 0.59f, 2.0f) / 2.0f;
        EXPECT_GT(half, 0.0f);
        ASSERT_EQ(Locks(), 2);
        EXPECT_FLOAT_EQ(locker->mChildren.Head()->mLocal[kAttrX] + locker->mChildren.Head()->mNext->mLocal[kAttrX],
                        0.0f);
        float lockX = 0.0f;
        for (AnimObject* child = locker->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == 0)
                lockX = std::max(lockX, child->mLocal[kAttrX]);
        }
        EXPECT_FLOAT_EQ(lockX, half + 16.0f);
        EXPECT_FALSE(ClickOpens());
    }
}

} // namespace

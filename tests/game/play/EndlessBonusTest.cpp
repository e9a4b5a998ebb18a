// The Survival summary's bonus played through ticks: the minute texts, the
// points paid, the roll entry with the time, the clock held still and one
// minute marker put out per 1000 paid.
#include "game/engine/ObjectLoader.h"
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "ModeFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class EndlessBonusTest : public ModeFixture {
protected:
    // The lost Survival level with its clock at the ticks and its minute
    // markers, and the bonus of its summary built under it.
    void LoseSurvivalAfter(float ticks, int markers)
    {
        SetMode(2, 0);
        Player().mScore = 20000;
        level = AddScreen("endless");
        level->AddStage(1000.0f, 1, 1, 1, nullptr);
        clock = AddChildOfKind(level, kKindEndlessPanel, "endlesspan");
        clock->AddStage(1000.0f, 1, 1, 1, nullptr);
        clock->mFrameCounter = ticks;
        for (int i = 0; i < markers; ++i) {
            AnimObject* marker = AddChildOfKind(level, 0, "endless_marker");
            marker->AddStage(1000.0f, 1, 1, 1, nullptr);
        }
        bonus = CreateObjectsFromXml("<object type=\"endless_bonus\" name=\"bonus\">\n<stage ms=\"400\">\n</object>\n",
                                     level, "endless_summary.xml");
        ASSERT_NE(bonus, nullptr);
    }

    std::vector<std::string> Minutes() const
    {
        std::vector<std::string> texts;
        for (AnimObject* child = bonus->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (auto* text = dynamic_cast<TextObject*>(child))
                texts.push_back(text->GetText());
        }
        return texts;
    }

    // Markers still lit: not glowing, not fading, not gone.
    int MarkersLit() const
    {
        int lit = 0;
        for (AnimObject* marker = level->FindChildByName("endless_marker"); marker != nullptr;
             marker = level->FindChildByName("endless_marker", marker)) {
            const bool fading = marker->CurrentStage() != nullptr &&
                                std::string(marker->CurrentStage()->mName) == "fading_out";
            EXPECT_EQ(fading, !marker->mChildren.IsEmpty());
            lit += fading ? 0 : 1;
        }
        return lit;
    }

    const HonorRollEntry* FindEntry(const char* time) const
    {
        for (const HonorRollEntry& entry : mGame->mProfiles.mRolls[2]) {
            if (std::string(entry.mText) == time)
                return &entry;
        }
        return nullptr;
    }

    Level* level = nullptr;
    AnimObject* clock = nullptr;
    AnimObject* bonus = nullptr;
};

TEST_F(EndlessBonusTest, ThreeMinutesTenPayThreeThousandAndEnterTheRoll)
{
    LoseSurvivalAfter(47500.0f, 4); // 3:10
    EXPECT_EQ(Minutes(), (std::vector<std::string>{"0", "1000", "2000", "3000"}));
    // The screen file's 400 ms come first: nothing is paid during them.
    Ticks(95);
    EXPECT_EQ(Player().mScore, 20000);
    Ticks(20);
    EXPECT_EQ(Player().mScore, 21000);
    EXPECT_EQ(MarkersLit(), 3);
    Ticks(400);
    EXPECT_EQ(Player().mScore, 23000);
    EXPECT_EQ(MarkersLit(), 1);
    const HonorRollEntry* entry = FindEntry("3:10");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->mScore, 23000);
    EXPECT_STREQ(entry->mName, "Mira");
    // The clock stood while the bonus lived.
    EXPECT_NEAR(clock->mFrameCounter, 47500.0f, 1.0f);
}

TEST_F(EndlessBonusTest, UnderAMinuteShowsZeroAndPaysNothing)
{
    LoseSurvivalAfter(14750.0f, 2); // 0:59
    EXPECT_EQ(Minutes(), (std::vector<std::string>{"0"}));
    Ticks(600);
    EXPECT_EQ(Player().mScore, 20000);
    EXPECT_EQ(MarkersLit(), 2);
    const HonorRollEntry* entry = FindEntry("0:59");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->mScore, 20000);
}

TEST_F(EndlessBonusTest, MinutesBeyondTheMarkersPayWithoutOne)
{
    LoseSurvivalAfter(30000.0f, 0); // 2:00, no markers on the level
    Ticks(600);
    EXPECT_EQ(Player().mScore, 22000);
    ASSERT_NE(FindEntry("2:00"), nullptr);
}

} // namespace

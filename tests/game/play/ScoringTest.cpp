#include "PlateTestWorld.h"

#include <gtest/gtest.h>

namespace {

class ScoringTest : public PlateTestWorld {
protected:
    // A treasure of the kind with its bounces and chain rises into the first
    // slot of a plate of two (so the fill completes nothing); the texts the
    // fill shows.
    std::vector<std::string> ShotTexts(int kind, int bounces, int chain)
    {
        for (AnimObject* child = level->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kKindTextObject)
                child->mRemove = 1;
        }
        inner->mChildren.RemoveAll();
        Plate* plate = AddPlate("x_plate", 500.0f, 400.0f, 2, 50.0f, {5, 8});
        Jewel* treasure = AddTreasure(kind, 400.0f, 302.0f, 0.0f, -1.0f);
        treasure->mBounces = bounces;
        treasure->mChain = chain;
        Ticks(1);
        EXPECT_EQ(plate->FilledCount(), 1);
        return Texts();
    }
};

// The bonus of a fill that completes nothing: the label and the points.
TEST_F(ScoringTest, ShotBonusByBouncesAndChain)
{
    struct Case {
        int kind;
        int bounces;
        int chain;
        const char* label;
        const char* points;
    };
    const Case cases[] = {
        {5, 0, 0, " ", "+10"},
        {5, 1, 0, "BANK SHOT!", "+500"},
        {5, 3, 0, "BANK SHOT!", "+500"},
        {5, 4, 0, "LUCKY SHOT!", "+1000"},
        {5, 4, 2, "LUCKY SHOT!", "+1000"},
        {5, 0, 1, "Tumble x1", "+100"},
        {5, 3, 2, "Tumble x2", "+200"},
        {5, 0, 3, "SUPER TUMBLE!", "+300"},
        {999, 0, 2, " ", "+10"},
        {999, 1, 3, "BANK SHOT!", "+500"},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> texts = ShotTexts(c.kind, c.bounces, c.chain);
        EXPECT_EQ(texts, (std::vector<std::string>{c.label, c.points}))
            << "kind " << c.kind << " bounces " << c.bounces << " chain " << c.chain;
    }
}

// Each fill plays the tone higher by the chain the treasure had before.
TEST_F(ScoringTest, ToneRisesWithTheChain)
{
    for (int chain : {0, 1, 2}) {
        sound.plays.clear();
        ShotTexts(5, 0, chain);
        int rate = -1;
        for (const auto& play : sound.plays) {
            if (play.name == "audio\\tone.ogg")
                rate = play.frequency;
        }
        EXPECT_EQ(rate, 22050 + 3000 * chain) << chain;
        EXPECT_EQ(Plays("audio\\place.ogg"), 1);
    }
}

// A plate completed by a treasure that completed other plates before shows
// the combo; a single plate scores 500.
TEST_F(ScoringTest, CompletedPlatesAndCombos)
{
    struct Case {
        int before;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {0, {" ", "+10", "+500"}},
        {1, {" ", "+10", "DOUBLE COMBO!", "+2000"}},
        {2, {" ", "+10", "TRIPLE COMBO!", "+3000"}},
        {3, {" ", "+10", "QUAD COMBO!", "+4000"}},
        {4, {" ", "+10", "5x COMBO!", "+5000"}},
    };
    for (const Case& c : cases) {
        for (AnimObject* child = level->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kKindTextObject)
                child->mRemove = 1;
        }
        inner->mChildren.RemoveAll();
        sound.plays.clear();
        // One slot: the fill scores its shot and the plate completes next tick.
        Plate* plate = AddPlate("key_plate", 400.0f, 300.0f, 1, 0.0f, {5});
        Jewel* treasure = AddTreasure(5, 400.0f, 319.0f, 0.0f, -1.0f);
        treasure->mPlatesCompleted = c.before;
        Ticks(2);
        EXPECT_EQ(plate->mCombo, c.before + 1);
        EXPECT_STREQ(plate->CurrentStage()->mName, "fade_out");
        EXPECT_EQ(Texts(), c.texts) << c.before;
        EXPECT_EQ(Plays("audio\\plate.ogg"), 1);
        EXPECT_EQ(Plays("audio\\plate_combo.ogg"), c.before >= 1 ? 1 : 0);
    }
}

// A block vanishes without points, sparkles or sound.
TEST_F(ScoringTest, BlockPlateCompletesSilently)
{
    Plate* plate = AddPlate("block_plate", 400.0f, 300.0f, 2, 0.0f, {5, 6});
    for (Slot* slot : Slots(*plate))
        slot->mFilled = 1;
    sound.plays.clear();
    Ticks(1);
    EXPECT_STREQ(plate->CurrentStage()->mName, "fade_out");
    EXPECT_TRUE(Texts().empty());
    EXPECT_TRUE(sound.plays.empty());
    EXPECT_EQ(plate->mChildren.Count(), 2); // its slots only: no burst
}

} // namespace

#include "PlateTestWorld.h"

#include <gtest/gtest.h>

namespace {

class PlateLifeTest : public PlateTestWorld {
protected:
    // Velocity filters on y of the middle layer's stage.
    std::vector<std::pair<float, float>> Pushes() const
    {
        std::vector<std::pair<float, float>> pushes;
        for (Filter* f = middle->CurrentStage()->mFilters.Head(); f != nullptr; f = f->mNext) {
            if (f->mType == kEasingVelocity && f->mAttribute == kAttrY)
                pushes.emplace_back(f->mAmplitude, f->mOffset);
        }
        return pushes;
    }
    void FillAll(Plate& plate)
    {
        for (Slot* slot : Slots(plate))
            slot->mFilled = 1;
    }
};

// A completed plate of two or more slots pushes the building in Flood and
// restarts the sinking stage's clock; one of a single slot does neither.
TEST_F(PlateLifeTest, CompletionPushesOnlyPlatesOfSeveralSlotsInFlood)
{
    Tuning().mPushFilledPlate = -3.0f;
    struct Case {
        int mode;
        int slots;
        bool pushed;
    };
    for (const Case& c : {Case{0, 2, true}, Case{0, 1, false}, Case{1, 2, false}, Case{2, 3, false}}) {
        middle->CurrentStage()->mFilters.RemoveAll();
        SetMode(c.mode);
        Ticks(5);
        Plate* plate = AddPlate("round_plate", 400.0f, 300.0f, c.slots, 20.0f);
        FillAll(*plate);
        const float ticksBefore = middle->CurrentStage()->mTicks;
        Ticks(1);
        EXPECT_STREQ(plate->CurrentStage()->mName, "fade_out");
        const std::vector<std::pair<float, float>> expected =
            c.pushed ? std::vector<std::pair<float, float>>{{-3.0f, 0.79f}} : std::vector<std::pair<float, float>>{};
        EXPECT_EQ(Pushes(), expected) << c.mode << " " << c.slots;
        // Two or more slots restart the clock in every mode.
        EXPECT_EQ(middle->CurrentStage()->mTicks < ticksBefore, c.slots >= 2) << c.mode << " " << c.slots;
        inner->mChildren.RemoveAll();
    }
}

// A plate whose data has no "fade_out" stage completes once and leaves,
// rather than scoring 500 every tick.
TEST_F(PlateLifeTest, PlateWithoutFadeOutCompletesOnce)
{
    Plate* plate = AddPlate("round_plate", 400.0f, 300.0f, 2, 20.0f, {}, false);
    FillAll(*plate);
    Ticks(10);
    EXPECT_EQ(Plays("audio\\plate.ogg"), 1);
    EXPECT_EQ(CountInner(kKindPlate), 0);
    // A plate with no slots at all counts as filled.
    Plate* empty = AddPlate("round_plate", 400.0f, 300.0f, 0, 20.0f);
    Ticks(1);
    EXPECT_STREQ(empty->CurrentStage()->mName, "fade_out");
    EXPECT_EQ(Plays("audio\\plate.ogg"), 2);
}

// While fading, once the plate has shrunk below full size, its slots toss
// their treasures out (when the tuning asks for it) and the slots go.
TEST_F(PlateLifeTest, FadingPlateTossesOnceShrunk)
{
    Tuning().mTossOnFilledPlate = 1;
    Plate* plate = AddPlate("x_plate", 400.0f, 200.0f, 2, 10.0f, {5, 6});
    AddPlate("x_plate", 400.0f, 400.0f, 2, 10.0f, {5, 6}); // room below
    FillAll(*plate);
    Ticks(1);
    EXPECT_STREQ(plate->CurrentStage()->mName, "fade_out");
    EXPECT_EQ(CountInner(kKindJewel), 0);
    Ticks(2);
    EXPECT_EQ(CountInner(kKindJewel), 2);
    EXPECT_EQ(plate->SlotCount(), 0);
    Ticks(5);
    EXPECT_EQ(CountInner(kKindJewel), 2);
}

// Below the screen while sinking the level is lost once per plate: in
// Journey with tries left a try goes and the sunk plate leaves, so the level
// goes on; in Flood the loss is not repeated every tick the plate stays low.
TEST_F(PlateLifeTest, SunkPlateLosesOnce)
{
    SetMode(1);
    mGame->mProfiles.Current().mTries[1] = 2;
    AddPlate("round_plate", 400.0f, 590.0f, 1, 20.0f);
    Ticks(1);
    EXPECT_EQ(CountInner(kKindPlate), 1);
    inner->mLocal[kAttrY] = 20.0f;
    Ticks(3);
    EXPECT_EQ(CountInner(kKindPlate), 0);
    EXPECT_EQ(mGame->mProfiles.Current().mTries[1], 1);
    EXPECT_TRUE(Shows("2 TRIES LEFT"));

    // Flood: the middle layer here has no "defeat" stage and keeps
    // "scrolling"; the loss (and its difficulty step) still comes once.
    inner->mChildren.RemoveAll();
    inner->mLocal[kAttrY] = 0.0f;
    SetMode(0);
    Tuning().mDifficultyChangeOnLoss = 0.5f;
    Tuning().mMinDifficulty = -100.0f;
    Tuning().mMaxDifficulty = 100.0f;
    mGame->mProfiles.Current().mDifficulty = 1.0f;
    AddPlate("round_plate", 400.0f, 610.0f, 1, 20.0f);
    Ticks(10);
    EXPECT_FLOAT_EQ(mGame->mProfiles.Current().mDifficulty, 0.5f);
    EXPECT_EQ(CountInner(kKindPlate), 1);
}

// Outside Journey a plate below the danger line bubbles, shakes and shows
// "DANGER!" once until a new plate is built.
TEST_F(PlateLifeTest, DrowningShowsDangerOnceUntilANewPlate)
{
    Tuning().mEarthquakePoint = 300.0f;
    SetMode(0);
    AddPlate("round_plate", 300.0f, 400.0f, 1, 20.0f);
    AddPlate("round_plate", 500.0f, 420.0f, 1, 20.0f);
    Ticks(30);
    int dangers = 0;
    for (const std::string& text : Texts())
        dangers += text == "DANGER!" ? 1 : 0;
    EXPECT_EQ(dangers, 1);
    // A new plate clears the flag; the next drowning tick shows it again
    // (the old popup goes first).
    AddPlate("round_plate", 400.0f, 100.0f, 1, 20.0f);
    Ticks(1);
    dangers = 0;
    for (AnimObject* child = level->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindTextObject && child->mRemove == 0 &&
            static_cast<TextObject*>(child)->GetText() == "DANGER!")
            ++dangers;
    }
    EXPECT_EQ(dangers, 1);

    // In Journey nothing drowns.
    inner->mChildren.RemoveAll();
    SetMode(1);
    Plate* journey = AddPlate("round_plate", 400.0f, 500.0f, 1, 20.0f);
    const int children = journey->mChildren.Count();
    Ticks(100);
    EXPECT_EQ(journey->mChildren.Count(), children);
}

// Bubbles rise every max(40, (600 - y) / 4) ticks of the plate's frame
// counter, truncated: every 75 ticks at y 298 (75.5; the plate's shake moves
// it by an eighth of a pixel at most), every 40 at y 590.
TEST_F(PlateLifeTest, BubblePeriodFollowsDepth)
{
    Tuning().mEarthquakePoint = 0.0f;
    for (float y : {298.0f, 590.0f}) {
        level->mChildren.RemoveAll();
        BuildLevel("scrolling");
        Plate* plate = AddPlate("round_plate", 400.0f, y, 1, 20.0f);
        std::vector<int> bubbleTicks;
        for (int tick = 0; tick < 160; ++tick) {
            const int before = level->mChildren.Count();
            Ticks(1);
            // The white bubble moves into the level.
            if (level->mChildren.Count() > before)
                bubbleTicks.push_back(int(plate->mFrameCounter) - 1);
        }
        const std::vector<int> expected = y == 298.0f ? std::vector<int>{0, 75, 150} : std::vector<int>{0, 40, 80, 120};
        EXPECT_EQ(bubbleTicks, expected) << y;
    }
}

} // namespace

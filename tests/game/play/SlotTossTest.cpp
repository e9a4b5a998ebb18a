#include "game/play/SlotLabel.h"
#include "PlateTestWorld.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class SlotTossTest : public PlateTestWorld {
protected:
    // A one-slot plate whose slot (kind, filled) sits at (x, y).
    Slot* SlotAt(float x, float y, int kind, bool filled = false)
    {
        Plate* plate = AddPlate("key_plate", x, y - 17.0f, 1, 0.0f, {kind});
        Slot* slot = Slots(*plate)[0];
        slot->mFilled = filled ? 1 : 0;
        slot->RefreshWorld();
        return slot;
    }
    // A slot at (x, y) on a plate that also has an empty slot of kind 9, so
    // that filling it does not complete (and remove) the plate.
    Slot* LastingSlotAt(float x, float y, int kind)
    {
        Plate* plate = AddPlate("x_plate", x + 100.0f, y + 100.0f, 2, 50.0f, {kind, 9});
        return Slots(*plate)[0];
    }
    std::vector<SlotLabel*> Labels() const
    {
        std::vector<SlotLabel*> labels;
        for (AnimObject* child = inner->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kKindSlotLabel)
                labels.push_back(static_cast<SlotLabel*>(child));
        }
        return labels;
    }
};

// The target is the nearest empty slot of the kind that lies lower (by more
// than 5 px), within 400 px across and reachable by a lob slower than 2.5;
// a second toss in the same tick prefers a slot no lob aims at yet.
TEST_F(SlotTossTest, TossTargetNearestReachableLowerSlot)
{
    Slot* source = SlotAt(400.0f, 200.0f, 5, true);
    Slot* a = SlotAt(450.0f, 300.0f, 5);
    Slot* b = SlotAt(380.0f, 260.0f, 5);
    SlotAt(410.0f, 203.0f, 5);        // not low enough
    SlotAt(390.0f, 240.0f, 6);        // another kind
    SlotAt(400.0f, 230.0f, 5, true); // full
    SlotAt(900.0f, 300.0f, 5);        // too far across
    SlotAt(600.0f, 210.0f, 5);        // the lob would be too fast

    Slot* target = nullptr;
    const float v = source->FindTossTarget(1.0f, target);
    EXPECT_EQ(target, b);
    // -(20 / sqrt(60)) / 13
    EXPECT_NEAR(v, -0.1986145f, 1e-5f);
    EXPECT_EQ(b->mPendingLobs, 1);

    const float second = source->FindTossTarget(1.0f, target);
    EXPECT_EQ(target, a);
    // (50 / sqrt(100)) / 13
    EXPECT_NEAR(second, 0.384615f, 1e-5f);

    // The pending lobs last one tick.
    Ticks(1);
    EXPECT_EQ(b->mPendingLobs, 0);
}

// A filled slot tosses its treasure towards the target as a tumbling
// treasure; with no target in reach nothing leaves.
TEST_F(SlotTossTest, TossOutMakesATumblingTreasureOnlyWithATarget)
{
    Slot* source = SlotAt(400.0f, 200.0f, 5, true);
    source->TossOut(1, 0, 0.5f, false);
    EXPECT_EQ(CountInner(kKindJewel), 0);

    Slot* target = SlotAt(450.0f, 300.0f, 5);
    source->TossOut(1, 2, 0.5f, false);
    ASSERT_EQ(CountInner(kKindJewel), 1);
    auto* treasure = static_cast<Jewel*>(inner->FindChildOfKind(kKindJewel));
    EXPECT_EQ(treasure->mLive, 0);
    EXPECT_EQ(treasure->mChain, 1);
    EXPECT_EQ(treasure->mPlatesCompleted, 2);
    EXPECT_EQ(treasure->mLobTarget, target);
    EXPECT_FLOAT_EQ(treasure->mLobStartX, 400.0f);
    EXPECT_FLOAT_EQ(treasure->mLobStartY, 200.0f);
    EXPECT_NEAR(treasure->GetVelocityX(), 0.384615f, 1e-5f);
    EXPECT_STREQ(treasure->CurrentStage()->mName, "shooting");
    EXPECT_NEAR(treasure->mWorld[kAttrX], 400.0f, 1e-4f);
    EXPECT_EQ(Plays("audio\\pop.ogg"), 1);

    // A forced toss leaves with the given speed and no target.
    source->TossOut(0, 0, -3.0f, true);
    ASSERT_EQ(CountInner(kKindJewel), 2);
    auto* forced = static_cast<Jewel*>(inner->mChildren.Tail()->mKind == kKindJewel ? inner->mChildren.Tail()
                                                                                     : inner->FindChildOfKind(kKindJewel, treasure));
    EXPECT_EQ(forced->mLobTarget, nullptr);
    EXPECT_FLOAT_EQ(forced->GetVelocityX(), -3.0f);
}

// A combo shot's fill sends a copy to every empty on-screen slot of its kind,
// 10 ms apart, each raising the tone chain.
TEST_F(SlotTossTest, CascadeSendsLabelsInTurn)
{
    Slot* first = SlotAt(300.0f, 200.0f, 5);
    Slot* t1 = LastingSlotAt(340.0f, 260.0f, 5);
    Slot* t2 = LastingSlotAt(500.0f, 260.0f, 5);
    Slot* t3 = LastingSlotAt(200.0f, 100.0f, 5);
    SlotAt(250.0f, 260.0f, 6);
    SlotAt(260.0f, 700.0f, 5); // below the screen
    Jewel* combo = AddTreasure(5, 300.0f, 202.0f, 0.0f, -1.0f);
    combo->mCombo = 1;
    Ticks(1);
    EXPECT_EQ(first->mFilled, 1);
    const std::vector<SlotLabel*> labels = Labels();
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(level->mToneChain, 3);
    std::vector<Slot*> targets;
    std::vector<float> waits;
    for (SlotLabel* label : labels) {
        targets.push_back(label->mTarget);
        waits.push_back(label->mStages.Head()->mLength);
    }
    EXPECT_EQ(targets, (std::vector<Slot*>{t1, t2, t3}));
    EXPECT_EQ(waits, (std::vector<float>{25.0f, 27.5f, 30.0f}));
    EXPECT_EQ(t1->mIncoming, 1);

    // They arrive and fill their targets.
    Ticks(200);
    EXPECT_EQ(t1->mFilled, 1);
    EXPECT_EQ(t2->mFilled, 1);
    EXPECT_EQ(t3->mFilled, 1);
    EXPECT_TRUE(Labels().empty());
}

// An 8-px flight lasts 3 ticks, so two ticks lie within half a tick of its
// middle: the copy's points still come once.
TEST_F(SlotTossTest, ShortFlightAwardsOnce)
{
    Slot* source = SlotAt(400.0f, 200.0f, 5, true);
    Slot* target = SlotAt(408.0f, 200.0f, 5);
    inner->AddChild(new SlotLabel(*source, *target, 0.0f));
    EXPECT_EQ(level->mToneChain, 1);
    Ticks(60);
    int awards = 0;
    for (const std::string& text : Texts())
        awards += text == "+100" ? 1 : 0;
    EXPECT_EQ(awards, 1);
    EXPECT_EQ(level->mTumbleCombos, 1);
    EXPECT_EQ(target->mFilled, 1);
}

// A target filled by something else, or gone, ends the copy in flight.
TEST_F(SlotTossTest, CopyEndsWhenItsTargetIsFilledOrGone)
{
    Slot* source = SlotAt(400.0f, 200.0f, 5, true);
    Slot* filled = SlotAt(500.0f, 300.0f, 5);
    Slot* gone = SlotAt(300.0f, 300.0f, 5);
    inner->AddChild(new SlotLabel(*source, *filled, 0.0f));
    inner->AddChild(new SlotLabel(*source, *gone, 0.0f));
    Ticks(30);
    ASSERT_EQ(Labels().size(), 2u);
    filled->mFilled = 1;
    inner->mChildren.Remove(gone->mParent);
    Ticks(1);
    EXPECT_TRUE(Labels().empty());
    EXPECT_EQ(filled->mIncoming, 1);
}

} // namespace

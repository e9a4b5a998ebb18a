#include "PlateTestWorld.h"

#include <gtest/gtest.h>

namespace {

class SlotCaptureTest : public PlateTestWorld {
protected:
    Jewel* FirstTreasure() const { return static_cast<Jewel*>(inner->FindChildOfKind(kKindJewel)); }
};

// One tick of a treasure rising into a slot: taken, bounced back down, or
// passed through.
TEST_F(SlotCaptureTest, CaptureMatrix)
{
    enum Outcome { kTaken, kBounced, kPassed };
    struct Case {
        int blocking;
        int power;
        int live;
        int kind;
        bool filled;
        bool fading;
        Outcome outcome;
    };
    const Case cases[] = {
        {0, 0, 1, 5, false, false, kTaken},   {0, 0, 1, 7, false, false, kPassed},
        {0, 1, 1, 5, false, false, kTaken},   {0, 0, 0, 5, false, false, kTaken},
        {0, 0, 1, 999, false, false, kTaken}, {0, 0, 1, 150, false, false, kPassed},
        {1, 0, 1, 5, true, false, kBounced},  {0, 0, 1, 5, true, false, kPassed},
        {1, 1, 1, 5, true, false, kPassed},   {1, 0, 0, 5, true, false, kPassed},
        {1, 0, 1, 999, true, false, kPassed}, {1, 0, 1, 150, true, false, kPassed},
        {1, 0, 1, 5, true, true, kPassed},    {1, 0, 1, 7, true, false, kBounced},
    };
    int row = 0;
    for (const Case& c : cases) {
        ++row;
        inner->mChildren.RemoveAll();
        Tuning().mBlockingSlots = c.blocking;
        // Two slots, so one filled slot does not complete the plate: the
        // first at (400, 300), the other well away.
        Plate* plate = AddPlate("x_plate", 500.0f, 400.0f, 2, 50.0f, {5, 8});
        Slot* slot = Slots(*plate)[0];
        if (c.filled) {
            slot->mFilled = 1;
            slot->RefreshImage();
        }
        if (c.fading)
            plate->GoToStage("fade_out");
        Jewel* treasure = AddTreasure(c.kind, 400.0f, 304.0f, 0.0f, -1.0f, c.live != 0);
        treasure->mPower = c.power;
        Ticks(1);
        Jewel* left = FirstTreasure();
        switch (c.outcome) {
        case kTaken:
            EXPECT_EQ(slot->mFilled, 1) << "row " << row;
            // A live wild treasure flies on; every other taken treasure goes.
            EXPECT_EQ(left != nullptr, c.kind == 999 && c.live != 0) << "row " << row;
            break;
        case kBounced:
            ASSERT_NE(left, nullptr) << "row " << row;
            EXPECT_GT(left->GetVelocityY(), 0.0f) << "row " << row;
            EXPECT_EQ(left->mLastBounceSlot, slot) << "row " << row;
            break;
        case kPassed:
            ASSERT_NE(left, nullptr) << "row " << row;
            EXPECT_FLOAT_EQ(left->GetVelocityY(), -1.0f) << "row " << row;
            EXPECT_EQ(slot->mFilled, c.filled ? 1 : 0) << "row " << row;
            break;
        }
    }
}

// Three slots of different kinds in one place: a live wild treasure fills
// them all as it passes, a tumbling one only the first.
TEST_F(SlotCaptureTest, WildFillsEverySlotItTouchesWhileLive)
{
    for (bool live : {true, false}) {
        inner->mChildren.RemoveAll();
        Plate* plate = AddPlate("block_plate", 400.0f, 300.0f, 3, 0.0f, {4, 5, 6});
        AddTreasure(999, 400.0f, 303.0f, 0.0f, -1.0f, live);
        Ticks(1);
        EXPECT_EQ(plate->FilledCount(), live ? 3 : 1) << live;
    }
}

// A slot takes nothing once its plate is gone from under it: a slot in
// another object has no plate to fill.
TEST_F(SlotCaptureTest, SlotOutsideAPlateTakesNothing)
{
    AnimObject* holder = inner->AddChild(nullptr);
    holder->AddStage(100000.0f, 1, 1, 1, nullptr);
    holder->mLocal[kAttrX] = 400.0f;
    holder->mLocal[kAttrY] = 300.0f;
    auto* slot = new Slot;
    slot->SetSlotKind(5);
    slot->AddStage(1000.0f, 1, 1, 1, nullptr);
    holder->AddChild(slot);
    AddTreasure(5, 400.0f, 302.0f, 0.0f, -1.0f);
    Ticks(2);
    EXPECT_EQ(slot->mFilled, 0);
    EXPECT_EQ(CountInner(kKindJewel), 1);
}

// Hits count live treasures whose first slot matched; tumbling fills count
// as tumble combos.
TEST_F(SlotCaptureTest, HitAndTumbleCounters)
{
    Plate* plate = AddPlate("x_plate", 500.0f, 400.0f, 4, 50.0f, {5, 5, 5, 5});
    std::vector<Slot*> slots = Slots(*plate);
    AddTreasure(5, slots[0]->mWorld[kAttrX], slots[0]->mWorld[kAttrY] + 2.0f, 0.0f, -1.0f, true);
    Jewel* second = AddTreasure(5, slots[1]->mWorld[kAttrX], slots[1]->mWorld[kAttrY] + 2.0f, 0.0f, -1.0f, true);
    second->mChain = 1; // it filled a slot before: not a hit again
    AddTreasure(5, slots[2]->mWorld[kAttrX], slots[2]->mWorld[kAttrY] + 2.0f, 0.0f, -1.0f, false);
    Ticks(1);
    EXPECT_EQ(plate->FilledCount(), 3);
    EXPECT_EQ(level->mHits, 1);
    EXPECT_EQ(level->mTumbleCombos, 1);
}

// A treasure bounced off a full slot just above the water line is nudged
// down into the water: it splashes once, the nudge ends and the treasure
// goes. (The water takes a live treasure whose top passes y 531.)
TEST_F(SlotCaptureTest, NudgedIntoTheWaterOnce)
{
    Tuning().mBlockingSlots = 1;
    // 8 x 8 pictures: the full slot at y 531 holds the treasure while it is
    // less than 3.2 + 3.64 px away; the nudge carries it down 1 px an update
    // and it falls in at y 536, 5 px from the slot.
    Plate* plate = AddPlate("block_plate", 400.0f, 531.0f, 2, 0.0f, {5, 8});
    Slots(*plate)[0]->mFilled = 1;
    AddTreasure(5, 400.0f, 532.0f, 0.0f, -1.0f);
    sound.plays.clear();
    Ticks(1);
    EXPECT_EQ(CountInner(kKindJewel), 0);
    EXPECT_EQ(Plays("audio\\splash.ogg"), 1);
    EXPECT_EQ(Plays("audio\\toss.ogg"), 1);
}

} // namespace

#include "game/play/SlotLabel.h"
#include "PlateTestWorld.h"

#include <gtest/gtest.h>

namespace {

class SlotLifetimeTest : public PlateTestWorld {};

// A slot that goes (its plate culled or completed, the tosser's throw)
// leaves nothing that still names it: the lob aimed at it, the treasure
// that last bounced off it, the copy flying to it.
TEST_F(SlotLifetimeTest, DyingSlotIsForgottenEverywhere)
{
    Plate* source = AddPlate("key_plate", 400.0f, 183.0f, 1, 0.0f, {5});
    Slot* from = Slots(*source)[0];
    from->mFilled = 1;
    Plate* doomed = AddPlate("x_plate", 500.0f, 400.0f, 2, 50.0f, {5, 5});
    Slot* slot = Slots(*doomed)[0];

    Jewel* lobbing = AddTreasure(5, 100.0f, 100.0f, 0.0f, 0.0f, false);
    lobbing->mLobTarget = slot;
    Jewel* bounced = AddTreasure(5, 100.0f, 150.0f, 0.0f, -1.0f);
    bounced->mLastBounceSlot = slot;
    // One held elsewhere than the inner layer.
    AnimObject* holder = level->AddChild(nullptr);
    holder->AddStage(100000.0f, 1, 1, 1, nullptr);
    auto* held = new Jewel(5);
    held->mLobTarget = slot;
    holder->AddChild(held);
    auto* label = new SlotLabel(*from, *slot, 0.0f);
    inner->AddChild(label);

    inner->mChildren.Remove(doomed);

    EXPECT_EQ(lobbing->mLobTarget, nullptr);
    EXPECT_EQ(bounced->mLastBounceSlot, nullptr);
    EXPECT_EQ(held->mLobTarget, nullptr);
    EXPECT_EQ(label->mTarget, nullptr);
    EXPECT_EQ(label->mRemove, 1);
    Ticks(3);
    EXPECT_EQ(inner->CountChildrenOfKind(kKindSlotLabel), 0);
}

// The tosser's throw flags every slot of the plate while the plate's own
// walk is on them; each goes once, and the plate then completes.
TEST_F(SlotLifetimeTest, TosserThrowsEverythingOutAndCompletes)
{
    for (int mode : {0, 1}) {
        inner->mChildren.RemoveAll();
        SetMode(mode);
        Plate* tosser = AddPlate("tosser_plate", 400.0f, 300.0f, 3, 20.0f, {5});
        AddPlate("x_plate", 400.0f, 500.0f, 2, 30.0f, {5, 6}); // room elsewhere
        std::vector<Slot*> slots = Slots(*tosser);
        ASSERT_EQ(slots.size(), 3u);
        EXPECT_EQ(slots[0]->mFilled, 0);
        for (size_t i = 1; i < slots.size(); ++i) {
            EXPECT_EQ(slots[i]->mFilled, 1);
            if (mode == 1) {
                EXPECT_EQ(slots[i]->mSlotKind, Slot::kWildKind);
            }
        }
        // Pre-filled slots at ((i - 1.5) r, -73): (-10, -73) and (10, -73).
        EXPECT_FLOAT_EQ(slots[1]->mLocal[kAttrX], -10.0f);
        EXPECT_FLOAT_EQ(slots[2]->mLocal[kAttrX], 10.0f);
        EXPECT_FLOAT_EQ(slots[2]->mLocal[kAttrY], -73.0f);

        AddTreasure(5, 400.0f, 288.0f, 0.0f, -1.0f);
        Ticks(1);
        EXPECT_EQ(tosser->SlotCount(), 0) << mode;
        int wild = 0;
        int tossed = 0;
        for (AnimObject* child = inner->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind != kKindJewel)
                continue;
            ++tossed;
            wild += static_cast<Jewel*>(child)->mTreasureKind == Slot::kWildKind ? 1 : 0;
        }
        EXPECT_EQ(tossed, 3) << mode;
        EXPECT_EQ(wild, mode == 1 ? 2 : 0) << mode;
        Ticks(1);
        EXPECT_STREQ(tosser->CurrentStage()->mName, "fade_out") << mode;
    }
}

} // namespace

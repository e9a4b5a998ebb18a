#include "game/play/BonusBasket.h"
#include "PlateTestWorld.h"

#include <gtest/gtest.h>

namespace {

class BonusBasketTest : public PlateTestWorld {
protected:
    // A basket at (400, 300) in the inner layer with its opening (an 8 x 8
    // picture, so the rim lies at y 296, 8 wide and 6 high), in "waiting".
    // A cued basket turns for 40 ms and then releases, as level files cue
    // it, and stays on in a stage after it.
    BonusBasket* AddBasket(bool withOpening = true, bool cued = false)
    {
        auto* basket = new BonusBasket;
        basket->AddStage(100000.0f, 1, 1, 1, "waiting");
        if (cued) {
            basket->AddStage(40.0f, 0, 0, 1, "rotating");
            basket->AddEventByName("end", "custom", nullptr, nullptr, nullptr, nullptr, nullptr);
            basket->AddStage(100000.0f, 1, 1, 1, "emptied");
        } else {
            basket->AddStage(100000.0f, 1, 1, 1, "rotating");
        }
        basket->mLocal[kAttrX] = 400.0f;
        basket->mLocal[kAttrY] = 300.0f;
        basket->mZOrder = 3.0f;
        if (withOpening) {
            AnimObject* opening = basket->AddChild(nullptr);
            opening->SetImage("gfx\\basket_top.png", 0.0f, 0.0f, 1, 0.0f);
            opening->AddStage(100000.0f, 1, 1, 1, nullptr);
        }
        inner->AddChild(basket);
        return basket;
    }
    int Held(const BonusBasket& basket) const { return basket.CountChildrenOfKind(kKindJewel); }
};

// Falling through the rim is caught for 100 points; rising is not; nothing
// is caught outside "waiting" or without the opening.
TEST_F(BonusBasketTest, CatchesFallingTreasuresWhileWaiting)
{
    BonusBasket* basket = AddBasket();
    AddTreasure(5, 403.0f, 290.0f, 0.0f, -2.0f);
    Ticks(3);
    EXPECT_EQ(Held(*basket), 0);
    EXPECT_STREQ(basket->CurrentStage()->mName, "waiting");

    Jewel* falling = AddTreasure(6, 403.0f, 290.0f, 0.0f, 2.0f);
    falling->mPower = 1;
    Ticks(3);
    ASSERT_EQ(Held(*basket), 1);
    EXPECT_EQ(falling->mPower, 0);
    EXPECT_STREQ(falling->CurrentStage()->mName, "in_basket");
    EXPECT_STREQ(basket->CurrentStage()->mName, "rotating");
    EXPECT_TRUE(Shows("+100"));
    EXPECT_EQ(Plays("audio\\basket.ogg"), 1);

    // In "rotating" nothing more is caught.
    AddTreasure(7, 403.0f, 290.0f, 0.0f, 2.0f);
    Ticks(3);
    EXPECT_EQ(Held(*basket), 1);

    // A basket without its opening catches nothing.
    inner->mChildren.RemoveAll();
    BonusBasket* bare = AddBasket(false);
    AddTreasure(5, 400.0f, 296.0f, 0.0f, 2.0f);
    Ticks(3);
    EXPECT_EQ(Held(*bare), 0);
}

// The cue drops every held treasure back into play as a live treasure
// falling from rest, but only while some plate has room.
TEST_F(BonusBasketTest, ReleaseOnlyWhilePlatesHaveRoom)
{
    BonusBasket* basket = AddBasket();
    AddTreasure(5, 403.0f, 292.0f, 0.0f, 2.0f, false);
    AddTreasure(6, 397.0f, 292.0f, 0.0f, 2.0f, false);
    Ticks(2);
    ASSERT_EQ(Held(*basket), 2);

    Plate* full = AddPlate("key_plate", 100.0f, 100.0f, 1, 0.0f, {5});
    Slots(*full)[0]->mFilled = 1;
    basket->OnCustomAction("");
    EXPECT_EQ(Held(*basket), 2);

    AddPlate("key_plate", 700.0f, 100.0f, 1, 0.0f, {5});
    basket->OnCustomAction("");
    EXPECT_EQ(Held(*basket), 0);
    ASSERT_EQ(CountInner(kKindJewel), 2);
    for (AnimObject* child = inner->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind != kKindJewel)
            continue;
        auto* treasure = static_cast<Jewel*>(child);
        EXPECT_EQ(treasure->mLive, 1);
        EXPECT_EQ(treasure->mBasket, 1);
        EXPECT_EQ(treasure->mForcedToss, 1);
        EXPECT_STREQ(treasure->CurrentStage()->mName, "shooting");
        EXPECT_FLOAT_EQ(treasure->GetVelocityY(), 0.0f);
        EXPECT_FLOAT_EQ(treasure->mZOrder, 2.999f);
    }
}

// Cued by the end of its own stage, the release drops the treasure from
// where it lay in the basket (at most 40 px either side of the middle and 20
// above or below), not from its offset taken as a place on screen.
TEST_F(BonusBasketTest, CuedReleaseDropsTreasuresFromTheBasket)
{
    BonusBasket* basket = AddBasket(true, true);
    AddPlate("key_plate", 100.0f, 100.0f, 1, 0.0f, {5});
    AddTreasure(5, 403.0f, 292.0f, 0.0f, 2.0f, false);
    Ticks(2);
    ASSERT_EQ(Held(*basket), 1);
    for (int i = 0; i < 30 && Held(*basket) != 0; ++i)
        Ticks(1);
    ASSERT_EQ(Held(*basket), 0);
    const AnimObject* released = inner->FindChildOfKind(kKindJewel);
    ASSERT_NE(released, nullptr);
    EXPECT_NEAR(released->mWorld[kAttrX], 400.0f, 40.5f);
    EXPECT_NEAR(released->mWorld[kAttrY], 300.0f, 21.0f);
}

// A released treasure plays as a throw: falling into an empty slot of its
// kind it scores the throw's " " and 10 and counts a hit.
TEST_F(BonusBasketTest, ReleasedTreasuresScoreAsThrows)
{
    BonusBasket* basket = AddBasket();
    AddTreasure(5, 403.0f, 292.0f, 0.0f, 2.0f, false);
    Ticks(2);
    ASSERT_EQ(Held(*basket), 1);
    const int caught = Score();
    // Two slots at the plate's centre, so the fill completes nothing; the
    // plate goes 40 px below the released treasure.
    Plate* plate = AddPlate("block_plate", 100.0f, 100.0f, 2, 0.0f, {5, 8});
    basket->OnCustomAction("");
    auto* released = static_cast<Jewel*>(inner->FindChildOfKind(kKindJewel));
    ASSERT_NE(released, nullptr);
    plate->mLocal[kAttrX] = released->mWorld[kAttrX];
    plate->mLocal[kAttrY] = released->mWorld[kAttrY] + 40.0f;
    plate->RefreshWorld();
    for (AnimObject* slot = plate->mChildren.Head(); slot != nullptr; slot = slot->mNext)
        slot->RefreshWorld();
    for (int i = 0; i < 150 && plate->FilledCount() == 0; ++i)
        Ticks(1);
    EXPECT_EQ(plate->FilledCount(), 1);
    EXPECT_EQ(Score() - caught, 10);
    EXPECT_TRUE(Shows(" "));
    EXPECT_TRUE(Shows("+10"));
    EXPECT_EQ(level->mHits, 1);
}

} // namespace

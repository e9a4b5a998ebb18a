#include "PlateTestWorld.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class PlateHitTest : public PlateTestWorld {
protected:
    static int CountFilters(const AnimObject& object, int type, int attribute)
    {
        int count = 0;
        for (Filter* f = object.CurrentStage()->mFilters.Head(); f != nullptr; f = f->mNext)
            count += f->mType == type && f->mAttribute == attribute ? 1 : 0;
        return count;
    }
    static Filter* LastFilter(const AnimObject& object, int type, int attribute)
    {
        Filter* found = nullptr;
        for (Filter* f = object.CurrentStage()->mFilters.Head(); f != nullptr; f = f->mNext) {
            if (f->mType == type && f->mAttribute == attribute)
                found = f;
        }
        return found;
    }
};

// A hit on the right-hand slot of a ring by a treasure rising 1 px a tick
// turns the ring by atan(1/20) x 50 = 2.4979 a tick, unless the turn would
// take the plate's summed turning speed to 6 or more.
TEST_F(PlateHitTest, SpinIsRefusedAtSixDegreesATick)
{
    struct Case {
        float existing;
        bool added;
    };
    for (const Case& c : {Case{0.0f, true}, Case{3.0f, true}, Case{3.5021f, false}, Case{-8.0f, true}, Case{-8.6f, false}}) {
        Plate* plate = AddPlate("round_plate", 400.0f, 200.0f, 1, 20.0f);
        plate->CurrentStage()->AddFilter(mGame->mFilterPool, kEasingVelocity, kAttrRotation, c.existing, 0.0f, 0.0f, 0);
        Jewel* treasure = AddTreasure(5, 420.0f, 200.0f, 0.0f, -1.0f);
        plate->OnHit(Slots(*plate)[0], treasure);
        EXPECT_EQ(CountFilters(*plate, kEasingVelocity, kAttrRotation), c.added ? 2 : 1) << c.existing;
        if (c.added) {
            EXPECT_NEAR(LastFilter(*plate, kEasingVelocity, kAttrRotation)->mAmplitude, 2.49792f, 1e-4f);
            EXPECT_FLOAT_EQ(LastFilter(*plate, kEasingVelocity, kAttrRotation)->mOffset, 0.995f);
        }
        // The bob: -12 x (1 / 3) x 1.0, over 100 ticks.
        Filter* bob = LastFilter(*plate, kEasingDecaySined, kAttrY);
        ASSERT_NE(bob, nullptr);
        EXPECT_NEAR(bob->mAmplitude, -4.0f, 1e-5f);
        EXPECT_FLOAT_EQ(bob->mOwnLength, 100.0f);
    }
    // A treasure without a y velocity neither turns nor bobs the plate.
    Plate* plate = AddPlate("round_plate", 400.0f, 400.0f, 1, 20.0f);
    Jewel* resting = AddTreasure(5, 420.0f, 400.0f, 0.0f, 0.0f);
    resting->CurrentStage()->mFilters.RemoveAll();
    plate->OnHit(Slots(*plate)[0], resting);
    EXPECT_EQ(CountFilters(*plate, kEasingVelocity, kAttrRotation), 0);
    EXPECT_EQ(CountFilters(*plate, kEasingDecaySined, kAttrY), 0);
}

// The triangle's top slot sits on the plate's centre line: a hit there tilts
// the plate only when the treasure moves right faster than 0.01.
TEST_F(PlateHitTest, TriangleTiltsOnlyWhenHitMovingRight)
{
    struct Case {
        float vx;
        bool tilts;
    };
    for (const Case& c : {Case{-1.0f, false}, Case{0.0f, false}, Case{0.01f, false}, Case{1.0f, true}}) {
        Plate* plate = AddPlate("triangle_plate", 400.0f, 200.0f, 3, 20.0f);
        Jewel* treasure = AddTreasure(5, 400.0f, 180.0f, c.vx, -1.0f);
        plate->OnHit(Slots(*plate)[0], treasure);
        Filter* tilt = LastFilter(*plate, kEasingSined, kAttrRotation);
        EXPECT_EQ(tilt != nullptr, c.tilts) << c.vx;
        if (tilt != nullptr) {
            // The motion turns clockwise about the centre: a negative angle.
            EXPECT_FLOAT_EQ(tilt->mAmplitude, -120.0f);
            EXPECT_FLOAT_EQ(tilt->mPeriod, 0.25f);
            EXPECT_FLOAT_EQ(tilt->mOwnLength, 150.0f);
        }
    }
}

// The stick tilts by 120 degrees times the slot's distance from the centre
// over half the plate's width (8 px here); a plate without a picture has no
// width to measure and does not tilt.
TEST_F(PlateHitTest, StickTiltGrowsOutwards)
{
    Plate* plate = AddPlate("stick_plate", 400.0f, 200.0f, 3, 2.0f);
    Jewel* treasure = AddTreasure(5, 402.0f, 200.0f, 0.0f, -1.0f);
    plate->OnHit(Slots(*plate)[1], treasure); // the slot at x = 2
    Filter* tilt = LastFilter(*plate, kEasingSined, kAttrRotation);
    ASSERT_NE(tilt, nullptr);
    EXPECT_NEAR(std::fabs(tilt->mAmplitude), 60.0f, 1e-4f);

    Plate* bare = AddPlate("stick_plate", 400.0f, 300.0f, 3, 2.0f);
    bare->SetImageRecord(nullptr);
    plate->RefreshWorld();
    Jewel* other = AddTreasure(5, 402.0f, 300.0f, 0.0f, -1.0f);
    bare->OnHit(Slots(*bare)[1], other);
    Filter* none = LastFilter(*bare, kEasingSined, kAttrRotation);
    ASSERT_NE(none, nullptr);
    EXPECT_FLOAT_EQ(none->mAmplitude, 0.0f);
}

// The pendulum kinds swing back towards upright: swing := (swing -
// rotation / K) x 0.993, rotation += swing; nothing while fading.
TEST_F(PlateHitTest, PendulumSwingsBack)
{
    struct Case {
        const char* key;
        float rotation1;
        float rotation2;
    };
    // Worked by hand from rotation 10 and no swing.
    for (const Case& c : {Case{"semicircle_plate", 9.9977432f, 9.9932459f}, Case{"t_plate", 9.9989436f, 9.9968384f}}) {
        // One empty slot: the plate does not complete.
        Plate* plate = AddPlate(c.key, 400.0f, 200.0f, 1, 20.0f);
        plate->mLocal[kAttrRotation] = 10.0f;
        plate->Update();
        EXPECT_NEAR(plate->mLocal[kAttrRotation], c.rotation1, 2e-5f) << c.key;
        plate->Update();
        EXPECT_NEAR(plate->mLocal[kAttrRotation], c.rotation2, 2e-5f) << c.key;
        plate->GoToStage("fade_out");
        const float swing = plate->mSwing;
        plate->Update();
        EXPECT_EQ(plate->mSwing, swing) << c.key;
    }
}

// A fill speeds a turning ring up by a fifth; the spinner and the stick keep
// their speed.
TEST_F(PlateHitTest, FillsSpeedUpTheTurningKinds)
{
    struct Case {
        const char* key;
        float after2;
    };
    for (const Case& c : {Case{"round_plate", 1.44f}, Case{"square_plate", 1.44f}, Case{"semicircle_plate", 1.44f},
                          Case{"spinner_plate", 1.0f}, Case{"stick_plate", 1.0f}}) {
        Plate* plate = AddPlate(c.key, 400.0f, 200.0f, 2, 20.0f);
        Filter* spin =
            plate->CurrentStage()->AddFilter(mGame->mFilterPool, kEasingVelocity, kAttrRotation, 1.0f, 0.0f, 0.0f, 0);
        plate->OnSlotFilled(5);
        plate->OnSlotFilled(5);
        EXPECT_NEAR(spin->mAmplitude, c.after2, 1e-5f) << c.key;
    }
}

} // namespace

// The committed trick levels played as a player would: the pointer at the
// throw the generator recorded (and 4 px either side of it, except off a
// round bumper, which turns a throw by the angle it meets it at), one click,
// and the trick is won: every plate is cleared before the middle layer
// leaves "still".
#include "game/engine/AnimObject.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/GameDataLoader.h"
#include "game/engine/GameState.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Stage.h"
#include "game/play/PlayHooks.h"
#include "game/play/Jewel.h"
#include "game/play/PlayState.h"
#include "game/play/Shooter.h"
#include "game/play/Slot.h"
#include "support/CommittedDataFixture.h"
#include "support/FakePlatformRecorder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Trick = LumoTest::RecordedTrick;

// Every family the generator makes, with whether its obstacle turns the
// throw by the angle it meets it at: then only the recorded x is sure to win.
struct Family {
    const char* name;
    bool turnsByAngle;
};

constexpr Family kFamilies[] = {
    {"straight", false}, {"bumper_bank", false}, {"warp", false},  {"basket", false},
    {"turret", false},   {"round_bumper", true}, {"key_row", false},
};

const Family* FindFamily(const std::string& name)
{
    for (const Family& family : kFamilies) {
        if (name == family.name)
            return &family;
    }
    return nullptr;
}

int CountPlates(const AnimObject* layer)
{
    int plates = 0;
    for (const AnimObject* child = layer->mChildren.Head(); child != nullptr; child = child->mNext)
        plates += child->mKind == kKindPlate;
    return plates;
}

class TrickLevelsTest : public LumoTest::CommittedDataFixture {
protected:
    void SetUp() override
    {
        CommittedDataFixture::SetUp();
        Play().Reset();
        MakeGame();
        mGame->mHooks = &mHooks;
        mGame->mRandom.SeedRandom(2024);
        LoadGameData("config.xml");
        CloseAll();
    }
    void TearDown() override
    {
        CloseAll();
        CommittedDataFixture::TearDown();
        Play().Reset();
    }
    void CloseAll()
    {
        if (!mGame)
            return;
        for (AnimObject* screen = mGame->mLiveObjects.Head(); screen != nullptr; screen = screen->mNext)
            screen->mRemove = 1;
        UpdateLiveObjects(*mGame);
    }
    bool Makes(const char* type)
    {
        std::unique_ptr<AnimObject> object(mHooks.CreateGameObject(type));
        return object != nullptr;
    }
    void PointAt(float x)
    {
        mHost.mouseX = static_cast<int>(x);
        mHost.mouseY = 300;
    }

    // The first slot on a plate of the played level, or null.
    Slot* FirstSlot()
    {
        AnimObject* inner = mGame->mInnerLayer;
        for (AnimObject* plate = inner != nullptr ? inner->mChildren.Head() : nullptr; plate; plate = plate->mNext) {
            for (AnimObject* child = plate->mChildren.Head(); child; child = child->mNext) {
                if (auto* slot = dynamic_cast<Slot*>(child))
                    return slot;
            }
        }
        return nullptr;
    }

    // True when a slot of the first trick takes a treasure of its kind that
    // flies through it: the slots' part of play is there.
    bool SlotsTakeTreasures()
    {
        CloseAll();
        mHooks.SetProfileMode(3);
        InsertLevelByNumber(1000);
        UpdateLiveObjects(*mGame);
        AnimObject* inner = mGame->mInnerLayer;
        Slot* slot = FirstSlot();
        if (slot == nullptr)
            return false;
        auto* jewel = new Jewel(slot->mSlotKind);
        inner->AddChild(jewel);
        jewel->GoToStage("shooting");
        jewel->mLocal[kAttrX] = slot->mWorld[kAttrX] - inner->mWorld[kAttrX];
        jewel->mLocal[kAttrY] = slot->mWorld[kAttrY] - inner->mWorld[kAttrY] + 30.0f;
        for (int tick = 0; tick < 40 && slot->mFilled == 0; ++tick)
            UpdateLiveObjects(*mGame);
        const bool taken = slot->mFilled != 0;
        CloseAll();
        return taken;
    }

    // Plays one trick with one throw at x: true when it was won.
    bool PlayTrick(int index, float x, std::string& how)
    {
        CloseAll();
        mHooks.SetProfileMode(3);
        InsertLevelByNumber(1000 + index);
        if (mGame->mLiveObjects.Head() == nullptr) {
            how = "no level";
            return false;
        }
        // The shooter recentres the pointer once at its 100th tick: aim after it.
        PointAt(x);
        for (int tick = 0; tick < 160; ++tick)
            UpdateLiveObjects(*mGame);
        PointAt(x);
        for (int tick = 0; tick < 60; ++tick)
            UpdateLiveObjects(*mGame);
        mGame->mInput.MouseDown(1);
        mGame->mInput.MouseUp(1);
        for (int tick = 0; tick < 6000; ++tick) {
            UpdateLiveObjects(*mGame);
            AnimObject* middle = mGame->mMiddleLayer;
            AnimObject* inner = mGame->mInnerLayer;
            if (middle == nullptr || inner == nullptr || middle->CurrentStage() == nullptr) {
                how = "no playfield";
                return false;
            }
            if (std::strcmp(middle->CurrentStage()->mName, "still") != 0) {
                const int left = CountPlates(inner);
                how = std::to_string(left) + " plate(s) left at tick " + std::to_string(tick);
                return left == 0;
            }
        }
        how = std::to_string(CountPlates(mGame->mInnerLayer)) + " plate(s) left, still running";
        return false;
    }

    LumoTest::FakePlatformRecorder mBoxes;
    PlayHooks mHooks;
};

TEST_F(TrickLevelsTest, EveryTrickIsWonByOneThrowAtItsRecordedX)
{
    if (!Makes("shooter") || !SlotsTakeTreasures())
        GTEST_SKIP() << "the shooter or the slots' play are not there yet";
    const std::vector<Trick> tricks = LumoTest::ReadRecordedTricks();
    ASSERT_EQ(tricks.size(), 26u);
    std::map<std::string, int> counts;
    for (const Trick& trick : tricks) {
        const Family* family = FindFamily(trick.family);
        if (family == nullptr) {
            ADD_FAILURE() << "trick " << trick.index << ": unknown family " << trick.family;
            continue;
        }
        ++counts[trick.family];
        const std::vector<float> offsets =
            family->turnsByAngle ? std::vector<float>{0.0f} : std::vector<float>{-4.0f, 0.0f, 4.0f};
        for (float offset : offsets) {
            std::string how;
            EXPECT_TRUE(PlayTrick(trick.index, trick.x + offset, how))
                << "trick " << trick.index << " (" << trick.family << ") at x " << trick.x + offset << ": " << how;
        }
    }
    for (const Family& family : kFamilies)
        EXPECT_GE(counts[family.name], 3) << family.name;
}

// Each trick hands its one treasure in its own kind, whatever level was on
// before: a trick left with empty slots of another kind (one the player
// missed, or only looked at) must not choose the next trick's treasure.
TEST_F(TrickLevelsTest, EveryTrickHandsATreasureOfItsOwnKind)
{
    if (!Makes("shooter"))
        GTEST_SKIP() << "the shooter is not there yet";
    for (const Trick& trick : LumoTest::ReadRecordedTricks()) {
        CloseAll();
        mHooks.SetProfileMode(3);
        InsertLevelByNumber(1000 + trick.index);
        int ready = -1;
        for (int tick = 0; tick < 200 && ready < 0; ++tick) {
            UpdateLiveObjects(*mGame);
            auto* shooter = dynamic_cast<Shooter*>(mGame->mShooter);
            if (const Jewel* piece = shooter != nullptr ? shooter->ReadyPiece() : nullptr)
                ready = piece->mTreasureKind;
        }
        const Slot* slot = FirstSlot();
        ASSERT_NE(slot, nullptr) << "trick " << trick.index;
        EXPECT_EQ(ready, slot->mSlotKind) << "trick " << trick.index << " (" << trick.family << ")";
    }
}

} // namespace

// The committed tutorial level played through by a scripted player: Cupid
// flies in, the player clicks through the rules, throws where the tutorial
// lets, clears the four steps of plates and ends with the last click, which
// opens the loading screen and then the map. Seeded, 4-ms ticks.
#include "CommittedPlayFixture.h"

#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "game/play/Jewel.h"
#include "game/play/PowerUp.h"
#include "game/play/Shooter.h"
#include "game/play/Slot.h"
#include "game/play/Tutorial.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

class TutorialRunTest : public LumoTest::CommittedPlayFixture {
protected:
    void SetUp() override
    {
        CommittedPlayFixture::SetUp();
        mGame->mProfiles.Current().mMode = 1;
    }

    void Tick() { UpdateLiveObjects(*mGame); }
    // A button press the game takes at its next tick: left, or right for a swap.
    void Press(float x, float y, int button)
    {
        mHost.mouseX = int(x);
        mHost.mouseY = int(y);
        mGame->mInput.MouseDown(button);
        mGame->mInput.MouseUp(button);
    }
    void MoveTo(float x, float y)
    {
        mHost.mouseX = int(x);
        mHost.mouseY = int(y);
    }

    std::string TopName() const
    {
        const AnimObject* top = mGame->Topmost();
        return top != nullptr ? top->mName : "";
    }
    static std::string StageName(const AnimObject* object)
    {
        return object != nullptr && object->CurrentStage() != nullptr ? object->CurrentStage()->mName : "";
    }

    // The tip on the scroll, its lines joined by "|"; each line's characters
    // must stand on the line's row (y -24, 0, 24, ...).
    std::string ShownTip(const Tutorial& tutorial)
    {
        std::string tip;
        int row = 0;
        for (AnimObject* line = tutorial.GetScroll()->mChildren.Head(); line != nullptr; line = line->mNext, ++row) {
            const auto* text = dynamic_cast<const TextObject*>(line);
            if (text == nullptr)
                continue;
            tip += (row > 0 ? "|" : "") + text->GetText();
            for (AnimObject* glyph = line->mChildren.Head(); glyph != nullptr; glyph = glyph->mNext) {
                if (glyph->mFrameCounter > 0.0f && glyph->mLocal[kAttrY] != -24.0f + 24.0f * float(row))
                    ADD_FAILURE() << "line " << row << " of \"" << tip << "\" at y " << glyph->mLocal[kAttrY];
            }
        }
        return tip;
    }

    // The empty slot of the kind on a plate on screen that lies lowest (no
    // full slot below it in the way), or null.
    AnimObject* SlotFor(int kind) const
    {
        AnimObject* best = nullptr;
        for (AnimObject* plate = mGame->mInnerLayer->mChildren.Head(); plate != nullptr; plate = plate->mNext) {
            if (plate->mKind != kKindPlate || plate->mWorld[kAttrY] < 40.0f)
                continue;
            for (AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
                const auto* slot = dynamic_cast<const Slot*>(child);
                if (slot != nullptr && slot->mFilled == 0 && slot->mSlotKind == kind &&
                    (best == nullptr || child->mWorld[kAttrY] > best->mWorld[kAttrY]))
                    best = child;
            }
        }
        return best;
    }
    int FlyingTreasures() const
    {
        int count = 0;
        for (AnimObject* child = mGame->mInnerLayer->mChildren.Head(); child != nullptr; child = child->mNext)
            count += child->mKind == kKindJewel ? 1 : 0;
        return count;
    }
};

TEST_F(TutorialRunTest, ANewPlayerPlaysTheTutorialAndGoesOn)
{
    InsertLevelByName("tutorial2");
    Tick();
    ASSERT_EQ(TopName(), "tutorial2");
    auto* tutorial = dynamic_cast<Tutorial*>(mGame->mTutorial);
    ASSERT_NE(tutorial, nullptr);
    auto* shooter = dynamic_cast<Shooter*>(mGame->mShooter);
    ASSERT_NE(shooter, nullptr);

    // Stages where Cupid waits for a click, and the steps where the player throws.
    const char* const clickStages[] = {"enter_idle", "rules_2", "pre_first_idle", "post_third_idle2", "5th_idle"};
    const char* const stepStages[] = {"1st_idle", "2nd_idle", "3rd_idle", "4th_idle"};
    std::vector<std::string> tips;
    std::vector<int> tipTicks;
    std::vector<std::string> buildingStages;
    // The power-ups that came into the level: which, and in which step.
    std::vector<const PowerUp*> powerUps;
    std::vector<int> powerUpKinds;
    std::vector<std::string> powerUpStages;
    std::vector<std::string> powerUpNames;
    std::string cupidStage;
    const Stage* lastStage = nullptr;
    int ticksInStage = 0;
    int aimTicks = 0;
    int throwsInSteps = 0;
    bool swapped = false;
    for (int tick = 0; tick < 60000 && TopName() == "tutorial2"; ++tick) {
        Tick();
        if (TopName() != "tutorial2")
            break;
        ASSERT_EQ(mGame->mProfiles.Current().mScore, 0) << "tick " << tick;
        const std::string tip = ShownTip(*tutorial);
        if (tips.empty() || tips.back() != tip) {
            tips.push_back(tip);
            tipTicks.push_back(0);
        }
        tipTicks.back() += 1;
        for (AnimObject* child = mGame->mLevel->mChildren.Head(); child != nullptr; child = child->mNext) {
            const auto* powerUp = dynamic_cast<const PowerUp*>(child);
            if (powerUp != nullptr && std::find(powerUps.begin(), powerUps.end(), powerUp) == powerUps.end()) {
                powerUps.push_back(powerUp);
                powerUpKinds.push_back(powerUp->GetKind());
                powerUpNames.push_back(powerUp->mName);
                powerUpStages.push_back(StageName(tutorial));
            }
        }
        const std::string building = StageName(mGame->mMiddleLayer);
        if (buildingStages.empty() || buildingStages.back() != building)
            buildingStages.push_back(building);

        // The two "rules_2" stages share their name: the stage itself counts.
        const std::string stage = StageName(tutorial);
        ticksInStage = tutorial->CurrentStage() == lastStage ? ticksInStage + 1 : 0;
        lastStage = tutorial->CurrentStage();
        cupidStage = stage;
        bool waitsForClick = false;
        for (const char* name : clickStages)
            waitsForClick = waitsForClick || stage == name;
        bool inStep = false;
        for (const char* name : stepStages)
            inStep = inStep || stage == name;

        if (waitsForClick) {
            // A reader's pause, then a click that throws nothing. At the end
            // the player lingers until the building stands again.
            if (ticksInStage == (stage == "5th_idle" ? 700 : 300)) {
                const int shots = shooter->mShots;
                Press(400.0f, 120.0f, 1);
                Ticks(3);
                EXPECT_EQ(shooter->mShots, shots) << "a click in " << stage << " threw";
            }
            continue;
        }
        if (!inStep || StageName(mGame->mMiddleLayer) != "scrolling" || FlyingTreasures() != 0)
            continue;
        ASSERT_EQ(shooter->mFireEnabled, 1) << stage;
        const Jewel* ready = shooter->ReadyPiece();
        if (ready == nullptr)
            continue;
        const AnimObject* slot = SlotFor(ready->mTreasureKind);
        if (slot == nullptr && !swapped) {
            Press(400.0f, 400.0f, -1);
            swapped = true;
            Ticks(60);
            continue;
        }
        // Aim under the slot (or at the wall when none takes the treasure)
        // and throw once the shooter stands there.
        const float x = slot != nullptr ? slot->mWorld[kAttrX] : 40.0f;
        MoveTo(x, 400.0f);
        if (++aimTicks < 20)
            continue;
        aimTicks = 0;
        swapped = false;
        const int shots = shooter->mShots;
        Press(x, 400.0f, 1);
        Tick();
        EXPECT_EQ(shooter->mShots, shots + 1) << "no throw in " << stage;
        throwsInSteps += 1;
    }
    EXPECT_EQ(TopName(), "loading");
    EXPECT_EQ(cupidStage, "5th_idle");
    EXPECT_EQ(mGame->mProfiles.Current().mScore, 0);
    EXPECT_GE(throwsInSteps, 19); // one for each of the 19 slots at least
    EXPECT_EQ(buildingStages, (std::vector<std::string>{"scrolling", "tut_next1", "scrolling", "tut_next2", "scrolling",
                                                        "tut_next3", "scrolling", "tut_next4", "scrolling"}));
    // The first plate cleared of the last step's three drops a POWER SHOT.
    ASSERT_FALSE(powerUps.empty());
    EXPECT_EQ(powerUpStages.front(), "4th_idle");
    EXPECT_EQ(powerUpKinds, std::vector<int>(powerUpKinds.size(), PowerUp::kPowerShot));
    EXPECT_EQ(powerUpNames.front(), "POWER SHOT");
    // Every tip once, in order, long enough to be read, in at most three lines.
    const std::vector<std::string> expectedTips = {
        "Hi! I am Cupid. I|will help you|save the city!",
        "The city sinks|into the sea.|Click to go on.",
        "Fill every slot|of a plate to|clear it!",
        "Let's try it!|Click when ready.",
        "Aim, then click|to throw!",
        "Well done! A full|plate is cleared.",
        "Match each shape|to its slot!",
        "Great work!",
        "Right click swaps|your treasures.",
        "You LOSE by|letting items|fall in the water!",
        "Now clear the|last plates by|yourself!",
        "Well done! Click|to begin your|journey.",
    };
    EXPECT_EQ(tips, expectedTips);
    for (size_t i = 0; i < tips.size(); ++i)
        EXPECT_GE(tipTicks[i], 150) << tips[i];

    // The loading screen leads a new player from the tutorial to the map.
    Ticks(400);
    EXPECT_EQ(TopName(), "level_select");
}

} // namespace

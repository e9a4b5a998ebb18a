// The played level's rules on a level the test writes: the loss table by
// mode and tries, the sinking building, the Survival sink sound, bubbles,
// the missed trick shot and the Journey loss test.
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "game/play/GameObjectFactory.h"
#include "game/play/LevelRules.h"
#include "game/play/Plate.h"
#include "game/play/Shooter.h"
#include "game/play/PlayState.h"
#include "game/play/Slot.h"
#include "support/PlayFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kFlood = 0;
constexpr int kJourney = 1;
constexpr int kSurvival = 2;
constexpr int kTrickshot = 3;

std::string Looping(const char* name)
{
    return std::string("<stage name=\"") + name + "\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n";
}

class LevelRulesTest : public PlayFixture {
protected:
    // A played level: water, the three layers (the middle one with the
    // states of play), a shooter, and two stand-in plates in the inner layer
    // at local y -100 and 200. The middle layer sits at y 50.
    Level* OpenPlayed(bool withDefeatStage = true, const std::string& levelAttributes = "")
    {
        const std::string middleStages = Looping("scrolling") + Looping("still") + Looping("victory") +
                                         (withDefeatStage ? "<stage name=\"defeat\" ms=\"2000\">\n" : "");
        const std::string xml =
            "<object type=\"level\" name=\"played\" " + levelAttributes + ">\n" + Looping("idle") +
            "<object type=\"plain\" name=\"water\" z_order=\"5\">\n" + Looping("wave") + "</object>\n" +
            "<object type=\"shooter\" name=\"shooter\" z_order=\"3\">\n" + Looping("ready") + Looping("reloading") +
            "</object>\n" + "<object type=\"plain\" name=\"background\">\n" + Looping("idle") +
            "<object type=\"plain\" name=\"tiles\">\n" + middleStages +
            "<object type=\"plain\" name=\"plate_container\">\n" + Looping("idle") +
            "<object type=\"plain\" name=\"upper\">\n" + Looping("idle") + "</object>\n" +
            "<object type=\"plain\" name=\"lower\">\n" + Looping("idle") + "</object>\n" +
            "</object>\n</object>\n</object>\n</object>\n";
        Level* level = OpenLevel("levels/played.xml", xml);
        if (level == nullptr)
            return nullptr;
        outer = level->FindChildByName("background");
        middle = outer->FindChildByName("tiles");
        inner = middle->FindChildByName("plate_container");
        shooter = level->FindChildByName("shooter");
        outer->mKind = middle->mKind = inner->mKind = kKindLayer;
        shooter->mKind = kKindShooter;
        for (const char* name : {"upper", "lower"})
            inner->FindChildByName(name)->mKind = kKindPlate;
        inner->FindChildByName("upper")->mLocal[kAttrY] = -100.0f;
        inner->FindChildByName("lower")->mLocal[kAttrY] = 200.0f;
        middle->mLocal[kAttrY] = 50.0f;
        Tick(); // publishes the layers and places everything
        return level;
    }

    std::vector<TextObject*> Texts(Level& level) const
    {
        std::vector<TextObject*> texts;
        for (AnimObject* child = level.mChildren.Head(); child != nullptr; child = child->mNext) {
            if (auto* text = dynamic_cast<TextObject*>(child); text != nullptr && child->mRemove == 0)
                texts.push_back(text);
        }
        return texts;
    }
    TextObject* TextSaying(Level& level, const std::string& words) const
    {
        for (TextObject* text : Texts(level)) {
            if (text->GetText() == words)
                return text;
        }
        return nullptr;
    }
    std::string MiddleStage() const
    {
        return middle->CurrentStage() != nullptr ? middle->CurrentStage()->mName : "";
    }
    int Bubbles(const Level& level) const
    {
        int count = 0;
        for (const AnimObject* child = level.mChildren.Head(); child != nullptr; child = child->mNext)
            count += child->mImage != nullptr && std::strcmp(child->mImage->mName, "gfx\\bubble.png") == 0;
        return count;
    }
    // A real plate of n slots, the first `filled` of them filled, in the inner layer.
    Plate* AddPlate(int n, int filled)
    {
        auto* plate = dynamic_cast<Plate*>(CreateGameObject("round_plate"));
        plate->mNumJewels = n;
        plate->mRadius = 20.0f;
        plate->InitType();
        int index = 0;
        for (AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kKindSlot)
                static_cast<Slot*>(child)->mFilled = index++ < filled ? 1 : 0;
        }
        inner->AppendChild(plate);
        return plate;
    }

    AnimObject* outer = nullptr;
    AnimObject* middle = nullptr;
    AnimObject* inner = nullptr;
    AnimObject* shooter = nullptr;
};

TEST_F(LevelRulesTest, LossFollowsTheTableOfModesAndTries)
{
    mFolder.Write("levels/endless_summary.xml",
                  "<object type=\"plain\" name=\"endless_summary\">\n" + Looping("idle") + "</object>\n");
    struct Case {
        int mode;
        int tries;
        const char* popup;
        int triesAfter;
        bool sinks;
        bool playAgain;
        bool summary;
        float difficultyAfter;
    };
    // Loss step 0.5 from difficulty 1: only Flood nudges it.
    const Case cases[] = {
        {kFlood, 2, "SUNK!", 2, true, true, false, 0.5f},
        {kJourney, 2, "2 TRIES LEFT", 1, false, false, false, 1.0f},
        {kJourney, 1, "THIS IS YOUR LAST TRY!", 0, false, false, false, 1.0f},
        {kJourney, 0, "SUNK!", -1, true, true, false, 1.0f},
        {kSurvival, 2, "SUNK!", 2, false, false, true, 1.0f},
        {kTrickshot, 2, "SUNK!", 2, true, true, false, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " tries " << c.tries);
        NewPlayGame();
        Tuning().mDifficultyChangeOnLoss = 0.5f;
        Tuning().mMaxDifficulty = 5.0f;
        Profile().mDifficulty = 1.0f;
        SetMode(c.mode);
        Level* level = OpenPlayed();
        ASSERT_NE(level, nullptr);
        // After the level is built: a new shooter gives its mode 2 tries.
        Profile().mTries[kJourney] = c.tries;

        LevelRules::Defeat(*level);

        ASSERT_NE(TextSaying(*level, c.popup), nullptr);
        EXPECT_STREQ(TextSaying(*level, c.popup)->mName, "popup_text");
        EXPECT_EQ(Profile().mTries[kJourney], c.triesAfter);
        EXPECT_EQ(Profile().mDifficulty, c.difficultyAfter);
        EXPECT_EQ(level->FindChildByName("endless_summary") != nullptr, c.summary);
        const bool defeated = c.sinks || c.mode == kSurvival;
        EXPECT_EQ(MiddleStage(), defeated ? "defeat" : "scrolling");
        EXPECT_EQ(Plays("audio\\rise.ogg"), defeated ? 1 : 0);
        EXPECT_EQ(level->mSinkSoundTimer, c.mode == kSurvival ? 1 : 0);
        // The shooter's sink sequence runs with every loss, tries left or not.
        ASSERT_NE(dynamic_cast<Shooter*>(shooter), nullptr);
        EXPECT_EQ(static_cast<Shooter*>(shooter)->mSinkCount, 1);

        TextObject* again = TextSaying(*level, "CLICK TO PLAY AGAIN");
        EXPECT_EQ(again != nullptr, c.playAgain);
        if (again != nullptr) {
            // It waits, fades in and then loops on a stage that carries the three actions.
            const Stage* loop = again->mStages.Tail();
            ASSERT_NE(loop, nullptr);
            EXPECT_EQ(loop->mLoopStart, 1);
            EXPECT_EQ(loop->mLoopEnd, 1);
            std::vector<std::string> actions;
            for (const ObjectEvent* event = loop->mEvents.Head(); event != nullptr; event = event->mNext) {
                EXPECT_EQ(event->mTrigger, kTriggerClickAnywhere);
                actions.push_back(std::to_string(event->mAction) + " " + event->mParm1 + " " + event->mParm2);
            }
            // The replay's key is read as the event is made: the next level number, 1 at the start.
            EXPECT_EQ(actions, (std::vector<std::string>{std::to_string(kActionClearScore) + "  ",
                                                         std::to_string(kActionInsertLevel) + " 1 ",
                                                         std::to_string(kActionSendLevel) + " fade_out all"}));
        }

        // The building sinks by its defeat stage: from y 50 to 1200 minus the
        // local y of the plate nearest the top (-100), i.e. 1300; Survival stays.
        Ticks(251); // the 251st step runs at progress 250 / 500
        EXPECT_EQ(middle->mLocal[kAttrY], c.sinks ? 675.0f : 50.0f);
    }
}

TEST_F(LevelRulesTest, ANewLossReplacesTheEarlierPopup)
{
    SetMode(kJourney);
    Level* level = OpenPlayed();
    Profile().mTries[kJourney] = 3;
    LevelRules::Defeat(*level);
    Tick();
    LevelRules::Defeat(*level);
    Tick();
    std::vector<std::string> shown;
    for (TextObject* text : Texts(*level))
        shown.push_back(text->GetText());
    EXPECT_EQ(shown, (std::vector<std::string>{"2 TRIES LEFT"}));
}

TEST_F(LevelRulesTest, LossWithoutDefeatStageOrUnderTheEditor)
{
    // No "defeat" stage: the building keeps its place and state, the rest of the loss runs.
    SetMode(kFlood);
    Level* level = OpenPlayed(false);
    LevelRules::Defeat(*level);
    EXPECT_EQ(MiddleStage(), "scrolling");
    EXPECT_NE(TextSaying(*level, "SUNK!"), nullptr);
    EXPECT_NE(TextSaying(*level, "CLICK TO PLAY AGAIN"), nullptr);
    EXPECT_EQ(Plays("audio\\rise.ogg"), 1);
    Ticks(10);
    EXPECT_EQ(middle->mLocal[kAttrY], 50.0f);

    // While the editor is open a loss does nothing at all.
    NewPlayGame();
    level = OpenPlayed();
    AnimObject editor;
    mGame->mEditor = &editor;
    LevelRules::Defeat(*level);
    mGame->mEditor = nullptr;
    EXPECT_TRUE(Texts(*level).empty());
    EXPECT_EQ(MiddleStage(), "scrolling");
}

TEST_F(LevelRulesTest, SurvivalSinkSoundRepeatsEvery750Ticks)
{
    // Heard through the game's own sound layer over a recording sound library.
    HearThroughBass({"audio\\rise.ogg", "audio\\endless_sink.ogg"});
    SetMode(kSurvival);
    Level* level = OpenPlayed();
    LevelRules::Defeat(*level);
    EXPECT_EQ(bass->Plays("audio\\rise.ogg"), 1);
    Ticks(749);
    EXPECT_EQ(bass->Plays("audio\\endless_sink.ogg"), 0);
    Tick();
    EXPECT_EQ(bass->Plays("audio\\endless_sink.ogg"), 1);
    Ticks(749);
    EXPECT_EQ(bass->Plays("audio\\endless_sink.ogg"), 1);
    Tick();
    EXPECT_EQ(bass->Plays("audio\\endless_sink.ogg"), 2);
    Ticks(750 * 3);
    EXPECT_EQ(bass->Plays("audio\\endless_sink.ogg"), 5);
}

TEST_F(LevelRulesTest, BubblesRiseOnlyWhileDefeatedAndScrollTicksCount)
{
    Level* level = OpenPlayed();
    const int before = level->mTicksInScroll;
    Ticks(60);
    EXPECT_EQ(Bubbles(*level), 0);
    EXPECT_EQ(level->mTicksInScroll, before + 60);

    middle->GoToStage("still");
    Ticks(30);
    EXPECT_EQ(level->mTicksInScroll, before + 60);
    EXPECT_EQ(Bubbles(*level), 0);

    middle->GoToStage("defeat");
    Ticks(60);
    const int risen = Bubbles(*level);
    EXPECT_GT(risen, 5);  // one in three ticks on average
    EXPECT_LT(risen, 40);
    const AnimObject* water = level->FindChildByName("water");
    for (const AnimObject* child = level->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mImage == nullptr || std::strcmp(child->mImage->mName, "gfx\\bubble.png") != 0)
            continue;
        // Sorted in before the water, then given z 9 without a re-sort.
        EXPECT_EQ(child->mZOrder, 9.0f);
        bool beforeWater = false;
        for (const AnimObject* next = child->mNext; next != nullptr; next = next->mNext)
            beforeWater = beforeWater || next == water;
        EXPECT_TRUE(beforeWater);
        EXPECT_GE(child->mLocal[kAttrX], -400.0f - 50.0f);
        EXPECT_LE(child->mLocal[kAttrX], 400.0f + 50.0f);
        EXPECT_LT(child->mLocal[kAttrY], 290.0f); // rising from y 290
        const Stage* stage = child->CurrentStage();
        ASSERT_NE(stage, nullptr);
        EXPECT_GE(stage->mLength, 250.0f);
        EXPECT_LE(stage->mLength, 750.0f);
    }
}

TEST_F(LevelRulesTest, TrickshotMissedOnlyDuringAStillTopmostLevel)
{
    Level* level = OpenPlayed(true, "main_music=\"audio\\main.ogg\"");
    SetMode(kJourney);
    Profile().mProgress[kJourney] = 4;
    Profile().mTrickStreak = 3;

    LevelRules::TrickshotMissed(*level); // scrolling: no trick under way
    EXPECT_EQ(MiddleStage(), "scrolling");
    EXPECT_EQ(Profile().mProgress[kJourney], 4);

    middle->GoToStage("still");
    OpenLevel("levels/menu.xml", "<object type=\"level\" name=\"pause\">\n" + Looping("idle") + "</object>\n");
    LevelRules::TrickshotMissed(*level); // another screen on top
    EXPECT_EQ(MiddleStage(), "still");
    mGame->mLiveObjects.Tail()->mRemove = 1;
    Ticks(2); // the leaving screen publishes last once; the level again after it
    ASSERT_EQ(mGame->Topmost(), level);

    sound.volumes.clear();
    LevelRules::TrickshotMissed(*level);
    EXPECT_EQ(MiddleStage(), "victory");
    EXPECT_EQ(Profile().mProgress[kJourney], 5);
    EXPECT_EQ(Profile().mTrickStreak, 0);
    EXPECT_EQ(Plays("audio\\trickshot_missed.ogg"), 1);
    ASSERT_EQ(sound.volumes.size(), 1u);
    EXPECT_EQ(sound.volumes[0].name, "audio\\main.ogg");
    EXPECT_FLOAT_EQ(sound.volumes[0].percent, 50.0f / 6.0f);

    // In Trickshot the progress becomes 1, whatever it was.
    middle->GoToStage("still");
    SetMode(kTrickshot);
    Profile().mProgress[kTrickshot] = 7;
    LevelRules::TrickshotMissed(*level);
    EXPECT_EQ(Profile().mProgress[kTrickshot], 1);
}

TEST_F(LevelRulesTest, JourneyLossNeedsEveryCondition)
{
    struct Case {
        const char* broken;
    };
    const Case cases[] = {{"none"},         {"tutorial"}, {"no room"}, {"mode"},  {"still"},
                          {"shooter busy"}, {"not live"}, {"chained"}, {"special"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.broken);
        NewPlayGame();
        SetMode(kJourney);
        Level* level = OpenPlayed();
        Profile().mTries[kJourney] = 2;
        const std::string broken = c.broken;
        AddPlate(3, broken == "no room" ? 3 : 2);
        AddPlate(2, 2);
        AnimObject tutorial;
        if (broken == "tutorial")
            mGame->mTutorial = &tutorial;
        if (broken == "mode")
            SetMode(kFlood);
        if (broken == "still")
            middle->GoToStage("still");
        if (broken == "shooter busy")
            shooter->GoToStage("reloading");
        const int live = broken == "not live" ? 0 : 1;
        const int chain = broken == "chained" ? 1 : 0;
        const int kind = broken == "special" ? 100 : 99;

        LevelRules::CheckJourneyLoss(*level, live, chain, kind);
        mGame->mTutorial = nullptr;
        const bool lost = broken == "none";
        EXPECT_EQ(TextSaying(*level, "2 TRIES LEFT") != nullptr, lost);
        EXPECT_EQ(Profile().mTries[kJourney], lost ? 1 : 2);
    }
}

TEST_F(LevelRulesTest, PlatesHaveRoomAndPopupsAreKilledByName)
{
    Level* level = OpenPlayed();
    EXPECT_FALSE(LevelRules::PlatesHaveRoom()); // stand-ins have no slots
    Plate* full = AddPlate(2, 2);
    EXPECT_FALSE(LevelRules::PlatesHaveRoom());
    AddPlate(4, 3);
    EXPECT_TRUE(LevelRules::PlatesHaveRoom());
    (void)full;
    mGame->mInnerLayer = nullptr;
    EXPECT_FALSE(LevelRules::PlatesHaveRoom());

    auto named = [&](const char* name) {
        auto* object = new AnimObject();
        std::strcpy(object->mName, name);
        level->AppendChild(object);
        return object;
    };
    AnimObject* first = named("popup_text");
    AnimObject* other = named("popup_texts");
    AnimObject* second = named("popup_text");
    LevelRules::KillPopupTexts(*level);
    EXPECT_EQ(first->mRemove, 1);
    EXPECT_EQ(second->mRemove, 1);
    EXPECT_EQ(other->mRemove, 0);
}

} // namespace

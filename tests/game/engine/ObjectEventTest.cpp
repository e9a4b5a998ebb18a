// Events of stages: when each trigger fires, the click test, every action
// with its missing-object case, and events that open and close screens
// during a tick.
#include "game/engine/ObjectEvent.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/LevelRecord.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/SampleEntry.h"
#include "game/engine/Stage.h"
#include "platform/window/WindowMessage.h"
#include "support/GameDataFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Counts its custom actions: the test's view of when a trigger fired.
class CountingObject : public AnimObject {
public:
    void OnCustomAction(const char* parameter) override
    {
        ++fired;
        last = parameter != nullptr ? parameter : "";
    }
    int fired = 0;
    std::string last;
};

class ObjectEventTest : public GameDataFixture {
protected:
    Level* AddScreen(const char* name)
    {
        auto* screen = new Level;
        std::strcpy(screen->mName, name);
        mGame->mLiveObjects.Append(screen);
        screen->mKind = 6;
        screen->AddStage(100000.0f, 0, 0, 1, "idle");
        return screen;
    }

    // A counting object under the screen with one stage of that length.
    CountingObject* AddCounter(AnimObject* parent, float ms, int loopStart = 0, int loopEnd = 0)
    {
        auto* counter = new CountingObject;
        parent->AddChild(counter);
        counter->AddStage(ms, loopStart, loopEnd, 1, "run");
        return counter;
    }

    // A button with an 8 x 8 picture at (400, 300) whose click runs "custom".
    CountingObject* AddButton(AnimObject* screen, const char* trigger = "click", const char* altKey = nullptr)
    {
        CountingObject* button = AddCounter(screen, 100000.0f);
        button->SetImage("gfx\\button.png", 0.0f, 0.0f, 1, 0.0f);
        button->SetStageAttribute(kAttrX, 400.0f, 400.0f);
        button->SetStageAttribute(kAttrY, 300.0f, 300.0f);
        button->AddEventByName(trigger, "custom", nullptr, nullptr, nullptr, nullptr, altKey);
        return button;
    }

    void AddRecord(const char* name, int number, const std::string& text)
    {
        LevelRecord* record = mGame->mMainLevels.Append(new LevelRecord);
        std::strcpy(record->mName, name);
        record->mNumber = number;
        record->mFileName = std::string(name) + ".xml";
        record->mText.reset(new char[text.size() + 1]);
        std::memcpy(record->mText.get(), text.c_str(), text.size() + 1);
    }

    static std::string Screen(const std::string& name)
    {
        return "<object type=\"level\" name=\"" + name + "\">\n<stage name=\"idle\" ms=\"100000\">\n</object>\n";
    }

    // An event of the object's last stage, run once.
    ObjectEvent* Run(AnimObject* owner, const char* action, const char* parm1 = nullptr, const char* parm2 = nullptr,
                     const char* parm3 = nullptr, const char* parm4 = nullptr)
    {
        ObjectEvent* event = owner->AddEventByName("code", action, parm1, parm2, parm3, parm4, nullptr);
        EXPECT_NE(event, nullptr);
        if (event != nullptr)
            event->RunAction();
        return event;
    }
};

TEST_F(ObjectEventTest, NamesCodesAndAltKeysGoBothWays)
{
    EXPECT_EQ(ObjectEvent::TriggerCodeFromName("interval"), 9);
    EXPECT_EQ(ObjectEvent::TriggerCodeFromName("Click"), 0);
    EXPECT_EQ(ObjectEvent::TriggerCodeFromName(nullptr), 0);
    EXPECT_STREQ(ObjectEvent::TriggerName(10), "");
    EXPECT_EQ(ObjectEvent::ActionCodeFromName("enable_3d_hardware"), 35);
    EXPECT_EQ(ObjectEvent::ActionCodeFromName("fly"), 0);
    EXPECT_STREQ(ObjectEvent::ActionName(6), "");
    EXPECT_STREQ(ObjectEvent::ActionName(23), "kill_all_previous");
    EXPECT_STREQ(ObjectEvent::ActionName(36), "");
    const std::pair<const char*, int> keys[] = {{"return", 13}, {"escape", 27}, {"space", 32}, {"p", 'p'},
                                                {"pause", 'p'}, {"", 0}};
    for (const auto& [name, code] : keys) {
        EXPECT_EQ(ObjectEvent::AltKeyFromName(name), code) << name;
        if (code != 0) {
            EXPECT_EQ(ObjectEvent::AltKeyFromName(ObjectEvent::AltKeyName(uint8_t(code)).c_str()), code);
        }
    }
    // Parameters pass through the text keys and are cut after that.
    ObjectEvent event(1, 1, "PLAY_KEY", "LONG_KEY", nullptr, "", nullptr);
    EXPECT_STREQ(event.mParm1, "main_play");
    EXPECT_EQ(std::strlen(event.mParm2), 63u);
    EXPECT_EQ(event.GetCutParameters(), 2);
    EXPECT_EQ(event.mAltKey, 0);
}

TEST_F(ObjectEventTest, StartAndEndFireOncePerEntryAlsoAfterALoopBack)
{
    Level* screen = AddScreen("screen");
    // 40 ms: ten ticks, looping on itself.
    CountingObject* starts = AddCounter(screen, 40.0f, 1, 1);
    starts->AddEventByName("start", "custom", nullptr, nullptr, nullptr, nullptr, nullptr);
    CountingObject* ends = AddCounter(screen, 40.0f, 1, 1);
    ends->AddEventByName("end", "custom", nullptr, nullptr, nullptr, nullptr, nullptr);

    Ticks(1);
    EXPECT_EQ(starts->fired, 0) << "the first step has tick counter 0";
    Ticks(1);
    EXPECT_EQ(starts->fired, 1);
    Ticks(9); // tick counters 2..10: the tenth ends the stage
    EXPECT_EQ(starts->fired, 1);
    EXPECT_EQ(ends->fired, 1);
    // The loop starts again at tick counter 1: "start" fires on the first step.
    Ticks(1);
    EXPECT_EQ(starts->fired, 2);
    Ticks(10);
    EXPECT_EQ(starts->fired, 3);
    EXPECT_EQ(ends->fired, 2);
}

TEST_F(ObjectEventTest, IntervalAndLessThan)
{
    Level* screen = AddScreen("screen");
    CountingObject* everySecond = AddCounter(screen, 4000.0f, 1, 1); // 1000 ticks
    everySecond->AddEventByName("interval", "custom", "1000", nullptr, nullptr, nullptr, nullptr);
    CountingObject* tooShort = AddCounter(screen, 4000.0f, 1, 1);
    tooShort->AddEventByName("interval", "custom", "3", nullptr, nullptr, nullptr, nullptr);
    CountingObject* below = AddCounter(screen, 40.0f, 1, 1);
    below->SetStageAttribute(kAttrX, 0.0f, 10.0f);
    below->AddEventByName("less_than", "custom", "x", "5", nullptr, nullptr, nullptr);

    Ticks(11);
    EXPECT_EQ(everySecond->fired, 1) << "tick counter 0";
    EXPECT_EQ(below->fired, 5) << "x = 0, 1, 2, 3, 4";
    Ticks(240);
    EXPECT_EQ(everySecond->fired, 2) << "tick counter 250";
    Ticks(750);
    EXPECT_EQ(everySecond->fired, 5) << "0, 250, 500, 750 and 1000";
    EXPECT_EQ(tooShort->fired, 0);
}

TEST_F(ObjectEventTest, TheClickTest)
{
    struct ClickCase {
        const char* what;
        const char* trigger;
        bool covered;      // another screen lies above
        bool fading;       // the screen's stage is named "fade_in"
        bool hidden;       // the button's stage hides it
        float mouseX;      // the button covers 396..404
        float click;       // a left press this tick
        int pressedKey;    // key pressed this tick
        bool editor;       // the level editor exists
        bool fires;
    };
    const ClickCase cases[] = {
        {"hot and clicked", "click", false, false, false, 400, 1, -1, false, true},
        {"hot, no click", "click", false, false, false, 400, 0, -1, false, false},
        {"clicked elsewhere", "click", false, false, false, 100, 1, -1, false, false},
        {"anywhere", "click_anywhere", false, false, false, 100, 1, -1, false, true},
        {"under another screen", "click", true, false, false, 400, 1, -1, false, false},
        {"anywhere under another screen", "click_anywhere", true, false, false, 100, 1, -1, false, false},
        {"while fading", "click", false, true, false, 400, 1, -1, false, false},
        {"invisible", "click", false, false, true, 400, 1, -1, false, false},
        {"alt key", "click", false, false, false, 100, 0, 13, false, true},
        {"alt key with the editor", "click", false, false, false, 100, 0, 13, true, false},
        {"another key", "click", false, false, false, 100, 0, 27, false, false},
    };
    for (const ClickCase& c : cases) {
        SCOPED_TRACE(c.what);
        NewGame();
        Level* screen = AddScreen("menu");
        if (c.fading)
            std::strcpy(screen->CurrentStage()->mName, "fade_in");
        CountingObject* button = AddButton(screen, c.trigger, "return");
        if (c.hidden)
            button->CurrentStage()->mVisible = 0;
        Ticks(2); // the button takes its place and visibility
        if (c.covered)
            AddScreen("popup");
        AnimObject editor;
        if (c.editor)
            mGame->mEditor = &editor;
        MovePointer(c.mouseX, 300.0f, c.click != 0.0f);
        hooks.pressedKey = c.pressedKey;
        Ticks(1);
        EXPECT_EQ(button->fired, c.fires ? 1 : 0);
        EXPECT_EQ(Plays("audio\\click.ogg"), c.fires ? 1 : 0);
        mGame->mEditor = nullptr;
        hooks.pressedKey = -1;
    }
}

// A key pressed and let go between two ticks is the next tick's press, for
// that tick only.
TEST_F(ObjectEventTest, AKeyTappedBetweenTicksIsTakenAtTheNextTickOnly)
{
    hooks.realKeys = true;
    Level* menu = AddScreen("menu");
    CountingObject* button = AddButton(menu, "click", "return");
    Ticks(2);
    PressKey(Plat::kVkReturn);
    Ticks(1);
    EXPECT_EQ(button->fired, 1);
    Ticks(5);
    EXPECT_EQ(button->fired, 1) << "one tap, one press";

    // Tapped while the topmost screen takes no key; a screen that opens two
    // ticks later does not get it.
    AddScreen("blank");
    Ticks(1);
    PressKey(Plat::kVkReturn);
    Ticks(2);
    Level* later = AddScreen("later");
    CountingObject* laterButton = AddButton(later, "click", "return");
    Ticks(5);
    EXPECT_EQ(laterButton->fired, 0);
    EXPECT_EQ(button->fired, 1);
    EXPECT_EQ(Plays("audio\\click.ogg"), 1);
}

TEST_F(ObjectEventTest, InsertLevelOpensOnlyFromTheTopmostScreenOrUnderAPause)
{
    AddRecord("options", 0, Screen("options"));
    AddRecord("level1", 1, Screen("level1"));
    LevelRecord* trick = mGame->mTrickLevels.Append(new LevelRecord);
    trick->mNumber = 999;
    trick->mFileName = "trick999.xml";
    const std::string trickText = Screen("trick999");
    trick->mText.reset(new char[trickText.size() + 1]);
    std::memcpy(trick->mText.get(), trickText.c_str(), trickText.size() + 1);
    Level* menu = AddScreen("menu");
    Run(menu, "insert_level", "options");
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"menu", "options"}));

    // From below, nothing; from below a pause screen, it opens.
    Run(menu, "insert_level", "level1");
    EXPECT_EQ(ScreenNames().size(), 2u);
    AddScreen("pause_menu");
    Run(menu, "insert_level", "1");
    EXPECT_STREQ(Topmost()->mName, "level1");
    EXPECT_EQ(Topmost()->mLevelNumber, 1u);
    // 1..1999 go by number (from 1000 on, trick levels); 0 and 2000 by name.
    Run(Topmost(), "insert_level", "1999");
    EXPECT_STREQ(Topmost()->mName, "trick999");
    EXPECT_EQ(Topmost()->mLevelNumber, 999u);
    const size_t screens = ScreenNames().size();
    Run(Topmost(), "insert_level", "0");
    Run(Topmost(), "insert_level", "2000");
    EXPECT_EQ(ScreenNames().size(), screens);
}

TEST_F(ObjectEventTest, StageActions)
{
    Level* bottom = AddScreen("bottom");
    Level* screen = AddScreen("screen");
    screen->AddStage(1000.0f, 0, 0, 1, "second");
    CountingObject* owner = AddCounter(screen, 1000.0f);
    owner->AddStage(1000.0f, 0, 0, 1, "later");
    mGame->mLevel = screen;

    Run(owner, "go_to_stage", "later");
    EXPECT_STREQ(owner->CurrentStage()->mName, "later");
    Run(owner, "send_parent_to_stage", "second");
    EXPECT_STREQ(screen->CurrentStage()->mName, "second");
    Run(bottom, "send_parent_to_stage", "second") ;
    EXPECT_STREQ(bottom->CurrentStage()->mName, "idle") << "no parent: nothing";

    // next_stage from the last stage: nothing; from the first: the second.
    Run(owner, "next_stage");
    EXPECT_STREQ(owner->CurrentStage()->mName, "later");
    ObjectEvent* first = owner->mStages.Head()->mEvents.Append(new ObjectEvent(8, kActionNextStage, 0, 0, 0, 0, 0));
    first->mOwnerStage = owner->mStages.Head();
    owner->SetStage(owner->mStages.Head());
    first->RunAction();
    EXPECT_STREQ(owner->CurrentStage()->mName, "later");

    Run(owner, "send_level", "idle");
    EXPECT_STREQ(screen->CurrentStage()->mName, "idle");
    screen->GoToStage("second");
    bottom->AddStage(10.0f, 0, 0, 1, "second");
    Run(owner, "send_level", "second", "all");
    EXPECT_STREQ(bottom->CurrentStage()->mName, "second");
    EXPECT_STREQ(screen->CurrentStage()->mName, "second");

    Run(owner, "move", nullptr, nullptr, "rotation", "45.5");
    EXPECT_EQ(owner->mLocal[kAttrRotation], 45.5f);

    ObjectEvent* bump = Run(owner, "bump_tick_counter", nullptr, nullptr, nullptr, "1002");
    EXPECT_EQ(bump->mOwnerStage->mTicks, 250.5f);

    Run(owner, "custom", "hello");
    EXPECT_EQ(owner->last, "hello");

    Run(owner, "change_image", "gfx\\other.png");
    ASSERT_NE(owner->mImage, nullptr);
    EXPECT_STREQ(owner->mImage->mName, "gfx\\other.png");
    EXPECT_EQ(owner->mSource[2], 8.0f);
}

TEST_F(ObjectEventTest, ScreenActions)
{
    Level* bottom = AddScreen("bottom");
    Level* middle = AddScreen("middle");
    Level* top = AddScreen("top");
    AnimObject* child = AddCounter(top, 100.0f);

    // Actions on the previous screen: nothing without one.
    Run(bottom, "dim_previous");
    Run(child, "dim_previous");
    Run(top, "dim_previous");
    EXPECT_EQ(middle->mLocal[kAttrR], 0.5f);
    EXPECT_EQ(middle->mLocal[kAttrB], 0.5f);
    EXPECT_EQ(middle->mPaused, 1);
    EXPECT_EQ(middle->mFrameCounter, 1.0f) << "updated once";
    Run(top, "brighten_previous");
    EXPECT_EQ(middle->mLocal[kAttrG], 1.0f);
    EXPECT_EQ(middle->mPaused, 0);
    Run(top, "dim_previous_no_pause");
    EXPECT_EQ(middle->mLocal[kAttrR], 0.5f);
    EXPECT_EQ(middle->mPaused, 0);
    Run(top, "pause_previous");
    EXPECT_EQ(middle->mPaused, 1);

    Run(top, "clear_button_state");
    top->mLeftClick = 1.0f;
    mGame->mLevel = top;
    Run(child, "clear_button_state");
    EXPECT_EQ(top->mLeftClick, 0.0f);

    Run(top, "kill_all");
    EXPECT_EQ(bottom->mRemove + middle->mRemove + top->mRemove, 3);
}

TEST_F(ObjectEventTest, KillAllPreviousFromTheMiddleAndFromOutsideTheList)
{
    AddScreen("a");
    AddScreen("b");
    Level* middle = AddScreen("c");
    AddScreen("d");
    Run(middle, "kill_all_previous");
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"c", "d"}));

    // A screen that is not in the live list cannot become its bottom: the list stays.
    Level loose;
    loose.mKind = 6;
    loose.AddStage(10.0f, 0, 0, 1, nullptr);
    Run(&loose, "kill_all_previous");
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"c", "d"}));
}

TEST_F(ObjectEventTest, SoundAndMusicActions)
{
    Level* bottom = AddScreen("bottom");
    Level* top = AddScreen("top");
    bottom->mMusicEntry = sound.GetSample("audio\\bottom.ogg", 1, 1);
    top->mMainEntry = sound.GetSample("audio\\top.ogg", 1, 1);
    AnimObject* child = AddCounter(top, 400.0f);

    Run(child, "play_sound", nullptr, nullptr, "audio\\pop.ogg");
    EXPECT_EQ(Plays("audio\\pop.ogg"), 1);
    EXPECT_EQ(sound.plays.back().frequency, kDefaultSampleRate);

    Run(child, "stop_music");
    EXPECT_TRUE(sound.volumes.empty()) << "only a screen stops its music";
    Run(top, "stop_music");
    ASSERT_EQ(sound.volumes.size(), 1u);
    EXPECT_EQ(sound.volumes[0].name, "audio\\top.ogg");
    EXPECT_EQ(sound.volumes[0].percent, -1.0f);

    // fade_music: the player's volume (80) times (1 - t) on the current level.
    mGame->mLevel = top;
    ObjectEvent* fade = child->AddEventByName("code", "fade_music", 0, 0, 0, 0, 0);
    fade->mOwnerStage->mT = 0.25f;
    fade->RunAction();
    EXPECT_EQ(sound.volumes.back().percent, 60.0f);
    fade->mOwnerStage->mT = 1.0f;
    fade->RunAction();
    EXPECT_EQ(sound.volumes.back().percent, -1.0f);

    // fade_previous_music: 100 times (1 - t) on the bottom screen.
    ObjectEvent* fadePrevious = top->AddEventByName("code", "fade_previous_music", 0, 0, 0, 0, 0);
    fadePrevious->mOwnerStage->mT = 0.5f;
    fadePrevious->RunAction();
    EXPECT_EQ(sound.volumes.back().name, "audio\\bottom.ogg");
    EXPECT_EQ(sound.volumes.back().percent, 50.0f);
}

TEST_F(ObjectEventTest, ActionsOfTheGameGoToItsHooks)
{
    Level* screen = AddScreen("screen");
    Run(screen, "set_level_number", "12");
    EXPECT_EQ(hooks.nextLevelNumber, 12);
    for (const char* action : {"new_user_name", "change_user_name", "delete_user", "get_initial_user",
                               "enter_high_score", "clear_score", "reset_progress", "save_score", "set_mode",
                               "bump_score"})
        Run(screen, action, "1");
    EXPECT_EQ(hooks.profileActions, (std::vector<int>{19, 20, 21, 22, 25, 26, 27, 31, 32, 33}));
    Run(screen, "enable_3d_hardware");
    EXPECT_TRUE(hooks.enabled3D);
    // Sparkles and particles need a played level: without one nothing happens.
    Run(screen, "make_sparkles", "1000000");
    Run(screen, "make_particles", "1000000");
    EXPECT_EQ(mGame->mObjectPool.CountInUse(), 0);
}

TEST_F(ObjectEventTest, ALastStageEndOpensTheNextScreen)
{
    AddRecord("next", 0, Screen("next"));
    CreateObjectsFromXml("<object type=\"level\" name=\"intro\">\n"
                         "<stage name=\"show\" ms=\"40\">\n"
                         "<event type=\"end\" action=\"insert_level\" parm1=\"next\">\n"
                         "</object>\n",
                         nullptr);
    Ticks(10);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"intro"}));
    // The eleventh step ends the stage: the next screen opens, the intro ends.
    Ticks(1);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"next"}));
    Ticks(1);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"next"}));
}

} // namespace

// A trigger and action pair of a stage: while the stage is current its
// owner's events are tested every tick, in list order, and each action runs
// at once when its trigger holds. Menus and screens react to the player
// through them without code of their own.
#pragma once

#include "game/engine/ListNode.h"

#include <cstdint>
#include <string>

class AnimObject;
class Stage;

enum EventTrigger {
    kTriggerNone = 0,
    kTriggerClick = 1,
    kTriggerClickAnywhere = 2,
    kTriggerHot = 3,
    kTriggerNotHot = 4,
    kTriggerStart = 5,
    kTriggerEnd = 6,
    kTriggerLessThan = 7,
    kTriggerCode = 8,
    kTriggerInterval = 9,
};

enum EventAction {
    kActionNone = 0,
    kActionInsertLevel = 1,
    kActionSendLevel = 2,
    kActionGoToStage = 3,
    kActionSendParentToStage = 4,
    kActionNextStage = 5,
    kActionLevelTakesChild = 6,
    kActionMove = 7,
    kActionPlaySound = 8,
    kActionDimPrevious = 9,
    kActionPausePrevious = 10,
    kActionDimPreviousNoPause = 11,
    kActionBrightenPrevious = 12,
    kActionStopMusic = 13,
    kActionFadeMusic = 14,
    kActionFadePreviousMusic = 15,
    kActionMakeSparkles = 16,
    kActionMakeParticles = 17,
    kActionSetLevelNumber = 18,
    kActionNewUserName = 19,
    kActionChangeUserName = 20,
    kActionDeleteUser = 21,
    kActionGetInitialUser = 22,
    kActionKillAllPrevious = 23,
    kActionKillAll = 24,
    kActionEnterHighScore = 25,
    kActionClearScore = 26,
    kActionResetProgress = 27,
    kActionChangeImage = 28,
    kActionBumpTickCounter = 29,
    kActionCustom = 30,
    kActionSaveScore = 31,
    kActionSetMode = 32,
    kActionBumpScore = 33,
    kActionClearButtonState = 34,
    kActionEnable3DHardware = 35,
};

class ObjectEvent : public ListNode<ObjectEvent> {
public:
    static constexpr int kParmSize = 64;

    ObjectEvent() = default;
    // Parameters pass through the text keys and are cut to 63 characters;
    // the alt key name gives the key that also fires a click.
    ObjectEvent(int trigger, int action, const char* parm1, const char* parm2, const char* parm3,
                const char* parm4, const char* altKey);
    ObjectEvent(const ObjectEvent&) = delete;
    ObjectEvent& operator=(const ObjectEvent&) = delete;

    // The same from trigger and action names.
    void InitByName(const char* trigger, const char* action, const char* parm1, const char* parm2,
                    const char* parm3, const char* parm4, const char* altKey);

    static void DisposeRecord(ObjectEvent* event) { delete event; }

    // Names and codes: an unknown name gives 0, a code without a name "".
    static int TriggerCodeFromName(const char* name);
    static const char* TriggerName(int code);
    static int ActionCodeFromName(const char* name);
    static const char* ActionName(int code);
    // "return" 13, "escape" 27, "space" 32, else the first character; 0 for none.
    static uint8_t AltKeyFromName(const char* name);
    // The name the reader takes back; empty for no key.
    static std::string AltKeyName(uint8_t key);

    AnimObject* Owner() const;

    // Evaluates the trigger and runs the action when it holds.
    void TestTrigger();
    bool TestClick(bool anywhere);
    bool TestAttribute() const;
    void RunAction();

    // Bit i set: parameter i + 1 was cut to fit.
    int GetCutParameters() const { return mCutParameters; }

    int mKeep = 0;
    Stage* mOwnerStage = nullptr;
    int mTrigger = 0;
    int mAction = 0;
    uint8_t mAltKey = 0;
    char mParm1[kParmSize] = {};
    char mParm2[kParmSize] = {};
    char mParm3[kParmSize] = {};
    char mParm4[kParmSize] = {};

private:
    void SetParameters(const char* parm1, const char* parm2, const char* parm3, const char* parm4,
                       const char* altKey);

    int mCutParameters = 0;
};

#include "game/engine/ObjectEvent.h"

#include "game/engine/AnimObject.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameHooks.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/SoundLayer.h"
#include "game/engine/Stage.h"
#include "game/engine/StageNames.h"

#include <cstring>

namespace {

const char* const kTriggerNames[] = {"", "click", "click_anywhere", "hot", "not_hot", "start", "end", "less_than",
                                     "code", "interval"};

const char* const kActionNames[] = {"",
                                    "insert_level",
                                    "send_level",
                                    "go_to_stage",
                                    "send_parent_to_stage",
                                    "next_stage",
                                    "",
                                    "move",
                                    "play_sound",
                                    "dim_previous",
                                    "pause_previous",
                                    "dim_previous_no_pause",
                                    "brighten_previous",
                                    "stop_music",
                                    "fade_music",
                                    "fade_previous_music",
                                    "make_sparkles",
                                    "make_particles",
                                    "set_level_number",
                                    "new_user_name",
                                    "change_user_name",
                                    "delete_user",
                                    "get_initial_user",
                                    "kill_all_previous",
                                    "kill_all",
                                    "enter_high_score",
                                    "clear_score",
                                    "reset_progress",
                                    "change_image",
                                    "bump_tick_counter",
                                    "custom",
                                    "save_score",
                                    "set_mode",
                                    "bump_score",
                                    "clear_button_state",
                                    "enable_3d_hardware"};

constexpr int kTriggerCount = int(sizeof(kTriggerNames) / sizeof(kTriggerNames[0]));
constexpr int kActionCount = int(sizeof(kActionNames) / sizeof(kActionNames[0]));

// Copies into a 64-character parameter; true when it had to be cut.
bool CopyParameter(char (&field)[ObjectEvent::kParmSize], const std::string& text)
{
    const size_t length = text.size() < size_t(ObjectEvent::kParmSize - 1) ? text.size() : ObjectEvent::kParmSize - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
    return length < text.size();
}

Level* AsLevel(AnimObject* object)
{
    return dynamic_cast<Level*>(object);
}

// Sets a screen's four music channels to the volume (below 0 stops them).
void SetMusicVolume(Level& level, float volume)
{
    SoundLayer& sound = *Game().mSound;
    for (SampleEntry* entry : {level.mMusicEntry, level.mIntroEntry, level.mMainEntry, level.mWinEntry}) {
        if (entry != nullptr)
            sound.SetChannelVolume(entry, volume);
    }
}

void SetColour(AnimObject& object, float value)
{
    object.mLocal[kAttrR] = value;
    object.mLocal[kAttrG] = value;
    object.mLocal[kAttrB] = value;
}

void SetPaused(AnimObject& object, int paused)
{
    if (object.mKind != 6)
        return;
    if (Level* level = AsLevel(&object))
        level->mPaused = paused;
}

} // namespace

ObjectEvent::ObjectEvent(int trigger, int action, const char* parm1, const char* parm2, const char* parm3,
                         const char* parm4, const char* altKey)
    : mTrigger(trigger), mAction(action)
{
    SetParameters(parm1, parm2, parm3, parm4, altKey);
}

void ObjectEvent::InitByName(const char* trigger, const char* action, const char* parm1, const char* parm2,
                             const char* parm3, const char* parm4, const char* altKey)
{
    mTrigger = TriggerCodeFromName(trigger);
    mAction = ActionCodeFromName(action);
    SetParameters(parm1, parm2, parm3, parm4, altKey);
}

void ObjectEvent::SetParameters(const char* parm1, const char* parm2, const char* parm3, const char* parm4,
                                const char* altKey)
{
    GameHooks* hooks = GameState::TryCurrent() != nullptr ? Game().mHooks : nullptr;
    char (*const fields[4])[kParmSize] = {&mParm1, &mParm2, &mParm3, &mParm4};
    const char* const given[4] = {parm1, parm2, parm3, parm4};
    mCutParameters = 0;
    for (int i = 0; i < 4; ++i) {
        const std::string text = given[i] == nullptr ? std::string()
                                 : hooks != nullptr  ? hooks->ResolveTextKey(given[i])
                                                     : std::string(given[i]);
        if (CopyParameter(*fields[i], text))
            mCutParameters |= 1 << i;
    }
    mAltKey = AltKeyFromName(altKey);
}

int ObjectEvent::TriggerCodeFromName(const char* name)
{
    if (name == nullptr)
        return 0;
    for (int code = 1; code < kTriggerCount; ++code) {
        if (std::strcmp(name, kTriggerNames[code]) == 0)
            return code;
    }
    return 0;
}

const char* ObjectEvent::TriggerName(int code)
{
    return code >= 0 && code < kTriggerCount ? kTriggerNames[code] : "";
}

int ObjectEvent::ActionCodeFromName(const char* name)
{
    if (name == nullptr || *name == '\0')
        return 0;
    for (int code = 1; code < kActionCount; ++code) {
        if (std::strcmp(name, kActionNames[code]) == 0)
            return code;
    }
    return 0;
}

const char* ObjectEvent::ActionName(int code)
{
    return code >= 0 && code < kActionCount ? kActionNames[code] : "";
}

uint8_t ObjectEvent::AltKeyFromName(const char* name)
{
    if (name == nullptr || *name == '\0')
        return 0;
    if (std::strcmp(name, "return") == 0)
        return 13;
    if (std::strcmp(name, "escape") == 0)
        return 27;
    if (std::strcmp(name, "space") == 0)
        return 32;
    return uint8_t(name[0]);
}

std::string ObjectEvent::AltKeyName(uint8_t key)
{
    switch (key) {
    case 0:
        return std::string();
    case 13:
        return "return";
    case 27:
        return "escape";
    case 32:
        return "space";
    default:
        return std::string(1, char(key));
    }
}

AnimObject* ObjectEvent::Owner() const
{
    return mOwnerStage != nullptr ? mOwnerStage->mOwner : nullptr;
}

void ObjectEvent::TestTrigger()
{
    AnimObject* owner = Owner();
    if (owner == nullptr)
        return;
    bool fires = false;
    switch (mTrigger) {
    case kTriggerClick:
        fires = TestClick(false);
        break;
    case kTriggerClickAnywhere:
        fires = TestClick(true);
        break;
    case kTriggerHot:
        fires = owner->UpdateHover() != 0;
        break;
    case kTriggerNotHot:
        fires = owner->UpdateHover() == 0;
        break;
    case kTriggerStart:
        fires = mOwnerStage->mTicks == 1.0f;
        break;
    case kTriggerEnd:
        fires = mOwnerStage->mTicks >= mOwnerStage->mLength;
        break;
    case kTriggerLessThan:
        fires = TestAttribute();
        break;
    case kTriggerInterval: {
        const int every = ObjectXmlElement::TextToInt(mParm1) / 4;
        fires = every >= 1 && SaturateToInt(mOwnerStage->mTicks) % every == 0;
        break;
    }
    default:
        break;
    }
    if (fires)
        RunAction();
}

bool ObjectEvent::TestClick(bool anywhere)
{
    AnimObject* owner = Owner();
    if (owner == nullptr)
        return false;
    GameState& game = Game();
    AnimObject* root = owner->GetRoot();
    if (root != game.Topmost() || owner->mVisible == 0)
        return false;
    const Stage* rootStage = root->CurrentStage();
    if (rootStage != nullptr && std::strstr(rootStage->mName, "fade") != nullptr)
        return false;

    const Level* screen = AsLevel(root);
    const bool clicked = screen != nullptr && screen->mLeftClick != 0.0f;
    bool passes = anywhere ? clicked : (owner->UpdateHover() != 0 && clicked);
    if (!passes && mAltKey != 0 && !game.EditorOpen())
        passes = game.mHooks->WasKeyPressed(mAltKey);
    if (passes)
        game.mSound->PlaySample(game.mSound->GetSample("audio\\click.ogg", 0, 0), kDefaultSampleRate);
    return passes;
}

bool ObjectEvent::TestAttribute() const
{
    const AnimObject* owner = Owner();
    if (owner == nullptr)
        return false;
    return owner->mLocal[AttributeCodeFromName(mParm1)] < ObjectXmlElement::TextToFloat(mParm2);
}

void ObjectEvent::RunAction()
{
    AnimObject* owner = Owner();
    if (owner == nullptr)
        return;
    GameState& game = Game();
    Stage* stage = mOwnerStage;
    AnimObject* level = game.mLevel;
    AnimObject* previous = owner->mPrev;

    switch (mAction) {
    case kActionInsertLevel: {
        AnimObject* topmost = game.Topmost();
        if (owner->GetRoot() != topmost && (topmost == nullptr || std::strstr(topmost->mName, "pause") == nullptr))
            break;
        const std::string target = game.mHooks->ResolveTextKey(mParm1);
        const int number = ObjectXmlElement::TextToInt(target.c_str());
        if (number >= 1 && number <= 1999)
            InsertLevelByNumber(number);
        else
            InsertLevelByName(target.c_str());
        break;
    }
    case kActionSendLevel: {
        const std::string name = game.mHooks->ResolveTextKey(mParm1);
        if (std::strcmp(mParm2, "all") == 0) {
            for (ObjectList<AnimObject>::Walk walk(game.mLiveObjects); AnimObject* screen = walk.Next();)
                screen->GoToStage(name.c_str());
        } else if (level != nullptr) {
            level->GoToStage(name.c_str());
        }
        break;
    }
    case kActionGoToStage:
        owner->GoToStage(mParm1);
        break;
    case kActionSendParentToStage:
        if (owner->mParent != nullptr)
            owner->mParent->GoToStage(mParm1);
        break;
    case kActionNextStage:
        if (stage->mNext != nullptr)
            owner->SetStage(stage->mNext);
        break;
    case kActionLevelTakesChild:
        if (level != nullptr && owner->mParent != nullptr && owner != level)
            level->Reparent(owner, 1);
        break;
    case kActionMove:
        owner->mLocal[AttributeCodeFromName(mParm3)] = ObjectXmlElement::TextToFloat(mParm4);
        break;
    case kActionPlaySound:
        game.mSound->PlaySample(game.mSound->GetSample(mParm3, 0, 0), kDefaultSampleRate);
        break;
    case kActionDimPrevious:
    case kActionDimPreviousNoPause:
    case kActionBrightenPrevious:
        if (previous == nullptr)
            break;
        SetColour(*previous, mAction == kActionBrightenPrevious ? 1.0f : 0.5f);
        previous->Update();
        if (mAction == kActionDimPrevious)
            SetPaused(*previous, 1);
        else if (mAction == kActionBrightenPrevious)
            SetPaused(*previous, 0);
        break;
    case kActionPausePrevious:
        if (previous != nullptr)
            SetPaused(*previous, 1);
        break;
    case kActionStopMusic:
        if (owner->mKind == 6) {
            if (Level* screen = AsLevel(owner))
                SetMusicVolume(*screen, -1.0f);
        }
        break;
    case kActionFadeMusic:
        if (Level* screen = AsLevel(level)) {
            float volume = game.mHooks->GetMusicVolume() * (1.0f - stage->mT);
            SetMusicVolume(*screen, volume == 0.0f ? -1.0f : volume);
        }
        break;
    case kActionFadePreviousMusic:
        if (owner->mKind == 6 && previous != nullptr) {
            if (Level* bottom = AsLevel(game.mLiveObjects.Head())) {
                const float volume = 100.0f * (1.0f - stage->mT);
                SetMusicVolume(*bottom, volume == 0.0f ? -1.0f : volume);
            }
        }
        break;
    case kActionMakeSparkles:
        owner->MakeSparkles(ObjectXmlElement::TextToInt(mParm1), 0, 1.0f, 1.0f, 1.0f, 1.0f);
        break;
    case kActionMakeParticles:
        owner->MakeParticles(ObjectXmlElement::TextToInt(mParm1));
        break;
    case kActionSetLevelNumber:
        game.mHooks->SetNextLevelNumber(ObjectXmlElement::TextToInt(mParm1));
        break;
    case kActionNewUserName:
    case kActionChangeUserName:
    case kActionDeleteUser:
    case kActionGetInitialUser:
    case kActionEnterHighScore:
    case kActionClearScore:
    case kActionResetProgress:
    case kActionSaveScore:
    case kActionSetMode:
    case kActionBumpScore:
        game.mHooks->RunProfileAction(*this);
        break;
    case kActionKillAllPrevious:
        // Only a screen in the live list can be the bottom one; otherwise the
        // list would be emptied and the loop never end.
        if (owner->mKind == 6 && game.mLiveObjects.Contains(owner)) {
            while (game.mLiveObjects.Head() != owner)
                game.mLiveObjects.Remove(game.mLiveObjects.Head());
        }
        break;
    case kActionKillAll:
        for (AnimObject* screen = game.mLiveObjects.Head(); screen != nullptr; screen = screen->mNext)
            screen->mRemove = 1;
        break;
    case kActionChangeImage:
        owner->SetImage(mParm1, 0.0f, 0.0f, 1, 0.0f);
        break;
    case kActionBumpTickCounter:
        stage->mTicks = float(ObjectXmlElement::TextToInt(mParm4)) / 4.0f;
        break;
    case kActionCustom:
        // Fired from the owner's stage step, while its update has the world
        // block reset: the action reads the owner's place on screen.
        owner->RefreshWorld();
        owner->OnCustomAction(mParm1);
        break;
    case kActionClearButtonState:
        if (Level* screen = AsLevel(level))
            screen->mLeftClick = 0.0f;
        break;
    case kActionEnable3DHardware:
        game.mHooks->Set3D(true);
        break;
    default:
        break;
    }
}

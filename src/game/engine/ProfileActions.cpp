#include "game/engine/ProfileActions.h"

#include "game/engine/GameState.h"
#include "game/engine/InputBox.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/ProfileBytes.h"
#include "game/engine/Stage.h"

#include <cctype>
#include <string>

namespace {

// The typed name of the current level's first input box, without blanks at
// either end; false when the level has no input box.
bool TypedName(std::string& name)
{
    AnimObject* level = Game().mLevel;
    if (level == nullptr)
        return false;
    auto* box = dynamic_cast<InputBox*>(level->FindChildOfKind(InputBox::kKind));
    if (box == nullptr)
        return false;
    name = box->mText;
    size_t begin = 0;
    while (begin < name.size() && std::isspace(static_cast<unsigned char>(name[begin])))
        ++begin;
    size_t end = name.size();
    while (end > begin && std::isspace(static_cast<unsigned char>(name[end - 1])))
        --end;
    name = name.substr(begin, end - begin);
    return true;
}

void GoToStage(const char* stage)
{
    if (AnimObject* level = Game().mLevel)
        level->GoToStage(stage);
}

// A new player in the first free slot, or a new name for the current one.
// The slot becomes current only once the name is accepted.
void NameProfile(const ObjectEvent& event, bool newProfile)
{
    PlayerProfiles& profiles = Game().mProfiles;
    const int slot = newProfile ? profiles.FirstFreeProfile() : profiles.mCurrent;
    if (slot < 0)
        return;
    std::string name;
    if (!TypedName(name))
        return;
    if (name.empty()) {
        InsertLevelByName("invalid_profile_name");
        return;
    }
    PlayerProfile& profile = profiles.mProfiles[slot];
    if (newProfile) {
        // A fresh record, in the mode the menu chose before the name was asked.
        const int32_t mode = profiles.Current().mMode;
        profile.ResetToDefault();
        profile.mMode = mode;
    }
    profile.SetName(name.c_str());
    profiles.SetCurrent(slot);
    GoToStage(event.mParm1);
}

void GetInitialUser()
{
    GameState& game = Game();
    if (game.mProfiles.Current().IsUsed())
        return;
    AnimObject* before = game.Topmost();
    InsertLevelByName("input_name");
    game.mProfiles.Current().mMode = 1;
    AnimObject* screen = game.Topmost();
    if (screen == nullptr || screen == before)
        return;
    // The name screen goes on to the game once a name is taken.
    if (Stage* last = screen->mStages.Tail()) {
        last->mEvents.RemoveAll();
        screen->AddEventByCode(kTriggerStart, kActionInsertLevel, "PICK_LEVEL_SELECT_OR_LOADING2", "", "", "", "");
    }
}

} // namespace

void RunProfileAction(ObjectEvent& event)
{
    GameState& game = Game();
    PlayerProfiles& profiles = game.mProfiles;
    PlayerProfile& profile = profiles.Current();
    switch (event.mAction) {
    case kActionNewUserName:
        NameProfile(event, true);
        break;
    case kActionChangeUserName:
        NameProfile(event, false);
        break;
    case kActionDeleteUser:
        if (profiles.CountUsedProfiles() > 1) {
            profile.Clear();
            profiles.SetCurrent(profiles.FirstUsedProfile());
        }
        GoToStage(event.mParm1);
        break;
    case kActionGetInitialUser:
        GetInitialUser();
        break;
    case kActionEnterHighScore:
        AddScore(event.mParm4);
        break;
    case kActionClearScore:
        profile.mScore = profile.mBankedScore[profile.mMode];
        break;
    case kActionResetProgress:
        ResetProfileProgress();
        break;
    case kActionSaveScore:
        SaveProfiles();
        break;
    case kActionSetMode:
        game.mHooks->SetProfileMode(ObjectXmlElement::TextToInt(event.mParm1));
        break;
    case kActionBumpScore:
        profile.mScore = AddSaturated(profile.mScore, ObjectXmlElement::TextToInt(event.mParm4));
        break;
    default:
        break;
    }
}

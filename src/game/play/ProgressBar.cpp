#include "game/play/ProgressBar.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameHooks.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/SoundLayer.h"
#include "game/engine/Stage.h"
#include "game/engine/StripFont.h"
#include "game/engine/TextObject.h"
#include "game/play/Shooter.h"
#include "game/play/ShooterHelpers.h"
#include "game/play/PlayState.h"
#include "game/play/RuleOperations.h"

#include <cstring>

using namespace ShooterRules;

namespace {

void ShowVictoryText(Level& level)
{
    TextObject* text = new TextObject;
    text->SetText("VICTORY!", "gfx\\font1.png", 1.3f, 0, StripFont::kJustifyCentre);
    text->AddStage(900.0f, 0, 0, 0, nullptr);
    text->AddStage(100.0f, 0, 0, 1, nullptr);
    text->SetStageAttribute(kAttrX, 0.0f, 0.0f);
    text->SetStageAttribute(kAttrAlpha, 0.0f, 0.0f);
    text->AddEventByCode(kTriggerEnd, kActionMakeSparkles, "200", "200", "200", "200", nullptr);
    text->AddEventByCode(kTriggerEnd, kActionPlaySound, "100", nullptr, "audio\\victory.ogg", "100", nullptr);
    text->AddStage(600.0f, 0, 0, 1, nullptr);
    text->SetStageAttribute(kAttrAlpha, 0.0f, 1.0f);
    text->AddStage(2800.0f, 0, 0, 1, nullptr);
    text->AddStage(600.0f, 0, 0, 1, nullptr);
    text->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
    level.AddChild(text);
}

} // namespace

ProgressBar::ProgressBar()
{
    mKind = kKindProgressBar;
    if (AnimObject* bar = AnimObject::TakeFromPool()) {
        bar->SetImage("gfx\\panel_progress.png", 0.0f, 0.0f, 1, 0.0f);
        bar->AddStage(1000.0f, 1, 1, 1, nullptr);
        bar->SetStageAttribute(kAttrY, 9.0f, 9.0f);
        bar->mLocal[kAttrY] = 9.0f;
        AddChild(bar);
    }
}

int ProgressBar::Update()
{
    CheckVictory();
    return AnimObject::Update();
}

// The bar shows nothing, not even its child.
void ProgressBar::Draw()
{
}

void ProgressBar::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "progress_bar");
}

bool ProgressBar::CheckVictory()
{
    GameState& game = Game();
    const int mode = CurrentMode();
    AnimObject* middle = game.mMiddleLayer;
    AnimObject* inner = game.mInnerLayer;
    Level* level = CurrentLevel();
    // Without its layers a screen is no playfield that could be won.
    if (mode == kSurvival || middle == nullptr || inner == nullptr || level == nullptr)
        return false;
    if (inner->FindChildOfKind(kKindPlate) != nullptr || !IsTopmost(GetRoot()))
        return false;
    if (!StageIs(middle, "scrolling") && !StageIs(middle, "still"))
        return false;

    PlayerProfile& profile = game.mProfiles.Current();
    if (mode >= 0 && mode < PlayerProfile::kModeCount)
        profile.mProgress[mode] = int32_t(level->mLevelNumber);
    for (AnimObject* child = level->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindTextObject)
            child->mRemove = 1;
    }
    const bool trick = StageContains(middle, "still");
    middle->GoToStage("victory");

    if (!trick) {
        level->mWinFadeTimer = 82.0f;
        ShowVictoryText(*level);
        // A level without a shooter still wins; only the shooter's show is skipped.
        if (Shooter* shooter = CurrentShooter()) {
            shooter->mWingsTimer = 0;
            for (AnimObject* child = shooter->mChildren.Head(); child != nullptr; child = child->mNext) {
                if (std::strcmp(child->mName, "fish") == 0)
                    child->GoToStage("jump");
            }
        }
        NudgeDifficulty(1.0f);
        return true;
    }

    PlayGameSound("audio\\trickshot_made.ogg");
    if (level->mMainEntry != nullptr)
        game.mSound->SetChannelVolume(level->mMainEntry, game.mHooks->GetMusicVolume() / 6.0f);
    if (mode == kTrickshot) {
        const uint32_t number = level->mLevelNumber;
        const uint32_t row = number / PlayerProfile::kTrickColumns;
        // A number past the table marks nothing.
        if (row < uint32_t(PlayerProfile::kTrickRows))
            profile.mTrickDone[row][number % PlayerProfile::kTrickColumns] = 1;
        profile.mTrickStreak += 1;
    }
    return true;
}

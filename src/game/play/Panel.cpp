#include "game/play/Panel.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/engine/StripFont.h"
#include "game/play/Shooter.h"
#include "game/play/ShooterHelpers.h"
#include "game/play/PlayState.h"
#include "game/play/RuleOperations.h"

#include <cstdio>

using namespace ShooterRules;

namespace {

const char* const kPanelFont = "gfx\\font1_tiny.png";

// A panel button: a child whose stage shows its hover through a hot-spot
// filter on its frame.
bool IsButton(const AnimObject& child)
{
    const Stage* stage = child.CurrentStage();
    return stage != nullptr && stage->FindFilter(kEasingHotSpot, kAttrFrameNumber) != nullptr;
}

} // namespace

Panel::Panel()
{
    mKind = kKindPanel;
    mBilinear = 0;
}

void Panel::InitAfterLoad()
{
    AnimObject::InitAfterLoad();
    mRelaxed = CurrentMode() == kJourney && !NameContains(GetRoot(), "trickshot") ? 1 : 0;
    if (mRelaxed == 0)
        return;
    SetImage("gfx\\panel_relaxed.png", 0.0f, 0.0f, 1, 0.0f);
    if (AnimObject* picture = AnimObject::TakeFromPool()) {
        picture->SetImage("gfx\\shooter_panel.png", 0.0f, 0.0f, 1, 0.0f);
        picture->AddStage(10000.0f, 1, 1, 1, nullptr);
        picture->SetStageAttribute(kAttrX, 88.0f, 88.0f);
        picture->SetStageAttribute(kAttrY, -3.0f, -3.0f);
        picture->mLocal[kAttrX] = 88.0f;
        picture->mLocal[kAttrY] = -3.0f;
        AddChild(picture);
    }
}

int Panel::Update()
{
    GameState& game = Game();
    PlayerProfile& profile = game.mProfiles.Current();
    int& lastShown = Play().mLastShownScore;
    if (game.mTutorial != nullptr) {
        lastShown = 0;
        profile.mScore = 0;
    }
    if (profile.mScore != lastShown && IsTopmost(GetRoot()))
        mScoreScale = 1.2f;
    lastShown = profile.mScore;
    mScoreScale = (mScoreScale * 49.0f + 1.0f) / 50.0f;
    if (mScoreScale < 1.01f)
        mScoreScale = 1.0f;

    if (Shooter* shooter = CurrentShooter()) {
        if (game.mTutorial == nullptr)
            shooter->mFireEnabled = 1;
        // The hot flags of the last hover test: testing again would play the hover sound.
        for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mHot != 0 && IsButton(*child))
                shooter->mFireEnabled = 0;
        }
    }
    return AnimObject::Update();
}

std::string Panel::ScoreText() const
{
    return std::to_string(Game().mProfiles.Current().mScore);
}

std::string Panel::TriesText() const
{
    const int shown = CurrentTries() + 1;
    return "x" + std::to_string(shown < 0 ? 0 : shown);
}

void Panel::Draw()
{
    if (mVisible == 0 || mFrameCounter == 0.0f)
        return;
    DrawSelf();
    const float alpha = mWorld[kAttrAlpha];
    if (mRelaxed != 0) {
        DrawString(this, ScoreText().c_str(), -136.0f, -1.0f, kPanelFont, 0.0f, StripFont::kJustifyCentre,
                   mScoreScale, alpha);
        DrawString(this, TriesText().c_str(), 106.0f, -1.0f, kPanelFont, 0.0f, StripFont::kJustifyLeft, 1.0f, alpha);
    } else {
        DrawString(this, ScoreText().c_str(), 0.0f, -1.0f, kPanelFont, 0.0f, StripFont::kJustifyCentre, mScoreScale,
                   alpha);
    }
    DrawChildren();
}

void Panel::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "panel");
}

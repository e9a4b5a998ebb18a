#include "game/play/PlateRules.h"
#include "game/play/RuleOperations.h"

#include "game/engine/EasingKind.h"
#include "game/engine/Editor.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ParticleEmitter.h"
#include "game/engine/ParticleTemplate.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/SoundLayer.h"
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "game/play/LevelRules.h"
#include "game/play/Pigeon.h"
#include "game/play/Plate.h"
#include "game/play/PowerUp.h"
#include "game/play/ShooterHelpers.h"

#include <cstring>

namespace PlateRules {

int Mode()
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr && game->mHooks != nullptr ? game->mHooks->GetProfileMode() : 0;
}

bool TutorialRuns()
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr && game->mTutorial != nullptr;
}

namespace {

AnimObject* MiddleLayer()
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr ? game->mMiddleLayer : nullptr;
}

} // namespace

bool MiddleStageIs(const char* name)
{
    return ShooterRules::StageIs(MiddleLayer(), name);
}

bool MiddleStageContains(const char* part)
{
    return ShooterRules::StageContains(MiddleLayer(), part);
}

bool LevelNameContains(const char* part)
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr && game->mLevel != nullptr && std::strstr(game->mLevel->mName, part) != nullptr;
}

void RestartBuildingClock()
{
    GameState* game = GameState::TryCurrent();
    if (game != nullptr && game->mMiddleLayer != nullptr && game->mMiddleLayer->CurrentStage() != nullptr)
        game->mMiddleLayer->CurrentStage()->mTicks = 0.0f;
}

void PushBuilding(float amplitude, float decay)
{
    // A push of nothing (the tuning's default) would only crowd the stage.
    if (amplitude != 0.0f)
        ShooterRules::PushMiddleLayer(amplitude, decay);
    else
        RestartBuildingClock();
}

void AddSparklePair(ParticleEmitter& emitter, float endAlpha)
{
    for (int i = 0; i < 2; ++i) {
        ParticleTemplate* particle = emitter.AddParticleTemplate();
        if (particle == nullptr)
            break;
        particle->SetImage("gfx\\sparkle.png");
        particle->mMinDuration = 200.0f;
        particle->mMaxDuration = 400.0f;
        particle->mMinStartAlpha = particle->mMaxStartAlpha = 1.0f;
        particle->mMinEndAlpha = particle->mMaxEndAlpha = endAlpha;
        particle->mMinStartScale = particle->mMaxStartScale = i == 0 ? 0.0f : 1.0f;
        particle->mMinEndScale = particle->mMaxEndScale = i == 0 ? 1.0f : 0.0f;
        particle->mDecay = 1.0f;
    }
}

TextObject* AddLevelText(const char* text, const char* font, float spacing, unsigned stagger, int justification)
{
    GameState* game = GameState::TryCurrent();
    if (game == nullptr || game->mLevel == nullptr)
        return nullptr;
    auto* object = new TextObject;
    object->SetText(text, font, spacing, stagger, justification);
    game->mLevel->AddChild(object);
    return object;
}

void LevelPosition(const AnimObject& object, float& x, float& y)
{
    GameState* game = GameState::TryCurrent();
    x = object.mWorld[kAttrX];
    y = object.mWorld[kAttrY];
    if (game != nullptr && game->mLevel != nullptr) {
        x -= game->mLevel->mWorld[kAttrX];
        y -= game->mLevel->mWorld[kAttrY];
    }
}

int CountPlates()
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr && game->mInnerLayer != nullptr ? game->mInnerLayer->CountChildrenOfKind(kKindPlate) : 0;
}

bool PlatesHaveRoom()
{
    return LevelRules::PlatesHaveRoom();
}

void DefeatLevel()
{
    if (Level* level = CurrentLevel())
        LevelRules::Defeat(*level);
}

void TrickshotMissed()
{
    if (Level* level = CurrentLevel())
        LevelRules::TrickshotMissed(*level);
}

void KillPopupTexts()
{
    if (Level* level = CurrentLevel())
        LevelRules::KillPopupTexts(*level);
}

void ScarePigeons(float x, float y)
{
    GameState* game = GameState::TryCurrent();
    AnimObject* layer = game != nullptr && game->mInnerLayer != nullptr ? game->mInnerLayer->FindChildOfKind(kKindLayer)
                                                                        : nullptr;
    if (layer == nullptr)
        return;
    for (AnimObject* child = layer->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindPigeon)
            static_cast<Pigeon*>(child)->FlyAway(x, y);
    }
}

bool JourneyTriesLeft()
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr && game->mProfiles.Current().mTries[1] >= 1;
}

void SelectInEditor(AnimObject& object)
{
    GameState* game = GameState::TryCurrent();
    if (auto* editor = game != nullptr ? dynamic_cast<Editor*>(game->mEditor) : nullptr) {
        editor->Deselect();
        editor->Select(&object);
    }
}

void ReleasePowerUp(AnimObject& powerUp)
{
    if (auto* released = dynamic_cast<PowerUp*>(&powerUp))
        released->Release();
}

void SpawnPowerUpAt(AnimObject& object)
{
    PowerUp::Spawn(object);
}

} // namespace PlateRules

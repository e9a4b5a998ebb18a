#include "game/play/PowerUp.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/Filter.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Stage.h"
#include "game/engine/StripFont.h"
#include "game/engine/TextObject.h"
#include "game/play/Cupid.h"
#include "game/play/LevelRules.h"
#include "game/play/PlateRules.h"
#include "game/play/RuleOperations.h"
#include "game/play/Shooter.h"
#include "game/play/ShooterHelpers.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

using namespace ShooterRules;

namespace {

struct KindRow {
    const char* type; // the XML name
    const char* image;
    const char* caption;
};

const KindRow kKinds[PowerUp::kKindCount] = {
    {"wings", "gfx\\pwrup_wings.png", "-=WINGS=-"},
    {"fast_shot", "gfx\\pwrup_fast_shot.png", "POWER SHOT"},
    {"back", "gfx\\pwrup_back.png", "REWIND"},
    {"wild", "gfx\\pwrup_wild.png", "WILD SHOT"},
    {"super_shot", "gfx\\pwrup_supershot.png", "COMBO SHOT"},
    {"plus_one", "gfx\\pwrup_+1.png", "EXTRA TRY"},
    {"x2", "gfx\\pwrup_x2.png", "SCORE MULTIPLIER"},
    {"cupid", "gfx\\pwrup_cupid.png", "CUPID"},
};

constexpr float kDegreesToRadians = 3.14159265358979323846f / 180.0f;
constexpr int kCupidProgress = 9; // Journey levels done before Cupid comes as a power-up
constexpr const char* kPopupName = "popup_text";
// Captions rest just above the middle of the level.
constexpr float kCaptionY = -20.0f;

int JourneyProgress()
{
    return Game().mProfiles.Current().mProgress[kJourney];
}

// Draws kinds until one is allowed; after kMaxDraws refusals (the generator
// can sit on a fixed point) the first allowed kind is taken.
template <class Allowed>
int DrawAllowedKind(Allowed allowed)
{
    GameRandom& random = Game().mRandom;
    for (int i = 0; i < PowerUp::kMaxDraws; ++i) {
        const int kind = int(random.RandomInt(PowerUp::kKindCount));
        if (allowed(kind))
            return kind;
    }
    for (int kind = 0; kind < PowerUp::kKindCount; ++kind) {
        if (allowed(kind))
            return kind;
    }
    return PowerUp::kWings;
}

bool ModeAllows(int mode, int kind)
{
    switch (mode) {
    case kJourney:
        return kind != PowerUp::kRewind && (kind != PowerUp::kCupid || JourneyProgress() >= kCupidProgress);
    case kSurvival:
        return kind != PowerUp::kExtraTry && kind != PowerUp::kMultiplier && kind != PowerUp::kCupid;
    default:
        return kind != PowerUp::kExtraTry && kind != PowerUp::kCupid;
    }
}

// A Cupid flies in the level, or a Cupid power-up is on its way.
bool CupidComing(const AnimObject& level)
{
    for (AnimObject* child = level.mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindCupid)
            return true;
        if (child->mKind == kKindPowerUp) {
            const auto* powerUp = dynamic_cast<const PowerUp*>(child);
            if (powerUp != nullptr && powerUp->GetKind() == PowerUp::kCupid)
                return true;
        }
    }
    return false;
}

TextObject* AddCaptionText(const char* text, unsigned stagger, int justification)
{
    TextObject* object = PlateRules::AddLevelText(text, "gfx\\font1.png", 2.0f, stagger, justification);
    if (object == nullptr)
        return nullptr;
    std::snprintf(object->mName, sizeof object->mName, "%s", kPopupName);
    object->mLocal[kAttrY] = kCaptionY;
    return object;
}

// One stage of a caption: x and y are offsets from its resting place.
void CaptionStage(TextObject& text, float ms, float x0, float x1, float y0, float y1, float alpha0, float alpha1)
{
    text.AddStage(ms, 0, 0, 1, nullptr);
    text.SetStageAttribute(kAttrX, x0, x1);
    text.SetStageAttribute(kAttrY, kCaptionY + y0, kCaptionY + y1);
    text.SetStageAttribute(kAttrAlpha, alpha0, alpha1);
}

} // namespace

PowerUp::PowerUp()
{
    mKind = kKindPowerUp;
    int kind = kWings;
    if (GameState* game = GameState::TryCurrent()) {
        AddStage(1000.0f, 1, 1, 1, nullptr);
        const int mode = CurrentMode();
        kind = DrawAllowedKind([mode](int k) { return ModeAllows(mode, k); });
        if (game->mTutorial != nullptr)
            kind = kPowerShot;
    }
    SetKind(kind);
}

void PowerUp::SetKind(int kind)
{
    if (kind < 0 || kind >= kKindCount)
        return;
    mPowerUpKind = kind;
    CopyToField(mName, kKinds[kind].caption);
    SetImage(kKinds[kind].image, 0.0f, 0.0f, 0, 0.0f);
}

void PowerUp::ReadXmlAttributes(const ObjectXmlElement& element)
{
    mStages.RemoveAll();
    if (const char* type = element.GetAttribute("powerup_type")) {
        CopyToField(mPowerUpType, type);
        for (int kind = 0; kind < kKindCount; ++kind) {
            if (std::strcmp(type, kKinds[kind].type) == 0)
                SetKind(kind);
        }
    }
    AnimObject::ReadXmlAttributes(element);
}

void PowerUp::InitAfterLoad()
{
    AnimObject::InitAfterLoad();
    // Journey never rewinds the building: a placed rewind becomes wings.
    if (CurrentMode() == kJourney && mPowerUpKind == kRewind)
        mPowerUpKind = kWings;
    SetKind(mPowerUpKind);
}

void PowerUp::WriteXml(std::string& out, int depth)
{
    if (mPowerUpType[0] != '\0')
        AnimObject::WriteXml(out, depth);
}

void PowerUp::WriteTypeAttributes(std::string& out)
{
    if (mPowerUpType[0] == '\0')
        return;
    // A rolling power-up's speed is play, not design.
    if (mCurrentStage != nullptr)
        mCurrentStage->mFilters.RemoveAll();
    WriteXmlStringAttribute(out, "type", "powerup");
    WriteXmlStringAttribute(out, "powerup_type", mPowerUpType);
}

int PowerUp::Update()
{
    if (mRemove != 0)
        return 0;
    RollStep();
    if (!FlightStep()) {
        // Released this tick, it may already live in the level, whose walk
        // removes it at its next turn.
        mRemove = 1;
        mVisible = 0;
        return 0;
    }
    return AnimObject::Update();
}

PowerUp* PowerUp::Spawn(AnimObject& at)
{
    GameState* game = GameState::TryCurrent();
    if (game == nullptr || at.mParent == nullptr)
        return nullptr;
    const int mode = CurrentMode();
    if (PlateRules::CountPlates() < 2 || mode == kTrickshot || PlateRules::MiddleStageContains("still"))
        return nullptr;
    auto* powerUp = new (std::nothrow) PowerUp;
    if (powerUp == nullptr)
        return nullptr;
    powerUp->mLocal[kAttrX] = at.mLocal[kAttrX];
    powerUp->mLocal[kAttrY] = at.mLocal[kAttrY];
    if (mode == kJourney && game->mTutorial == nullptr) {
        const AnimObject* level = game->mLevel;
        const bool cupidAllowed = JourneyProgress() >= kCupidProgress && (level == nullptr || !CupidComing(*level));
        powerUp->SetKind(
            DrawAllowedKind([cupidAllowed](int k) { return k != kRewind && (k != kCupid || cupidAllowed); }));
    }
    at.mParent->AddChild(powerUp);
    powerUp->Release();
    return powerUp;
}

void PowerUp::Release()
{
    GameState& game = Game();
    if (mCurrentStage == nullptr && AddStage(1000.0f, 1, 1, 1, nullptr) != nullptr)
        SetStage(mStages.Tail());
    Stage* stage = mCurrentStage;
    if (stage == nullptr)
        return;
    stage->mTicks = 0.0f;
    CopyToField(stage->mName, "flying");
    stage->mMask &= ~(1u << kAttrY);

    float vx = 0.0f;
    float vy = 0.0f;
    if (const Filter* roll = stage->FindFilter(kEasingVelocity, kAttrX)) {
        // Off the edge of the plate it rolled on, along the plate's slope.
        const float v = roll->mAmplitude;
        const float theta = mParent != nullptr ? mParent->mLocal[kAttrRotation] * kDegreesToRadians : 0.0f;
        vx = v * std::cos(theta);
        vy = -v * std::sin(theta);
    } else {
        vx = game.mRandom.RandomFloatRange(-1.0f, 1.0f);
        vy = -2.05f;
    }
    stage->mFilters.RemoveAll();
    stage->AddFilter(game.mFilterPool, kEasingVelocity, kAttrX, vx, 0.0f, 0.0f, 0);
    stage->AddFilter(game.mFilterPool, kEasingVelocity, kAttrRotation, -2.0f * vx, 0.0f, 0.0f, 0);
    stage->AddFilter(game.mFilterPool, kEasingVelocity, kAttrY, vy, 0.01f, 0.0f, 0);

    AnimObject* level = game.mLevel;
    if (level == nullptr || mParent == nullptr)
        return;
    if (mParent->mParent != nullptr)
        mZOrder = mParent->mParent->mZOrder + 5.0f;
    RefreshWorld();
    const float rotation = mWorld[kAttrRotation];
    level->Reparent(this, 1);
    mLocal[kAttrRotation] = rotation - level->mWorld[kAttrRotation];
}

void PowerUp::RollStep()
{
    Stage* stage = mCurrentStage;
    if (stage == nullptr || std::strstr(stage->mName, "roll") == nullptr || mParent == nullptr ||
        mParent->mKind != kKindPlate)
        return;
    Filter* roll = stage->FindFilter(kEasingVelocity, kAttrX);
    if (roll == nullptr)
        roll = stage->AddFilter(Game().mFilterPool, kEasingVelocity, kAttrX, 0.0f, 0.0f, 0.0f, 0);
    if (roll == nullptr)
        return;
    roll->mAmplitude -= mParent->mLocal[kAttrRotation] / 4800.0f;
    roll->mOffset = 0.997f;
    mLocal[kAttrRotation] = -2.2f * mLocal[kAttrX];
    if (std::fabs(mLocal[kAttrX]) > FrameWidth(*mParent) / 2.0f)
        Release();
}

bool PowerUp::FlightStep()
{
    if (!StageContains(this, "fly"))
        return true;
    GameState& game = Game();
    const float x = LocalToWorldX(mLocal[kAttrX], mLocal[kAttrY]);
    const float y = LocalToWorldY(mLocal[kAttrX], mLocal[kAttrY]);
    const float half = FrameWidth(*this) / 2.0f;
    Filter* vx = mCurrentStage->FindFilter(kEasingVelocity, kAttrX);
    if (x < half && vx != nullptr)
        vx->mAmplitude = std::fabs(vx->mAmplitude);
    else if (x > GameState::kScreenWidth - half && vx != nullptr)
        vx->mAmplitude = -std::fabs(vx->mAmplitude);
    else if (y > GameState::kScreenHeight)
        return false;

    const AnimObject* shooter = game.mShooter;
    if (shooter != nullptr && shooter->mKind == kKindShooter && shooter->HitTestPoint(x, y, 0.0f, 0.0f, 0.0f)) {
        Caught();
        MakeSparkles(20, 0, 1.0f, 1.0f, 1.0f, 1.0f);
        return false;
    }
    return true;
}

void PowerUp::Caught()
{
    GameState& game = Game();
    Level* level = CurrentLevel();
    if (level != nullptr)
        level->mPowerUpsCaught += 1;
    PlayGameSound("audio\\powerup_caught.ogg");
    if (level == nullptr || !IsTopmost(level))
        return;
    if (StageContains(game.mMiddleLayer, "victory")) {
        float x = 0.0f;
        float y = 0.0f;
        PlateRules::LevelPosition(*this, x, y);
        ShowVictoryBonus(x, y);
        return;
    }
    LevelRules::KillPopupTexts(*level);

    Shooter* shooter = CurrentShooter();
    const bool ready = shooter != nullptr && (StageContains(shooter, "ready") || StageContains(shooter, "rise"));
    switch (mPowerUpKind) {
    case kWings:
        if (!ready)
            return;
        shooter->StartWings();
        ShowWingsCaption();
        return;
    case kPowerShot:
        if (shooter == nullptr)
            return;
        shooter->mPowerShots = (shooter->mPowerShots > 0 ? shooter->mPowerShots : 0) + 6;
        if (game.mTutorial == nullptr)
            ShowCaption();
        return;
    case kRewind:
        if (AnimObject* middle = game.mMiddleLayer; middle != nullptr && middle->CurrentStage() != nullptr) {
            Filter* rise = middle->CurrentStage()->AddFilter(game.mFilterPool, kEasingVelocity, kAttrY, -2.0f, 0.0f,
                                                             0.993f, 0);
            if (rise != nullptr)
                rise->mOwnLength = 450.0f;
        }
        ShowCaption();
        return;
    case kWild:
        if (!ready)
            return;
        shooter->mWildShots += 2;
        shooter->WildShape();
        ShowCaption();
        return;
    case kComboShot:
        if (!ready)
            return;
        shooter->mComboShot = 1;
        ShowCaption();
        return;
    case kExtraTry:
        CurrentTries() += 1;
        ShowCaption();
        return;
    case kMultiplier:
        if (!ready)
            return;
        if (shooter->mScoreMultiplier < kMaxMultiplier)
            shooter->mScoreMultiplier *= 2;
        ShowCaption();
        return;
    case kCupid:
        if (shooter != nullptr && shooter->mParent != nullptr)
            shooter->mParent->AddChild(new Cupid);
        return;
    default:
        return;
    }
}

void PowerUp::ShowCaption()
{
    static constexpr unsigned kStagger[kKindCount] = {0, 0, 80, 40, 120, 40, 30, 0};
    TextObject* text = AddCaptionText(kKinds[mPowerUpKind].caption, kStagger[mPowerUpKind], StripFont::kJustifyCentre);
    if (text == nullptr)
        return;
    switch (mPowerUpKind) {
    case kPowerShot:
        CaptionStage(*text, 200.0f, 300.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
        text->AddFilter(kEasingSuperCos, kAttrAll, 2.0f, 0.0f, 0.0f);
        CaptionStage(*text, 2000.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
        CaptionStage(*text, 200.0f, 0.0f, -300.0f, 0.0f, 0.0f, 1.0f, 0.0f);
        break;
    case kRewind:
        CaptionStage(*text, 1000.0f, 300.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
        text->SetStageAttribute(kAttrRotation, -360.0f, 0.0f);
        CaptionStage(*text, 1000.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
        CaptionStage(*text, 1000.0f, 0.0f, -300.0f, 0.0f, 0.0f, 1.0f, 0.0f);
        text->SetStageAttribute(kAttrRotation, -360.0f, 0.0f);
        break;
    case kWild:
        CaptionStage(*text, 200.0f, 0.0f, 0.0f, -300.0f, 0.0f, 0.0f, 1.0f);
        text->AddFilter(kEasingSined, kAttrX, 60.0f, 2.0f, 0.0f);
        text->AddFilter(kEasingSined, kAttrY, 60.0f, 2.0f, 0.0f);
        CaptionStage(*text, 1000.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
        CaptionStage(*text, 1000.0f, 0.0f, 0.0f, 0.0f, 300.0f, 1.0f, 0.0f);
        break;
    case kComboShot:
        CaptionStage(*text, 100.0f, 0.0f, 0.0f, -300.0f, 0.0f, 0.0f, 1.0f);
        CaptionStage(*text, 2000.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
        CaptionStage(*text, 100.0f, 0.0f, 0.0f, 0.0f, -300.0f, 1.0f, 0.0f);
        break;
    case kExtraTry:
        CaptionStage(*text, 200.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
        CaptionStage(*text, 1000.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
        text->AddFilter(kEasingSined, kAttrXScale, 0.4f, 1.0f, 0.0f);
        CaptionStage(*text, 1000.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
        text->AddFilter(kEasingSined, kAttrXScale, 1.4f, 1.0f, 0.0f);
        break;
    case kMultiplier:
        CaptionStage(*text, 100.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
        CaptionStage(*text, 1400.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
        CaptionStage(*text, 100.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
        text->AddFilter(kEasingSined, kAttrXScale, 0.6f, 0.5f, 0.0f);
        text->AddFilter(kEasingSined, kAttrYScale, 0.6f, 0.5f, 0.0f);
        CaptionStage(*text, 400.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
        CaptionStage(*text, 100.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
        break;
    default:
        break;
    }
}

void PowerUp::ShowWingsCaption()
{
    struct Piece {
        const char* text;
        float x;
        int justification;
        float flap;
    };
    static constexpr Piece kPieces[] = {
        {"-=WI", -20.0f, StripFont::kJustifyRight, 30.0f},
        {"N", 0.0f, StripFont::kJustifyCentre, 0.0f},
        {"GS=-", 20.0f, StripFont::kJustifyLeft, -30.0f},
    };
    for (const Piece& piece : kPieces) {
        TextObject* text = AddCaptionText(piece.text, 0, piece.justification);
        if (text == nullptr)
            continue;
        text->mLocal[kAttrX] = piece.x;
        text->AddStage(3000.0f, 0, 0, 1, nullptr);
        text->SetStageAttribute(kAttrX, piece.x, piece.x);
        text->SetStageAttribute(kAttrY, 30.0f, -330.0f);
        text->AddFilter(kEasingSuperCos, kAttrAll, 2.0f, 0.0f, 0.0f);
        text->AddFilter(kEasingSined, kAttrY, 10.0f, 5.0f, 0.0f);
        if (piece.flap != 0.0f)
            text->AddFilter(kEasingSined, kAttrRotation, piece.flap, 5.0f, 0.0f);
    }
}

void PowerUp::ShowVictoryBonus(float x, float y)
{
    const char* points = AwardPoints(500);
    TextObject* text = PlateRules::AddLevelText(points, "gfx\\font1_small.png", 0.0f, 0, StripFont::kJustifyCentre);
    if (text == nullptr)
        return;
    const float top = y - 20.0f;
    text->AddStage(200.0f, 0, 0, 1, nullptr);
    text->SetStageAttribute(kAttrX, x, x);
    text->SetStageAttribute(kAttrY, top, top);
    text->SetStageAttribute(kAttrXScale, 0.12f, 1.5f);
    text->SetStageAttribute(kAttrYScale, 0.12f, 1.5f);
    text->AddStage(50.0f, 0, 0, 1, nullptr);
    text->SetStageAttribute(kAttrX, x, x);
    text->SetStageAttribute(kAttrY, top, top);
    text->SetStageAttribute(kAttrXScale, 1.5f, 1.2f);
    text->SetStageAttribute(kAttrYScale, 1.5f, 1.2f);
    text->AddStage(1000.0f, 0, 0, 1, nullptr);
    text->SetStageAttribute(kAttrX, x, x);
    text->SetStageAttribute(kAttrY, top, top - 20.0f);
    text->SetStageAttribute(kAttrXScale, 1.2f, 1.2f);
    text->SetStageAttribute(kAttrYScale, 1.2f, 1.2f);
    text->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
}

#include "game/play/Slot.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EditorMenu.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/ParticleEmitter.h"
#include "game/engine/ScreenAccess.h"
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "game/play/Cupid.h"
#include "game/play/InnerTreasures.h"
#include "game/play/Jewel.h"
#include "game/play/Plate.h"
#include "game/play/PlateRules.h"
#include "game/play/PlayState.h"
#include "game/play/RuleOperations.h"
#include "game/play/Shooter.h"
#include "game/play/ShooterHelpers.h"
#include "game/play/SlotLabel.h"
#include "game/play/Tutorial.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Redraws of a random value stop here: a draw that keeps failing must not
// hang the game (the generator has fixed points).
constexpr int kMaxDraws = 1000;

using ShooterRules::FrameHeight;
using ShooterRules::FrameWidth;
using ShooterRules::ImageRectOverlaps;

bool OnScreen(const AnimObject& object)
{
    return ImageRectOverlaps(object, GameState::kScreenWidth / 2.0f, GameState::kScreenHeight / 2.0f,
                        GameState::kScreenWidth, GameState::kScreenHeight);
}

bool CirclesOverlap(const AnimObject& a, float ra, const AnimObject& b, float rb)
{
    return CirclePenetration(a.mWorld[kAttrX], a.mWorld[kAttrY], ra, b.mWorld[kAttrX], b.mWorld[kAttrY], rb) > 0.0f;
}

bool StageNameContains(const AnimObject& object, const char* part)
{
    const Stage* stage = object.CurrentStage();
    return stage != nullptr && std::strstr(stage->mName, part) != nullptr;
}

// Clears what treasures, labels, Cupids and the tutorial anywhere in the tree
// hold of a slot.
void ForgetSlotIn(AnimObject& object, const Slot* slot)
{
    for (AnimObject* child = object.mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindJewel) {
            auto* treasure = static_cast<Jewel*>(child);
            if (treasure->mLobTarget == slot)
                treasure->mLobTarget = nullptr;
            if (treasure->mLastBounceSlot == slot)
                treasure->mLastBounceSlot = nullptr;
        } else if (child->mKind == kKindCupid) {
            auto* cupid = static_cast<Cupid*>(child);
            if (cupid->mTargetSlot == slot)
                cupid->mTargetSlot = nullptr;
        } else if (child->mKind == kKindSlotLabel) {
            auto* label = static_cast<SlotLabel*>(child);
            if (label->mTarget == slot) {
                label->mTarget = nullptr;
                label->mRemove = 1;
            }
        } else if (child->mKind == kKindTutorial) {
            if (auto* tutorial = dynamic_cast<Tutorial*>(child))
                tutorial->ForgetSlot(slot);
        }
        ForgetSlotIn(*child, slot);
    }
}

// A popup text of the shot: three stages, scale up, settle, rise and fade.
void AddPopupStages(TextObject& text, float x, float y, bool large, float waitMs)
{
    if (waitMs > 0.0f)
        text.AddStage(waitMs, 0, 0, 0, nullptr);
    text.AddStage(200.0f, 0, 0, 1, nullptr);
    text.SetStageAttribute(kAttrX, x, x);
    text.SetStageAttribute(kAttrY, y, y);
    text.SetStageAttribute(kAttrXScale, large ? 0.0325f : 0.1f, large ? 0.95f : 1.3f);
    text.SetStageAttribute(kAttrYScale, large ? 0.75f : 1.3f, large ? 0.75f : 1.3f);
    text.SetStageAttribute(kAttrAlpha, 0.0f, 1.0f);
    text.AddFilter(kEasingSquareRoot, kAttrAll, 1.0f, 0.0f, 0.0f);
    text.AddStage(50.0f, 0, 0, 1, nullptr);
    text.SetStageAttribute(kAttrX, x, x);
    text.SetStageAttribute(kAttrY, y, y);
    const float settle = large ? 0.65f : 1.0f;
    text.SetStageAttribute(kAttrXScale, large ? 0.75f : 1.3f, settle);
    text.SetStageAttribute(kAttrYScale, large ? 0.75f : 1.3f, settle);
    text.SetStageAttribute(kAttrAlpha, 1.0f, 1.0f);
    text.AddStage(large ? 1500.0f : 1000.0f, 0, 0, 1, nullptr);
    text.SetStageAttribute(kAttrX, x, x);
    text.SetStageAttribute(kAttrY, y, large ? y : y - 60.0f);
    text.SetStageAttribute(kAttrXScale, settle, settle);
    text.SetStageAttribute(kAttrYScale, settle, settle);
    text.SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
    if (!large)
        text.AddFilter(kEasingSquared, kAttrAll, 1.0f, 0.0f, 0.0f);
}

} // namespace

Slot::Slot()
{
    mKind = kKindSlot;
    mZOrder = 2.0f;
    SetSlotKind(RandomSlotKind());
}

Slot::~Slot()
{
    GameState* game = GameState::TryCurrent();
    if (game == nullptr)
        return;
    // Treasures, labels and Cupids may aim at a slot that goes with its
    // plate, a cull or the tosser: none of them may follow it afterwards.
    for (AnimObject* screen = game->mLiveObjects.Head(); screen != nullptr; screen = screen->mNext)
        ForgetSlotIn(*screen, this);
}

int Slot::RandomSlotKind()
{
    GameState* game = GameState::TryCurrent();
    if (game == nullptr || Tuning().mNumberOfUniqueSlots == 1)
        return 5;
    return int(game->mRandom.RandomIntRange(3, uint32_t(HighestRandomKind())));
}

int Slot::HighestRandomKind()
{
    GameState* game = GameState::TryCurrent();
    const int unique = Tuning().mNumberOfUniqueSlots;
    if (game == nullptr || unique == 1)
        return 5;
    const PlayerProfile& profile = game->mProfiles.Current();
    const int mode = profile.mMode >= 0 && profile.mMode < PlayerProfile::kModeCount ? profile.mMode : 0;
    const int progress = profile.mProgress[mode];
    const int bonus = progress >= 29 ? 2 : progress >= 11 ? 1 : 0;
    // Below 3 there is no kind to draw (the default of 0 kinds); above 10
    // come kinds the shooter never hands out.
    long top = long(unique) + 2 + bonus;
    if (top < 3)
        top = 3;
    if (top > 10)
        top = 10;
    return int(top);
}

void Slot::SetSlotKind(int kind)
{
    mSlotKind = kind;
    RefreshImage();
}

void Slot::RefreshImage()
{
    char name[48];
    if (mFilled != 0)
        std::snprintf(name, sizeof name, "gfx\\outline%d.png", mSlotKind);
    else if (mSlotKind < 51)
        std::snprintf(name, sizeof name, "gfx\\slot%d.png", mSlotKind);
    else
        return;
    if (GameState::TryCurrent() != nullptr)
        SetImage(name, 0.0f, 0.0f, 1, 0.0f);
}

Plate* Slot::GetPlate() const
{
    if (mParent == nullptr || mParent->mKind != kKindPlate)
        return nullptr;
    return static_cast<Plate*>(mParent);
}

void Slot::ReadXmlAttributes(const ObjectXmlElement& element)
{
    mSlotKind = element.GetAttributeInt("number");
    mFilled = 0;
    mZOrder = 2.0f;
    mSnap = 0;
    AnimObject::ReadXmlAttributes(element);
    RefreshImage();
    // Slots made by code give way to the ones the file lists.
    if (mParent != nullptr) {
        while (mPrev != nullptr && mPrev->mSelectable == 0)
            mParent->mChildren.Remove(mPrev);
    }
}

void Slot::WriteTypeAttributes(std::string& out)
{
    WriteXmlFloatAttribute(out, "number", float(mSlotKind));
    WriteXmlStringAttribute(out, "type", "slot");
}

void Slot::EditorMenuItems(EditorMenu& menu)
{
    for (int kind = 0; kind <= 9; ++kind) {
        char label[16];
        char command[16];
        std::snprintf(label, sizeof label, "Make Slot %d", kind);
        std::snprintf(command, sizeof command, "make_slot_%d", kind);
        menu.AddItem(label, command);
    }
}

void Slot::EditorCommand(const char* command)
{
    if (command == nullptr || std::strncmp(command, "make_slot_", 10) != 0) {
        AnimObject::EditorCommand(command);
        return;
    }
    Plate* plate = GetPlate();
    if (plate == nullptr)
        return;
    mStages.RemoveAll();
    plate->LayoutSlots(this, std::atoi(command + 10));
    SetStage(mStages.Head());
    Update();
}

void Slot::OnCustomAction(const char*)
{
    if (Tuning().mTossOnFilledSlot != 0 && mIncoming == 0)
        TossOut(mChain, mPlatesCompleted, mTossSpeedX, false);
}

int Slot::Update()
{
    if (mRemove != 0)
        return 0;
    mPendingLobs = 0;
    mLocal[kAttrRotation] = std::atan2(mLocal[kAttrX], mLocal[kAttrY]);
    AnimObject::Update();
    GameState& game = Game();
    AnimObject* inner = game.mInnerLayer;
    if (inner != nullptr && GetPlate() != nullptr)
        TestTreasures(*inner);
    // A fill may have flagged the slot (the tosser throws all of its out).
    return mRemove == 0 ? 1 : 0;
}

void Slot::TestTreasures(AnimObject& inner)
{
    // A fill may flag the slot: the rest of the round is then skipped.
    ForEachTreasureIn(inner, [&](Jewel& treasure) {
        if (mRemove == 0)
            TestPiece(treasure);
    });
}

void Slot::TestPiece(Jewel& treasure)
{
    Plate* plate = GetPlate();
    if (plate == nullptr)
        return;
    GameState& game = Game();
    const TuningParameters& tuning = Tuning();

    const float bounceRadius = FrameWidth(treasure) / 2.5f;
    const float slotRadius = FrameWidth(*this) / 2.2f;
    if (tuning.mBlockingSlots != 0 && mFilled != 0 && treasure.mPower == 0 && treasure.mLive != 0 &&
        treasure.mTreasureKind <= 99) {
        const AnimObject* shooter = game.mShooter;
        const bool onShooter = shooter != nullptr &&
                               ImageRectOverlaps(treasure, shooter->mWorld[kAttrX], shooter->mWorld[kAttrY],
                                            (shooter->mSource[2] - shooter->mSource[0]) * shooter->mLocal[kAttrXScale],
                                            (shooter->mSource[3] - shooter->mSource[1]) * shooter->mLocal[kAttrYScale]);
        if (CirclesOverlap(treasure, bounceRadius, *this, slotRadius) && !onShooter &&
            treasure.mLastBounceSlot != this && !StageNameContains(*plate, "fade")) {
            treasure.mLastBounceSlot = this;
            if (tuning.mPlateMoveWhenFullSlotHit != 0)
                plate->OnHit(this, &treasure);
            if (Stage* stage = treasure.CurrentStage()) {
                Filter* vx = stage->FindFilter(kEasingVelocity, kAttrX);
                Filter* vy = stage->FindFilter(kEasingVelocity, kAttrY);
                if (vx != nullptr && vy != nullptr)
                    ReflectVelocity(vx->mAmplitude, vy->mAmplitude, treasure.mWorld[kAttrX], treasure.mWorld[kAttrY],
                                    mWorld[kAttrX], mWorld[kAttrY]);
            }
            // Nudge the treasure clear; an update that ends it ends the nudge.
            for (int i = 0; i < 120 && treasure.mRemove == 0; ++i) {
                if (!CirclesOverlap(treasure, bounceRadius, *this, slotRadius))
                    break;
                treasure.RecordBounce();
                if (treasure.Update() == 0) {
                    treasure.mRemove = 1;
                    break;
                }
            }
            PlayGameSound("audio\\toss.ogg");
        }
        return;
    }

    if ((treasure.mTreasureKind != mSlotKind && treasure.mTreasureKind != kWildKind) || mFilled != 0)
        return;
    const float takeRadius =
        float(SaturateToInt((FrameWidth(treasure) > FrameHeight(treasure) ? FrameWidth(treasure) : FrameHeight(treasure)) /
                            2.0f));
    const float ownRadius =
        float(SaturateToInt((FrameWidth(*this) > FrameHeight(*this) ? FrameWidth(*this) : FrameHeight(*this)) / 2.0f));
    if (!CirclesOverlap(treasure, takeRadius, *this, ownRadius) || !OnScreen(treasure))
        return;

    Place(&treasure, false);
    treasure.mChain += 1;
    mChain = treasure.mChain;
    if (plate->FilledCount() >= plate->SlotCount() && treasure.mTreasureKind < 100) {
        treasure.mPlatesCompleted += 1;
        mPlatesCompleted = treasure.mPlatesCompleted;
        plate->mCombo = treasure.mPlatesCompleted;
    }
    const float speedX = treasure.GetVelocityX();
    mTossSpeedX = speedX;
    if (treasure.mLocal[kAttrXScale] < 0.001f)
        mTossSpeedX = game.mRandom.RandomFloatRange(-1.5f, 1.5f);
    if (treasure.mCombo != 0)
        Cascade();
    Level* level = CurrentLevel();
    if (treasure.mLive == 0) {
        if (level != nullptr)
            level->mTumbleCombos += 1;
    } else {
        plate->OnHit(this, &treasure);
        if (treasure.mChain == 1 && level != nullptr)
            level->mHits += 1;
    }
    if (!(treasure.mLive != 0 && treasure.mTreasureKind >= 100))
        treasure.Kill();
}

void Slot::Place(Jewel* treasure, bool cascade)
{
    GameState& game = Game();
    const TuningParameters& tuning = Tuning();
    Plate* plate = GetPlate();
    Level* level = CurrentLevel();
    if (auto* shooter = dynamic_cast<Shooter*>(game.mShooter))
        shooter->mIdleTicks = 0;
    if (level != nullptr)
        level->mToneChainTimeout = 300;

    PlayGameSound("audio\\place.ogg");
    int n = 0;
    if (treasure != nullptr && treasure->mChain > 0)
        n = treasure->mChain;
    else if (cascade && level != nullptr)
        n = level->mToneChain;
    PlayGameSound("audio\\tone.ogg", 22050 + 3000 * n);

    const int mode = PlateRules::Mode();
    const bool tutorial = PlateRules::TutorialRuns();
    const bool trick = PlateRules::LevelNameContains("trick");
    if (!cascade && plate != nullptr && treasure != nullptr) {
        const int slots = plate->SlotCount();
        if (plate->FilledCount() + 1 < slots || slots == 1) {
            if (mode == 0 && treasure->mLive == 0 && !tutorial && !trick)
                PlateRules::PushBuilding(tuning.mPushOnCombo, 0.925f);
            if (mode != 1 && mode != 3 && !tutorial && !trick)
                PlateRules::PushBuilding(tuning.mPushOnFilledSlot, 0.985f);
            ScoreShot(*treasure);
        }
    } else if (cascade && mode == 0 && !tutorial) {
        PlateRules::PushBuilding(tuning.mPushOnCombo, 0.925f);
    }

    if (treasure != nullptr && treasure->mChain == 2 && !tutorial)
        PlateRules::SpawnPowerUpAt(*this);
    PlateRules::ScarePigeons(mWorld[kAttrX], mWorld[kAttrY]);

    mFilled = 1;
    if (mSlotKind == kWildKind)
        mSlotKind = 5;
    RefreshImage();
    mFrameCounter = 0.0f;
    mStages.RemoveAll();
    const float x = mLocal[kAttrX];
    const float y = mLocal[kAttrY];
    const bool custom = cascade || treasure == nullptr || (treasure->mCombo == 0 && treasure->mTreasureKind < 100);
    for (int i = 0; i < 2; ++i) {
        if (AddStage(150.0f, 0, 0, 1, "filling") == nullptr)
            break;
        SetStageAttribute(kAttrX, x, x);
        SetStageAttribute(kAttrY, y, y);
        SetStageAttribute(kAttrXScale, 1.0f, 1.0f);
        SetStageAttribute(kAttrYScale, 1.0f, 1.0f);
        AddFilter(kEasingDecaySined, kAttrX, 10.0f, 2.0f, 0.0f);
        AddFilter(kEasingDecaySined, kAttrY, 10.0f, 3.0f, 0.0f);
        if (i == 0) {
            AddEventByCode(kTriggerEnd, kActionMakeSparkles, "20", nullptr, nullptr, nullptr, nullptr);
            if (custom)
                AddEventByCode(kTriggerEnd, kActionCustom, nullptr, nullptr, nullptr, nullptr, nullptr);
        }
    }
    if (AddStage(1000.0f, 1, 1, 1, nullptr) != nullptr) {
        SetStageAttribute(kAttrX, x, x);
        SetStageAttribute(kAttrY, y, y);
    }
    SetStage(mStages.Head());

    MakeSparkles(20, 0, 0.0f, 0.0f, 0.0f, 1.0f);
    AddRing();

    if (plate != nullptr) {
        if (AnimObject* last = plate->mChildren.Tail())
            SetZOrder(last->mZOrder + 0.0001f);
        plate->OnSlotFilled(mSlotKind);
    }
}

void Slot::AddRing()
{
    GameState& game = Game();
    ImageRecord* spark = game.mLevel != nullptr ? GetLevelSparkleImage(*game.mLevel) : nullptr;
    AnimObject* ring = AddChild(nullptr);
    if (ring == nullptr)
        return;
    ring->AddStage(1800.0f, 0, 0, 1, nullptr);
    ring->AddFilter(kEasingVelocity, kAttrRotation, -1.1f, 0.0f, 0.0f);
    ring->AddStage(200.0f, 0, 0, 1, nullptr);
    ring->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
    ring->AddFilter(kEasingVelocity, kAttrRotation, -1.1f, 0.0f, 0.0f);
    for (int i = 0; i < 4; ++i) {
        AnimObject* light = ring->AddChild(nullptr);
        if (light == nullptr)
            return;
        light->SetImageRecord(spark);
        const double angle = double(i) * 90.0 * 3.14159265358979323846 / 180.0;
        const float lx = float(48.0 * std::cos(angle));
        const float ly = float(48.0 * std::sin(angle));
        light->AddStage(100.0f, 1, 1, 1, nullptr);
        light->SetStageAttribute(kAttrX, lx, lx);
        light->SetStageAttribute(kAttrY, ly, ly);
        light->SetStageAttribute(kAttrXScale, 0.65f, 1.35f);
        light->SetStageAttribute(kAttrYScale, 0.65f, 1.35f);
        light->SetStageAttribute(kAttrAlpha, 0.3f, 0.0f);
        light->mBlitStyle = 1;
    }
}

void Slot::ScoreShot(const Jewel& treasure)
{
    Jewel& shot = const_cast<Jewel&>(treasure);
    const int chain = shot.mChain;
    const bool plain = chain == 0 || shot.mTreasureKind >= 100;
    if (shot.mBounces >= 4) {
        ShowShotPopup(1000, "LUCKY SHOT!");
    } else if (plain && shot.mBounces == 0) {
        ShowShotPopup(10, " ");
    } else if (plain) {
        shot.mBounces = 1;
        ShowShotPopup(500, "BANK SHOT!");
    } else if (chain <= 2) {
        char label[32];
        std::snprintf(label, sizeof label, "Tumble x%d", chain);
        ShowShotPopup(chain * 100, label);
    } else {
        ShowShotPopup(chain * 100, "SUPER TUMBLE!");
    }
}

void Slot::ShowShotPopup(int points, const char* label)
{
    const bool super = std::strcmp(label, "SUPER TUMBLE!") == 0;
    const std::string pointsText = AwardPoints(points);
    float x = 0.0f;
    float y = 0.0f;
    PlateRules::LevelPosition(*this, x, y);
    const float worldY = mWorld[kAttrY];
    float offset = -60.0f;
    if (super) {
        PlateRules::KillPopupTexts();
        if (worldY < 80.0f)
            offset = 0.0f;
    } else if (worldY < 90.0f) {
        offset = (90.0f - worldY) - 60.0f;
    }
    const char* font = super ? "gfx\\font1.png" : "gfx\\font1_small.png";
    if (TextObject* text = PlateRules::AddLevelText(label, font, 0.0f, 0, 1)) {
        AddPopupStages(*text, x, y + offset, super, 0.0f);
        if (super)
            std::snprintf(text->mName, sizeof text->mName, "popup_text");
    }
    if (TextObject* text = PlateRules::AddLevelText(pointsText.c_str(), font, 0.0f, 0, 1)) {
        AddPopupStages(*text, x, y + offset + 25.0f, super, super ? 300.0f : 0.0f);
        if (super)
            std::snprintf(text->mName, sizeof text->mName, "popup_text");
    }
    if (!super)
        return;
    GameState& game = Game();
    if (game.mLevel != nullptr) {
        auto* emitter = new ParticleEmitter;
        std::snprintf(emitter->mName, sizeof emitter->mName, "popup_text");
        emitter->AddStage(1000.0f, 0, 0, 1, nullptr);
        emitter->mLocal[kAttrX] = x;
        emitter->mLocal[kAttrY] = y + offset + 25.0f;
        emitter->mMinX = -120.0f;
        emitter->mMaxX = 120.0f;
        emitter->mMinY = -40.0f;
        emitter->mMaxY = 10.0f;
        PlateRules::AddSparklePair(*emitter, 0.0f);
        game.mLevel->AddChild(emitter);
    }
    PlayGameSound("audio\\super_tumble.ogg");
}

float Slot::FindTossTarget(float speedX, Slot*& target)
{
    GameState& game = Game();
    target = nullptr;
    float v = speedX;
    for (int draws = 0; std::fabs(v) < 0.3f; ++draws) {
        if (draws == kMaxDraws) {
            v = v < 0.0f ? -0.3f : 0.3f;
            break;
        }
        v = game.mRandom.RandomFloatRange(-2.0f, 2.0f);
    }
    if (Tuning().mTossOnFilledPlate == 0)
        v = 0.0f;
    Plate* plate = GetPlate();
    AnimObject* layer = plate != nullptr ? plate->mParent : nullptr;
    if (layer == nullptr)
        return v;
    // The nearest reachable slot among those with the fewest lobs already
    // aimed at them, so that treasures tossed together spread out.
    float bestDistance = 0.0f;
    int bestPending = 0;
    for (AnimObject* other = layer->mChildren.Head(); other != nullptr; other = other->mNext) {
        if (other->mKind != kKindPlate)
            continue;
        for (AnimObject* child = other->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind != kKindSlot || child == this || child->mRemove != 0)
                continue;
            auto* slot = static_cast<Slot*>(child);
            if (slot->mSlotKind != mSlotKind || slot->mFilled != 0)
                continue;
            const float dx = slot->mWorld[kAttrX] - mWorld[kAttrX];
            const float dy = slot->mWorld[kAttrY] - mWorld[kAttrY];
            if (std::fabs(dx) >= GameState::kScreenWidth / 2.0f || dy <= 5.0f)
                continue;
            const float lob = (dx >= 0.0f ? 1.0f : -1.0f) * (std::fabs(dx) / std::sqrt(std::fabs(dy))) / 13.0f;
            if (std::fabs(lob) >= 2.5f)
                continue;
            const float distance = std::sqrt(dx * dx + dy * dy);
            if (target != nullptr &&
                (slot->mPendingLobs > bestPending || (slot->mPendingLobs == bestPending && distance >= bestDistance)))
                continue;
            target = slot;
            bestDistance = distance;
            bestPending = slot->mPendingLobs;
            v = lob;
        }
    }
    if (target != nullptr)
        target->mPendingLobs += 1;
    return v;
}

void Slot::TossOut(int chain, int platesCompleted, float speedX, bool forced)
{
    Slot* target = nullptr;
    float v = FindTossTarget(speedX, target);
    if (v == 0.0f && !forced) {
        Plate* plate = GetPlate();
        if ((plate != nullptr && plate->HasRoom()) || PlateRules::CountPlates() > 1)
            PlateRules::TrickshotMissed();
        return;
    }
    if (forced)
        v = speedX;
    if (!PlateRules::PlatesHaveRoom())
        return;
    Plate* plate = GetPlate();
    AnimObject* layer = plate != nullptr ? plate->mParent : mParent;
    if (layer == nullptr)
        return;
    auto* treasure = new Jewel(mSlotKind);
    treasure->mStages.RemoveAll();
    treasure->AddStage(500.0f, 1, 1, 1, "shooting");
    treasure->AddFilter(kEasingVelocity, kAttrY, -0.75f, 0.02f, 0.0f);
    treasure->AddFilter(kEasingVelocity, kAttrX, v, 0.0f, 0.0f);
    treasure->SetStage(treasure->mStages.Head());
    treasure->mLive = 0;
    treasure->mForcedToss = forced ? 1 : 0;
    treasure->mChain = chain;
    treasure->mPlatesCompleted = platesCompleted;
    treasure->mLobTarget = forced ? nullptr : target;
    treasure->mLobStartX = mWorld[kAttrX];
    treasure->mLobStartY = mWorld[kAttrY];
    treasure->mZOrder = 1.001f;
    treasure->mLocal[kAttrX] = 0.0f;
    treasure->mLocal[kAttrY] = 0.0f;
    AppendChild(treasure);
    layer->Reparent(treasure, 1);
    if (AnimObject* corona = treasure->AddChild(nullptr)) {
        corona->SetImage("gfx\\corona4.png", 0.0f, 0.0f, 1, 0.0f);
        corona->AddStage(1000.0f, 1, 1, 1, nullptr);
    }
    if (Tuning().mTossOnFilledPlate == 0) {
        PlayGameSound("audio\\pop.ogg");
        if (AnimObject* burst = AddChild(nullptr)) {
            burst->SetImage("gfx\\burst.png", 0.0f, 0.0f, 1, 0.0f);
            burst->SetZOrder(30.0f);
            burst->AddStage(60.0f, 0, 0, 1, nullptr);
            burst->SetStageAttribute(kAttrAlpha, 0.85f, 0.85f);
            burst->SetStageAttribute(kAttrXScale, 0.3f, 0.3f);
            burst->SetStageAttribute(kAttrYScale, 0.3f, 0.3f);
        }
    }
}

void Slot::Cascade()
{
    if (mFilled == 0 || mFrameCounter >= 300.0f)
        return;
    GameState& game = Game();
    AnimObject* inner = game.mInnerLayer;
    if (inner == nullptr)
        return;
    float delay = 0.0f;
    for (AnimObject* plate = inner->mChildren.Head(); plate != nullptr; plate = plate->mNext) {
        if (plate->mKind != kKindPlate)
            continue;
        for (AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind != kKindSlot || child == this)
                continue;
            auto* slot = static_cast<Slot*>(child);
            if (slot->mIncoming != 0 || slot->mFilled != 0 || slot->mSlotKind != mSlotKind || !OnScreen(*slot))
                continue;
            auto* label = new SlotLabel(*this, *slot, delay);
            label->mZOrder = plate->mZOrder + 0.01f;
            inner->AddChild(label);
            delay += 10.0f;
        }
    }
    if (SaturateToInt(mFrameCounter) % 100 == 0)
        Glow(100.0f, 1.0f);
}

void Slot::Glow(float ms, float scale, const char* image)
{
    if (mParent == nullptr)
        return;
    AnimObject* glow = mParent->AddChild(nullptr);
    if (glow == nullptr)
        return;
    glow->SetImage(image != nullptr ? image : "gfx\\corona.png", 0.0f, 0.0f, 1, 0.0f);
    glow->SetZOrder(mZOrder - 0.1f);
    const float x = mLocal[kAttrX];
    const float y = mLocal[kAttrY];
    glow->AddStage(4.0f * ms, 0, 0, 1, nullptr);
    glow->SetStageAttribute(kAttrX, x, x);
    glow->SetStageAttribute(kAttrY, y, y);
    glow->SetStageAttribute(kAttrXScale, scale, scale);
    glow->SetStageAttribute(kAttrYScale, scale, scale);
    glow->AddFilter(kEasingVelocity, kAttrRotation, -0.6f, 0.0f, 1.0f);
    glow->AddStage(ms, 0, 0, 1, nullptr);
    glow->SetStageAttribute(kAttrX, x, x);
    glow->SetStageAttribute(kAttrY, y, y);
    glow->SetStageAttribute(kAttrXScale, scale, scale);
    glow->SetStageAttribute(kAttrYScale, scale, scale);
    glow->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
    glow->AddFilter(kEasingVelocity, kAttrRotation, -0.6f, 0.0f, 1.0f);
}

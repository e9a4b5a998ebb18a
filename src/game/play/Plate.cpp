#include "game/play/Plate.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EditorMenu.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/ParticleEmitter.h"
#include "game/engine/ScreenAccess.h"
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "game/play/Jewel.h"
#include "game/play/PlateRules.h"
#include "game/play/PlayState.h"
#include "game/play/RuleOperations.h"
#include "game/play/Slot.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr float kPi = 3.14159265358979323846f;
// Redraws stop here: the generator has fixed points.
constexpr int kMaxDraws = 1000;

bool StageIs(const Stage* stage, const char* name)
{
    return stage != nullptr && std::strcmp(stage->mName, name) == 0;
}

bool StageContains(const Stage* stage, const char* part)
{
    return stage != nullptr && std::strstr(stage->mName, part) != nullptr;
}

// The y velocity filter of a treasure's current stage, or null.
Filter* VelocityY(const AnimObject& object)
{
    const Stage* stage = object.CurrentStage();
    return stage != nullptr ? stage->FindFilter(kEasingVelocity, kAttrY) : nullptr;
}

} // namespace


Plate::Plate()
{
    mKind = kKindPlate;
    mZOrder = 1.0f;
    Play().mDangerShown = 0;
}

Plate::~Plate() = default;

void Plate::SetType(const char* key)
{
    std::snprintf(mType, sizeof mType, "%s", key);
}

void Plate::ReadXmlAttributes(const ObjectXmlElement& element)
{
    const float count = element.GetAttributeFloat("num_jewels");
    // NaN or a huge count would drain the record pools.
    mNumJewels = std::isnan(count) ? 0 : SaturateToInt(count);
    if (mNumJewels < 0)
        mNumJewels = 0;
    if (mNumJewels > kMaxSlots)
        mNumJewels = kMaxSlots;
    mRadius = element.GetAttributeFloat("radius");
    // The slots exist before the common attributes are read.
    InitType();
    AnimObject::ReadXmlAttributes(element);
    SetZOrder(1.0f);
    mBilinear = 1;
}

void Plate::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", mType);
    WriteXmlFloatAttribute(out, "radius", mRadius);
    WriteXmlFloatAttribute(out, "num_jewels", float(mNumJewels));
}

void Plate::InitAfterLoad()
{
    AnimObject::InitAfterLoad();
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext)
        child->mBilinear = 1;
}

void Plate::InitType()
{
    for (int i = 0; i < mNumJewels; ++i) {
        Slot* slot = MakeSlot(i);
        LayoutSlots(slot, i);
        AddChild(slot);
    }
}

Slot* Plate::MakeSlot(int index)
{
    Slot* slot = new Slot;
    if (Tuning().mNumberOfUniqueSlots > 1) {
        // With two kinds an odd ring cannot close: its last slot then only
        // differs from its neighbour.
        bool ringRule = mNumJewels >= 2 && index == mNumJewels - 1;
        const PlayState& play = Play();
        auto passes = [&](int kind) {
            return kind != play.mLastSlotKind && !(ringRule && kind == play.mFirstSlotKind);
        };
        if (ringRule) {
            bool anyPasses = false;
            for (int kind = 3; kind <= 10 && !anyPasses; ++kind)
                anyPasses = passes(kind) && KindCanBeDrawn(kind);
            ringRule = anyPasses;
        }
        for (int draws = 0; !passes(slot->mSlotKind) && draws < kMaxDraws; ++draws)
            slot->SetSlotKind(Slot::RandomSlotKind());
        if (!passes(slot->mSlotKind)) {
            for (int kind = 3; kind <= 10; ++kind) {
                if (passes(kind) && KindCanBeDrawn(kind)) {
                    slot->SetSlotKind(kind);
                    break;
                }
            }
        }
    }
    if (index == 0)
        Play().mFirstSlotKind = slot->mSlotKind;
    Play().mLastSlotKind = slot->mSlotKind;
    return slot;
}

bool Plate::KindCanBeDrawn(int kind)
{
    return kind >= 3 && kind <= Slot::HighestRandomKind();
}

void Plate::PlaceSlot(Slot* slot, float x, float y)
{
    slot->mLocal[kAttrX] = x;
    slot->mLocal[kAttrY] = y;
    if (slot->AddStage(1000.0f, 1, 1, 1, nullptr) == nullptr)
        return;
    slot->SetStageAttribute(kAttrX, x, x);
    slot->SetStageAttribute(kAttrY, y, y);
}

int Plate::SlotCount() const
{
    return CountChildrenOfKind(kKindSlot);
}

int Plate::FilledCount() const
{
    int count = 0;
    for (const AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindSlot && static_cast<const Slot*>(child)->mFilled != 0)
            ++count;
    }
    return count;
}

bool Plate::AllSlotsFilled() const
{
    for (const AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindSlot && static_cast<const Slot*>(child)->mFilled == 0)
            return false;
    }
    return true;
}

void Plate::EditorMenuItems(EditorMenu& menu)
{
    menu.AddItem("", "add_slot_1");
    menu.AddItem("Clear Slots", "clear_children");
    menu.AddItem("Add Harp Slot", "add_slot_2");
    menu.AddItem("Add Goblet Slot", "add_slot_3");
    menu.AddItem("Add Vase Slot", "add_slot_4");
    menu.AddItem("Add Coin Slot", "add_slot_5");
    menu.AddItem("Add Key Slot", "add_slot_6");
    menu.AddItem("Add Heart Slot", "add_slot_7");
}

void Plate::EditorCommand(const char* command)
{
    if (command == nullptr) {
        AnimObject::EditorCommand(command);
        return;
    }
    if (std::strcmp(command, "clear_children") == 0) {
        mChildren.RemoveAll();
        return;
    }
    if (std::strncmp(command, "add_slot_", 9) != 0) {
        AnimObject::EditorCommand(command);
        return;
    }
    const int number = std::atoi(command + 9);
    Slot* slot = new Slot;
    LayoutSlots(slot, number);
    slot->SetSlotKind(number);
    slot->mSelectable = 1;
    AddChild(slot);
    PlateRules::SelectInEditor(*slot);
}

void Plate::OnComplete()
{
    GameState& game = Game();
    Level* level = CurrentLevel();
    ImageRecord* sparkleImage = level != nullptr ? GetLevelSparkleImage(*level) : nullptr;
    GameRandom& random = game.mRandom;
    const float width = mImage != nullptr ? mImage->mFrameWidth : 0.0f;
    const float height = mImage != nullptr ? mImage->mFrameHeight : 0.0f;

    // The burst: 50 sparkles fly out and back while the holder turns.
    if (AnimObject* burst = AddChild(nullptr)) {
        burst->SetZOrder(0.9f);
        if (mParent != nullptr)
            mParent->Reparent(burst, 1);
        burst->AddStage(2000.0f, 0, 0, 1, nullptr);
        burst->SetStageAttribute(kAttrRotation, 0.0f, -720.0f);
        burst->AddFilter(kEasingSquared, kAttrRotation, 1.0f, 0.0f, 0.0f);
        for (int i = 0; i < 50; ++i) {
            AnimObject* sparkle = burst->AddChild(nullptr);
            if (sparkle == nullptr)
                break;
            sparkle->SetImageRecord(sparkleImage);
            sparkle->mBlitStyle = 1;
            const float x = random.RandomFloatRange(-width / 1.5f, width / 1.5f);
            const float y = random.RandomFloatRange(-height / 1.5f, height / 1.5f);
            sparkle->AddStage(float(random.RandomIntRange(300, 600)), 0, 0, 1, nullptr);
            sparkle->SetStageAttribute(kAttrX, 0.0f, x);
            sparkle->SetStageAttribute(kAttrY, 0.0f, y);
            sparkle->SetStageAttribute(kAttrAlpha, 0.0f, random.RandomFloatRange(0.8f, 1.0f));
            sparkle->AddStage(float(random.RandomIntRange(200, 400)), 0, 0, 1, nullptr);
            sparkle->SetStageAttribute(kAttrX, kValueFromPreviousStage, 0.0f);
            sparkle->SetStageAttribute(kAttrY, kValueFromPreviousStage, 0.0f);
            sparkle->SetStageAttribute(kAttrAlpha, kValueFromPreviousStage, 0.0f);
            sparkle->AddFilter(kEasingCubed, kAttrYScale, 1.0f, 0.0f, 0.0f);
            sparkle->AddFilter(kEasingSquareRoot, kAttrYScale, 1.0f, 0.0f, 0.0f);
        }
    }

    float x = 0.0f;
    float y = 0.0f;
    PlateRules::LevelPosition(*this, x, y);
    if (mCombo < 2) {
        const std::string points = AwardPoints(500);
        if (TextObject* text = PlateRules::AddLevelText(points.c_str(), "gfx\\font1.png", 2.0f, 40, 1)) {
            text->AddStage(1000.0f, 0, 0, 1, nullptr);
            text->SetStageAttribute(kAttrXScale, 0.6f, 0.6f);
            text->SetStageAttribute(kAttrYScale, 0.6f, 0.6f);
            text->SetStageAttribute(kAttrAlpha, 0.001f, 0.001f);
            text->SetStageAttribute(kAttrX, x + 60.0f, x - 60.0f);
            text->SetStageAttribute(kAttrY, y, y);
            text->AddFilter(kEasingSuperCos, kAttrAll, 2.0f, 0.0f, 0.0f);
            text->AddFilter(kEasingSined, kAttrAlpha, 0.8f, 0.5f, 0.0f);
            text->AddFilter(kEasingSined, kAttrXScale, 0.4f, 0.5f, 0.0f);
            text->AddFilter(kEasingSined, kAttrYScale, 0.4f, 0.5f, 0.0f);
            text->AddFilter(kEasingSined, kAttrY, 30.0f, 0.5f, 0.0f);
        }
    } else {
        const std::string points = AwardPoints(mCombo * 1000);
        char label[32];
        switch (mCombo) {
        case 2:
            std::snprintf(label, sizeof label, "DOUBLE COMBO!");
            break;
        case 3:
            std::snprintf(label, sizeof label, "TRIPLE COMBO!");
            break;
        case 4:
            std::snprintf(label, sizeof label, "QUAD COMBO!");
            break;
        default:
            std::snprintf(label, sizeof label, "%dx COMBO!", mCombo);
            break;
        }
        const char* lines[2] = {label, points.c_str()};
        for (int i = 0; i < 2; ++i) {
            TextObject* text = PlateRules::AddLevelText(lines[i], "gfx\\font1_small.png", 0.2f, 0, 1);
            if (text == nullptr)
                continue;
            const float ty = i == 0 ? y - 15.0f : y + 15.0f;
            text->AddStage(2000.0f, 0, 0, 1, nullptr);
            text->SetStageAttribute(kAttrX, x, x);
            text->SetStageAttribute(kAttrY, ty, ty);
            text->AddStage(300.0f, 0, 0, 1, nullptr);
            text->SetStageAttribute(kAttrX, x, x);
            text->SetStageAttribute(kAttrY, ty, ty);
            text->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
        }
        if (game.mLevel != nullptr) {
            auto* emitter = new ParticleEmitter;
            emitter->AddStage(1700.0f, 0, 0, 1, nullptr);
            emitter->mFrequency = 2.0f;
            emitter->mRandom = 0.0f;
            emitter->mBlitStyle = 1;
            emitter->mLocal[kAttrX] = x;
            emitter->mLocal[kAttrY] = y;
            emitter->mMinX = -100.0f;
            emitter->mMaxX = 100.0f;
            emitter->mMinY = -25.0f;
            emitter->mMaxY = 25.0f;
            PlateRules::AddSparklePair(*emitter, 1.0f);
            game.mLevel->AddChild(emitter);
        }
        PlayGameSound("audio\\plate_combo.ogg");
    }
    PlayGameSound("audio\\plate.ogg");
}

void Plate::OnHit(Slot*, Jewel*) {}
void Plate::OnSlotFilled(int) {}
void Plate::LayoutSlots(Slot*, int) {}

int Plate::Update()
{
    GameState& game = Game();
    if (StageIs(mCurrentStage, "fade_out")) {
        if (Tuning().mTossOnFilledPlate != 0)
            TossTreasures();
    } else if (!mCompleted && AllSlotsFilled()) {
        mCompleted = true;
        const bool fades = GoToStage("fade_out") != nullptr && StageIs(mCurrentStage, "fade_out");
        const float rotation = mLocal[kAttrRotation];
        if (!mStages.IsEmpty()) {
            Stage* last = mStages.Tail();
            last->SetAttribute(kAttrRotation, rotation, rotation - 1080.0f);
            last->AddFilter(game.mFilterPool, kEasingSquared, kAttrAll, 1.0f, 0.0f, 0.0f, 0);
        }
        OnComplete();
        if (SlotCount() >= 2 && !PlateRules::TutorialRuns()) {
            PlateRules::RestartBuildingClock();
            if (PlateRules::Mode() == 0)
                PlateRules::PushBuilding(Tuning().mPushFilledPlate, 0.79f);
        }
        if (AnimObject* powerUp = FindChildOfKind(kKindPowerUp)) {
            PlateRules::ReleasePowerUp(*powerUp);
        } else if (PlateRules::TutorialRuns() && game.mInnerLayer != nullptr &&
                   game.mInnerLayer->CountChildrenOfKind(kKindPlate) == 3) {
            PlateRules::SpawnPowerUpAt(*this);
        }
        // Without a stage to fade in, the completed plate leaves at once.
        if (!fades) {
            AnimObject::Update();
            return 0;
        }
    } else if (!mCompleted) {
        CheckWater();
        if (mRemove != 0)
            return 0;
    }
    return AnimObject::Update();
}

float Plate::HitAngle(const Jewel& treasure, const Slot& slot) const
{
    const float px = mWorld[kAttrX];
    const float py = mWorld[kAttrY];
    const float sx = slot.mWorld[kAttrX];
    const float sy = slot.mWorld[kAttrY];
    const float a1 = std::atan2(py - sy, sx - px);
    const float mx = sx + treasure.GetVelocityX();
    const float my = sy + treasure.GetVelocityY();
    float a2 = std::atan2(py - my, mx - px);
    for (int i = 0; i < 4 && std::fabs(a2 - a1) > kPi / 2.0f; ++i)
        a2 += a2 > a1 ? -kPi : kPi;
    return a2 - a1;
}

void Plate::Spin(const Jewel& treasure, const Slot& slot, float factor, float decay)
{
    if (mCurrentStage == nullptr || VelocityY(treasure) == nullptr)
        return;
    const float s = HitAngle(treasure, slot) * factor;
    float sum = s;
    for (Filter* filter = mCurrentStage->mFilters.Head(); filter != nullptr; filter = filter->mNext) {
        if (filter->mType == kEasingVelocity && filter->mAttribute == kAttrRotation)
            sum += filter->mAmplitude;
    }
    if (std::fabs(sum) >= 6.0f)
        return;
    mCurrentStage->AddFilter(Game().mFilterPool, kEasingVelocity, kAttrRotation, s, 0.0f, decay, 0);
}

void Plate::Bob(const Jewel& treasure, const Slot&, float strength)
{
    const Filter* vy = VelocityY(treasure);
    if (mCurrentStage == nullptr || vy == nullptr)
        return;
    Filter* bob = mCurrentStage->AddFilter(Game().mFilterPool, kEasingDecaySined, kAttrY,
                                           -12.0f * (std::fabs(vy->mAmplitude) / 3.0f) * strength, 0.5f, 0.0f, 0);
    if (bob != nullptr)
        bob->mOwnLength = 100.0f;
}

void Plate::SpeedUpSpin()
{
    if (mCurrentStage == nullptr)
        return;
    if (Filter* spin = mCurrentStage->FindFilter(kEasingVelocity, kAttrRotation))
        spin->mAmplitude *= 1.2f;
}

void Plate::Tilt(const Jewel&, const Slot&, float angle, float period)
{
    if (mCurrentStage == nullptr)
        return;
    const uint32_t bit = 1u << kAttrRotation;
    if ((mCurrentStage->mMask & bit) == 0) {
        // Newly animated: the stage holds the plate where it is.
        mCurrentStage->mMask |= bit;
        mCurrentStage->mStart[kAttrRotation] = mLocal[kAttrRotation];
        mCurrentStage->mEnd[kAttrRotation] = mLocal[kAttrRotation];
    }
    Filter* tilt = mCurrentStage->AddFilter(Game().mFilterPool, kEasingSined, kAttrRotation, angle, period, 0.0f, 0);
    if (tilt != nullptr) {
        tilt->mOwnLength = 150.0f;
        tilt->mResetStageValues = 1;
    }
}

void Plate::SwingPendulum(float k)
{
    if (StageContains(mCurrentStage, "fade"))
        return;
    mSwing = (mSwing - mLocal[kAttrRotation] / k) * 0.993f;
    mLocal[kAttrRotation] += mSwing;
}

namespace {

float Sign(float angle) { return angle >= 0.0f ? 1.0f : -1.0f; }

} // namespace

float Plate::SteepTiltAngle(const Jewel& treasure, const Slot& slot, float fullAngle) const
{
    const float s = Sign(HitAngle(treasure, slot));
    const float d = std::fabs(slot.mWorld[kAttrX] - mWorld[kAttrX]);
    const float w = mImage != nullptr ? mImage->mFrameWidth : 0.0f;
    if (d > w / 15.0f)
        return s * fullAngle;
    return treasure.GetVelocityX() == 0.0f ? 0.0f : s * fullAngle;
}

float Plate::StickTiltAngle(const Jewel& treasure, const Slot& slot) const
{
    const float w = mImage != nullptr ? mImage->mFrameWidth : 0.0f;
    // Without an image there is no length to measure the tilt by.
    if (w <= 0.0f)
        return 0.0f;
    const float s = Sign(HitAngle(treasure, slot));
    const float d = std::fabs(slot.mWorld[kAttrX] - mWorld[kAttrX]);
    return s * std::fabs(d * 120.0f / (w / 2.0f));
}

bool Plate::TriangleTilts(const Jewel& treasure, const Slot& slot, float& angle) const
{
    const float d = std::fabs(slot.mWorld[kAttrX] - mWorld[kAttrX]);
    const float slotHalf = slot.mImage != nullptr ? slot.mImage->mFrameWidth / 2.0f : 0.0f;
    angle = Sign(HitAngle(treasure, slot)) * 120.0f;
    return d > slotHalf || treasure.GetVelocityX() > 0.01f;
}

void Plate::PreFillTosserSlot(Slot& slot)
{
    slot.mFilled = 1;
    if (PlateRules::Mode() == 1) {
        slot.mSlotKind = Slot::kWildKind;
        if (GameState::TryCurrent() != nullptr)
            slot.SetImage("gfx\\pwrup_wild_shape.png", 0.0f, 0.0f, 1, 0.0f);
    } else {
        slot.RefreshImage();
    }
}

void Plate::TossAllOut()
{
    GameRandom& random = Game().mRandom;
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind != kKindSlot || child->mRemove != 0)
            continue;
        auto* slot = static_cast<Slot*>(child);
        slot->TossOut(0, 0, random.RandomFloatRange(-3.5f, 3.5f), true);
        slot->mRemove = 1;
    }
}

void Plate::TossTreasures()
{
    if (mChildren.IsEmpty() || mWorld[kAttrXScale] >= 1.0f)
        return;
    GameRandom& random = Game().mRandom;
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindSlot)
            static_cast<Slot*>(child)->TossOut(0, 0, random.RandomFloatRange(-0.5f, 0.5f), false);
    }
    mChildren.RemoveAll();
}

void Plate::CheckWater()
{
    GameState& game = Game();
    if (game.EditorOpen())
        return;
    const float y = mWorld[kAttrY];
    if (y > GameState::kScreenHeight && PlateRules::MiddleStageIs("scrolling")) {
        // One sunk plate loses once; in Journey with tries left the level
        // goes on without it.
        if (mSunk)
            return;
        mSunk = true;
        const bool triesLeft = PlateRules::Mode() == 1 && PlateRules::JourneyTriesLeft();
        PlateRules::DefeatLevel();
        if (triesLeft)
            mRemove = 1;
        return;
    }
    if (PlateRules::Mode() != 1 && y > Tuning().mEarthquakePoint + 50.0f && PlateRules::MiddleStageIs("scrolling"))
        Drown();
}

void Plate::Drown()
{
    GameState& game = Game();
    GameRandom& random = game.mRandom;
    Level* level = CurrentLevel();
    const float screenHeight = GameState::kScreenHeight;
    const float y = mWorld[kAttrY];
    int period = SaturateToInt((screenHeight - y) / 4.0f);
    if (period < 40)
        period = 40;
    if (level != nullptr && SaturateToInt(mFrameCounter) % period == 0) {
        const int d = int(random.RandomIntRange(uint32_t(-40), 40));
        if (AnimObject* bubble = AddChild(nullptr)) {
            bubble->SetImage("gfx\\white_particle.png", 0.0f, 0.0f, 1, 0.0f);
            AnimObject* water = level->FindChildByName("water");
            const bool front = random.RandomInt(2) == 0;
            float z = mZOrder - 0.1f;
            if (water != nullptr)
                z = water->mZOrder + (front ? 0.001f : -0.001f);
            bubble->mZOrder = z;
            level->Reparent(bubble, 1);
            float lx = 0.0f;
            float ly = 0.0f;
            PlateRules::LevelPosition(*this, lx, ly);
            bubble->mLocal[kAttrX] = lx + float(d);
            bubble->mLocal[kAttrY] = screenHeight / 2.0f + 40.0f;
            bubble->AddStage(1200.0f, 0, 0, 1, nullptr);
            bubble->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
            bubble->SetStageAttribute(kAttrXScale, 3.0f, 3.0f);
            bubble->SetStageAttribute(kAttrYScale, 3.0f, 3.0f);
            const float from = random.RandomFloatRange(-60.0f, 60.0f);
            const float to = random.RandomFloatRange(-60.0f, 60.0f);
            bubble->SetStageAttribute(kAttrRotation, from, to);
            bubble->AddFilter(kEasingVelocity, kAttrY, random.RandomFloatRange(-0.9f, -0.5f) / 2.0f, -0.001f, 0.0f);
            bubble->AddFilter(kEasingVelocity, kAttrX, float(d) / 1000.0f, 0.0f, 0.999f);
        }
        if (random.RandomInt(3) == 0 && game.mEffects != nullptr) {
            if (AnimObject* bubble = AddChild(nullptr)) {
                bubble->SetImage("gfx\\bubble.png", 0.0f, 0.0f, 1, 0.0f);
                game.mEffects->Reparent(bubble, 1);
                bubble->mZOrder = 9.0f;
                float lx = 0.0f;
                float ly = 0.0f;
                PlateRules::LevelPosition(*this, lx, ly);
                bubble->mLocal[kAttrX] = lx + float(d);
                bubble->mLocal[kAttrY] = screenHeight / 2.0f - 10.0f;
                bubble->AddStage(float(random.RandomIntRange(1000, 3000)), 0, 0, 1, nullptr);
                bubble->SetStageAttribute(kAttrAlpha, random.RandomFloatRange(0.7f, 1.0f), 0.0f);
                bubble->AddFilter(kEasingVelocity, kAttrY, random.RandomFloatRange(-1.0f, -0.3f), 0.008f, 0.0f);
                bubble->AddFilter(kEasingVelocity, kAttrX, random.RandomFloatRange(-0.4f, 0.4f), 0.0f, 0.0f);
            }
        }
    }
    if (y > Tuning().mEarthquakePoint)
        ShakeObject(*this, 2.0f, 0.125f);
    if (Play().mDangerShown == 0) {
        PlateRules::KillPopupTexts();
        Play().mDangerShown = 1;
        if (TextObject* text = PlateRules::AddLevelText("DANGER!", "gfx\\font1.png", 0.0f, 0, 1)) {
            std::snprintf(text->mName, sizeof text->mName, "popup_text");
            for (int i = 0; i < 4; ++i) {
                text->AddStage(300.0f, 0, 0, 1, nullptr);
                text->SetStageAttribute(kAttrX, GameState::kScreenWidth / 2.0f, GameState::kScreenWidth / 2.0f);
                text->SetStageAttribute(kAttrY, GameState::kScreenHeight / 2.0f, GameState::kScreenHeight / 2.0f);
                text->AddStage(300.0f, 0, 0, 0, nullptr);
            }
        }
    }
}

void Plate::SuckBumpers()
{
    if (mParent == nullptr)
        return;
    GameState& game = Game();
    AnimObject* lowest = FindHighestOfKind(kKindBumper, game.mInnerLayer);
    if (lowest != nullptr) {
        const float lowestY = lowest->mWorld[kAttrY];
        const float length = mCurrentStage != nullptr ? mCurrentStage->mLength * 4.0f : 0.0f;
        for (AnimObject* other = mParent->mChildren.Head(); other != nullptr; other = other->mNext) {
            if (other->mKind != kKindBumper || std::fabs(other->mWorld[kAttrY] - lowestY) > 12.0f ||
                StageIs(other->CurrentStage(), "suck"))
                continue;
            if (other->AddStage(2.0f * length, 0, 0, 1, "suck") == nullptr)
                continue;
            other->SetStageAttribute(kAttrX, other->mLocal[kAttrX], mLocal[kAttrX]);
            other->SetStageAttribute(kAttrY, other->mLocal[kAttrY], mLocal[kAttrY]);
            other->SetStageAttribute(kAttrAlpha, other->mLocal[kAttrAlpha], 0.0f);
            other->SetStageAttribute(kAttrRotation, other->mLocal[kAttrRotation], 720.0f);
            other->AddFilter(kEasingSquared, kAttrAll, 1.0f, 0.0f, 0.0f);
            other->AddFilter(kEasingDecaySined, kAttrY, 60.0f, 0.5f, 0.0f);
            other->GoToStage("suck");
            other->MakeSparkles(40, 0, 1.0f, 1.0f, 1.0f, 1.0f);
        }
    }
    // The bumpers left are drawn above the rest. Re-sorting moves them to
    // the end of the list, so collect them first.
    for (int round = 0; round < 3; ++round) {
        std::vector<AnimObject*> bumpers;
        for (AnimObject* other = mParent->mChildren.Head(); other != nullptr; other = other->mNext) {
            if (other->mKind == kKindBumper && !StageIs(other->CurrentStage(), "suck"))
                bumpers.push_back(other);
        }
        for (AnimObject* bumper : bumpers)
            bumper->SetZOrder(mParent->mChildren.Tail()->mZOrder + 0.0001f);
    }
}

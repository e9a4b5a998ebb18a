#include "game/play/ShooterHelpers.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/play/Plate.h"
#include "game/play/RuleOperations.h"
#include "game/play/Slot.h"

#include <cmath>
#include <cstring>

namespace {

// A fresh pooled record with one stage, in no list yet; null when a pool refuses.
AnimObject* MakeEffectRecord(ImageRecord* image, float ms)
{
    AnimObject* child = AnimObject::TakeFromPool();
    if (child == nullptr)
        return nullptr;
    if (image != nullptr)
        child->SetImageRecord(image);
    if (child->AddStage(ms, 0, 0, 1, nullptr) == nullptr) {
        AnimObject::DisposeRecord(child);
        return nullptr;
    }
    return child;
}

} // namespace

namespace ShooterRules {

int CurrentMode()
{
    return Game().mProfiles.Current().mMode;
}

int& CurrentTries()
{
    PlayerProfile& profile = Game().mProfiles.Current();
    const int mode = profile.mMode >= 0 && profile.mMode < PlayerProfile::kModeCount ? profile.mMode : 0;
    return profile.mTries[mode];
}

bool IsTopmost(const AnimObject* screen)
{
    return screen != nullptr && Game().Topmost() == screen;
}

const char* StageName(const AnimObject* object)
{
    if (object == nullptr || object->CurrentStage() == nullptr)
        return "";
    return object->CurrentStage()->mName;
}

bool StageIs(const AnimObject* object, const char* name)
{
    return std::strcmp(StageName(object), name) == 0;
}

bool StageContains(const AnimObject* object, const char* text)
{
    return std::strstr(StageName(object), text) != nullptr;
}

bool NameContains(const AnimObject* object, const char* text)
{
    return object != nullptr && std::strstr(object->mName, text) != nullptr;
}

Filter* AddCurrentStageFilter(AnimObject* object, int type, int attribute, float amplitude, float period,
                              float offset, int removeAtStageEnd)
{
    if (object == nullptr || object->CurrentStage() == nullptr)
        return nullptr;
    return object->CurrentStage()->AddFilter(Game().mFilterPool, type, attribute, amplitude, period, offset,
                                             removeAtStageEnd);
}

void PushMiddleLayer(float amplitude, float decay)
{
    AnimObject* middle = Game().mMiddleLayer;
    if (middle == nullptr || middle->CurrentStage() == nullptr)
        return;
    middle->CurrentStage()->mTicks = 0.0f;
    AddCurrentStageFilter(middle, kEasingVelocity, kAttrY, amplitude, 0.0f, decay, 1);
}

AnimObject* LowestPlate()
{
    AnimObject* inner = Game().mInnerLayer;
    return inner != nullptr ? FindHighestOfKind(kKindPlate, inner) : nullptr;
}

AnimObject* LowestSlot(const AnimObject& plate)
{
    AnimObject* lowest = nullptr;
    for (AnimObject* child = plate.mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindSlot && (lowest == nullptr || child->mWorld[kAttrY] > lowest->mWorld[kAttrY]))
            lowest = child;
    }
    return lowest;
}

bool ImageRectOverlaps(const AnimObject& object, float cx, float cy, float w, float h)
{
    const float width = (object.mSource[2] - object.mSource[0]) * object.mLocal[kAttrXScale];
    const float height = (object.mSource[3] - object.mSource[1]) * object.mLocal[kAttrYScale];
    return BoxesOverlap(object.mWorld[kAttrX], object.mWorld[kAttrY], width, height, cx, cy, w, h);
}

float FrameWidth(const AnimObject& object)
{
    return object.mImage != nullptr ? object.mImage->mFrameWidth : 0.0f;
}

float FrameHeight(const AnimObject& object)
{
    return object.mImage != nullptr ? object.mImage->mFrameHeight : 0.0f;
}

int SlotKindOf(const AnimObject& slot)
{
    const Slot* s = dynamic_cast<const Slot*>(&slot);
    return s != nullptr ? s->mSlotKind : 0;
}

bool SlotFilled(const AnimObject& slot)
{
    const Slot* s = dynamic_cast<const Slot*>(&slot);
    return s != nullptr && s->mFilled != 0;
}

const char* PlateTypeOf(const AnimObject& plate)
{
    const Plate* p = dynamic_cast<const Plate*>(&plate);
    return p != nullptr ? p->mType : "";
}

AnimObject* AddEffectChild(AnimObject& parent, ImageRecord* image, float ms)
{
    AnimObject* child = MakeEffectRecord(image, ms);
    return child != nullptr ? parent.AddChild(child) : nullptr;
}

AnimObject* AddEffectChildOnTop(AnimObject& parent, ImageRecord* image, float ms)
{
    AnimObject* child = MakeEffectRecord(image, ms);
    return child != nullptr ? parent.AddChildOnTop(child) : nullptr;
}

} // namespace ShooterRules

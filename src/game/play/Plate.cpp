#include "game/play/Plate.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Stage.h"
#include "game/play/Slot.h"

#include <cmath>
#include <cstdio>
#include <cstring>

int Plate::sDangerShown = 0;
int Plate::sLastSlotKind = 0;
int Plate::sFirstSlotKind = 0;

Plate::Plate()
{
    mKind = kKindPlate;
    mZOrder = 1.0f;
    sDangerShown = 0;
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

void Plate::OnComplete() {}
void Plate::OnHit(Slot*, Jewel*) {}
void Plate::OnSlotFilled(int) {}
void Plate::LayoutSlots(Slot*, int) {}

void Plate::InitType()
{
    for (int i = 0; i < mNumJewels; ++i) {
        Slot* slot = MakeSlot(i);
        if (slot == nullptr)
            return;
        LayoutSlots(slot, i);
        AddChild(slot);
    }
}

Slot* Plate::MakeSlot(int index)
{
    Slot* slot = new Slot;
    sLastSlotKind = slot->mSlotKind;
    if (index == 0)
        sFirstSlotKind = slot->mSlotKind;
    return slot;
}

void Plate::PlaceSlot(Slot* slot, float x, float y)
{
    Stage* stage = slot->AddStage(1000.0f, 1, 1, 1, nullptr);
    if (stage == nullptr)
        return;
    slot->SetStageAttribute(kAttrX, x, x);
    slot->SetStageAttribute(kAttrY, y, y);
    slot->mLocal[kAttrX] = x;
    slot->mLocal[kAttrY] = y;
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

void Plate::EditorCommand(const char* command)
{
    AnimObject::EditorCommand(command);
}

int Plate::Update()
{
    return AnimObject::Update();
}

float Plate::HitAngle(const Jewel&, const Slot&) const { return 0.0f; }
void Plate::Spin(const Jewel&, const Slot&, float, float) {}
void Plate::Bob(const Jewel&, const Slot&, float) {}
void Plate::SpeedUpSpin() {}
void Plate::Tilt(const Jewel&, const Slot&, float, float) {}
void Plate::TossTreasures() {}
void Plate::CheckWater() {}
void Plate::Drown() {}
void Plate::SuckBumpers() {}
void Plate::SwingPendulum(float) {}
float Plate::SteepTiltAngle(const Jewel&, const Slot&, float) const { return 0.0f; }
float Plate::StickTiltAngle(const Jewel&, const Slot&) const { return 0.0f; }
bool Plate::TriangleTilts(const Jewel&, const Slot&, float& angle) const
{
    angle = 0.0f;
    return false;
}
void Plate::PreFillTosserSlot(Slot& slot)
{
    slot.mFilled = 1;
}
void Plate::TossAllOut() {}

#include "game/play/Slot.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/play/Plate.h"

#include <cstdio>
#include <cstdlib>

Slot::Slot()
{
    mKind = kKindSlot;
    mZOrder = 2.0f;
    SetSlotKind(RandomSlotKind());
}

Slot::~Slot() = default;

int Slot::RandomSlotKind()
{
    return 5;
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

void Slot::EditorCommand(const char* command)
{
    AnimObject::EditorCommand(command);
}

void Slot::OnCustomAction(const char*) {}

int Slot::Update()
{
    if (mRemove != 0)
        return 0;
    mPendingLobs = 0;
    return AnimObject::Update() != 0 ? 1 : 1;
}

void Slot::TestPiece(Jewel&) {}
void Slot::Place(Jewel*, bool) {}
void Slot::ScoreShot(const Jewel&) {}
void Slot::ShowShotPopup(int, const char*) {}
void Slot::TossOut(int, int, float, bool) {}
float Slot::FindTossTarget(float speedX, Slot*& target)
{
    target = nullptr;
    return speedX;
}
void Slot::Cascade() {}
void Slot::Glow(float, float, const char*) {}

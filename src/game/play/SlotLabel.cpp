#include "game/play/SlotLabel.h"

#include "game/engine/ObjectKind.h"
#include "game/play/Slot.h"

SlotLabel::SlotLabel(Slot& source, Slot& target, float)
{
    mKind = kKindSlotLabel;
    mZOrder = 2.01f;
    mStartX = source.mWorld[kAttrX];
    mStartY = source.mWorld[kAttrY];
    mTarget = &target;
    target.mIncoming = 1;
}

SlotLabel::~SlotLabel() = default;

int SlotLabel::Update()
{
    if (mRemove != 0 || mTarget == nullptr || mTarget->mFilled != 0)
        return 0;
    return AnimObject::Update();
}

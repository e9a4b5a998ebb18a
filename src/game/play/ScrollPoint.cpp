#include "game/play/ScrollPoint.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"

#include <cstring>

namespace {

// The child of that kind with the largest world y (lowest on screen), other
// than `skip`; the first wins a tie.
AnimObject* LowestLying(const AnimObject& container, int kind, const AnimObject* skip)
{
    AnimObject* best = nullptr;
    float bestY = -99995.0f;
    for (AnimObject* child = container.mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child != skip && child->mKind == kind && child->mWorld[kAttrY] > bestY) {
            best = child;
            bestY = child->mWorld[kAttrY];
        }
    }
    return best;
}

float FirstStageStartY(const AnimObject& object, bool& found)
{
    const Stage* stage = object.mStages.Head();
    found = stage != nullptr;
    return found ? stage->mStart[kAttrY] : 0.0f;
}

} // namespace

ScrollPoint::ScrollPoint()
{
    mKind = kKindScrollPoint;
}

void ScrollPoint::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "scroll_point");
    AnimObject::WriteTypeAttributes(out);
}

int ScrollPoint::Update()
{
    if (AnimObject::Update() == 0)
        return 0;
    GameState& game = Game();
    AnimObject* middle = game.mMiddleLayer;
    AnimObject* inner = game.mInnerLayer;
    if (middle == nullptr || inner == nullptr || middle->CurrentStage() == nullptr ||
        std::strstr(middle->CurrentStage()->mName, "scrolling") == nullptr)
        return 1;
    // Only the point on screen that the scroll is heading for.
    if (!(mWorld[kAttrY] > 0.0f) || LowestLying(*inner, kKindScrollPoint, nullptr) != this)
        return 1;

    const AnimObject* plate = LowestLying(*inner, kKindPlate, nullptr);
    if (plate == nullptr)
        return 0;

    // The stretch of building below this point is cleared when every plate
    // lies above the next point (+80), well above this one, or half a screen
    // above the top edge. A level with one scroll point has no next point.
    bool plateStaged = false;
    const float plateStartY = FirstStageStartY(*plate, plateStaged);
    bool ownStaged = false;
    const float ownStartY = FirstStageStartY(*this, ownStaged);
    bool cleared = false;
    if (plateStaged && mParent != nullptr) {
        const AnimObject* next = LowestLying(*mParent, kKindScrollPoint, this);
        if (next != nullptr && next->CurrentStage() != nullptr)
            cleared = plateStartY < next->CurrentStage()->mStart[kAttrY] + 80.0f;
        if (ownStaged)
            cleared = cleared || plateStartY < ownStartY - 400.0f;
    }
    cleared = cleared || plate->mWorld[kAttrY] < -GameState::kScreenHeight / 2.0f;
    if (!cleared)
        return 1;
    middle->CurrentStage()->mMask &= ~(1u << kAttrY);
    return 0;
}

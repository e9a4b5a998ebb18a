#include "game/play/LevelScroller.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"

#include <cstring>

namespace {

constexpr float kScrollTicks = 300.0f;

// Whether a thumbnail of a map in the layer lies off screen on that side.
bool ThumbnailOffScreen(const AnimObject* layer, bool left)
{
    if (layer == nullptr)
        return false;
    for (AnimObject* map = layer->FindChildOfKind(kKindLevelSelect); map != nullptr;
         map = layer->FindChildOfKind(kKindLevelSelect, map)) {
        for (const AnimObject* picture = map->mChildren.Head(); picture != nullptr; picture = picture->mNext) {
            const float x = picture->mWorld[kAttrX];
            if (left ? x < 0.0f : x > GameState::kScreenWidth)
                return true;
        }
    }
    return false;
}

} // namespace

void LevelScroller::OnCustomAction(const char*)
{
    GameState& game = Game();
    AnimObject* outer = game.mOuterLayer;
    if (outer == nullptr)
        return;
    const float step = mLocal[kAttrX] <= 0.0f ? GameState::kScreenWidth / 2.0f : -GameState::kScreenWidth / 2.0f;
    const bool towardsLeft = step > 0.0f;
    if (!ThumbnailOffScreen(outer, towardsLeft) && !ThumbnailOffScreen(game.mMiddleLayer, towardsLeft))
        return;
    Stage* first = outer->mStages.Head();
    if (first == nullptr || outer->CurrentStage() == first)
        return;
    CopyToField(first->mName, "scroll");
    first->mLength = kScrollTicks;
    first->SetAttribute(kAttrX, outer->mLocal[kAttrX], outer->mLocal[kAttrX] + step);
    outer->GoToStage("scroll");
}

void LevelScroller::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "level_scroller");
}

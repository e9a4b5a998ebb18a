// Visits every flying treasure of the current inner layer that is not yet
// flagged for removal. The walk survives what a visit does to the layer: a
// bounce that runs a treasure's updates may end it or add its trails.
#pragma once

#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"
#include "game/play/Jewel.h"

template <class Visit>
void ForEachInnerTreasure(Visit visit)
{
    GameState* game = GameState::TryCurrent();
    AnimObject* inner = game != nullptr ? game->mInnerLayer : nullptr;
    if (inner == nullptr)
        return;
    for (ObjectList<AnimObject>::Walk walk(inner->mChildren); AnimObject* child = walk.Next();) {
        if (child->mKind == kKindJewel && child->mRemove == 0)
            visit(*static_cast<Jewel*>(child));
    }
}

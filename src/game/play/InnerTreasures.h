// Visits every flying treasure among a container's children (the current
// inner layer's by default) that is not yet flagged for removal. The walk
// survives what a visit does to the container: a bounce that runs a
// treasure's updates may end it or add its trails.
//
// The pieces of the building look for treasures every tick among many more
// children (plates, trails, guide arrows): they share the container's list of
// its treasures, taken again only when its child list changed. After a visit
// that changed it the list is taken again and read from its start; the walk's
// claim keeps each treasure to one visit, and treasures that joined meanwhile
// wait for the next tick, as with a walk of the children.
#pragma once

#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"
#include "game/play/Jewel.h"

#include <cstddef>
#include <cstdint>
#include <vector>

template <class Visit>
void ForEachTreasureIn(AnimObject& container, Visit visit)
{
    ObjectList<AnimObject>& children = container.mChildren;
    ObjectList<AnimObject>::Walk walk(children);
    uint64_t changes = children.Changes();
    const std::vector<AnimObject*>* treasures = &container.ChildrenOfKind(kKindJewel);
    for (size_t i = 0; i < treasures->size();) {
        AnimObject* child = (*treasures)[i++];
        if (!walk.Claim(child))
            continue;
        // An ended object drops its kind.
        if (child->mKind == kKindJewel && child->mRemove == 0)
            visit(*static_cast<Jewel*>(child));
        if (walk.Orphaned())
            return;
        if (children.Changes() != changes) {
            changes = children.Changes();
            treasures = &container.ChildrenOfKind(kKindJewel);
            i = 0;
        }
    }
}

template <class Visit>
void ForEachInnerTreasure(Visit visit)
{
    GameState* game = GameState::TryCurrent();
    AnimObject* inner = game != nullptr ? game->mInnerLayer : nullptr;
    if (inner != nullptr)
        ForEachTreasureIn(*inner, visit);
}

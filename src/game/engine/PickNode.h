// One entry of a pick list: an object the level editor found under the mouse
// or by kind. Removing a node frees it unless its keep flag is set, in which
// case the flag is cleared and the node only unlinked.
#pragma once

#include "game/engine/ListNode.h"

class AnimObject;

class PickNode : public ListNode<PickNode> {
public:
    explicit PickNode(AnimObject* object = nullptr) : mObject(object) {}

    static void DisposeRecord(PickNode* node)
    {
        if (node->mKeep != 0) {
            node->mKeep = 0;
            return;
        }
        delete node;
    }

    int mKeep = 0;
    AnimObject* mObject = nullptr;
};

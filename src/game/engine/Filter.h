// A filter of a stage: reshapes the stage's progress (easing) or adds an
// oscillation, a frame animation or a velocity to one attribute. A pooled record.
#pragma once

#include "game/engine/ListNode.h"

class Stage;
class StageTarget;

class Filter : public ListNode<Filter> {
public:
    // Fresh state, as a record taken from the pool gets it.
    void InitRecord();
    // Disposal when removed from its list: a pooled record goes back to its
    // pool, any other is deleted.
    static void DisposeRecord(Filter* filter);

    // One evaluation at progress t. Easing kinds 0-2 write their result back
    // to t. Returns true when the filter has ended (its own duration is over,
    // or a damped velocity has died out).
    bool Evaluate(StageTarget& target, float& t, bool editorOpen);

    Stage* mOwnerStage = nullptr;
    int mType = 0;      // EasingKind
    int mAttribute = 0; // AttributeCode; kAttrAll acts on the stage's progress
    float mAmplitude = 0.0f;
    float mPeriod = 0.0f;
    float mOffset = 0.0f;
    int mRemoveAtStageEnd = 0;
    int mPoolInUse = 0;
    float mOwnTicks = 0.0f;
    float mOwnLength = 0.0f; // 0: lasts as long as the stage
    int mResetStageValues = 0;
};

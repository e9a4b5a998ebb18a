// A stage of an animated object: for its length in 4-ms ticks it moves the
// attributes of its mask from start to end values along its progress t, with
// filters that reshape t or add motion to single attributes. A pooled record.
#pragma once

#include "game/engine/AttributeCode.h"
#include "game/engine/Filter.h"
#include "game/engine/ListNode.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/ObjectList.h"
#include "game/engine/RecordPool.h"

#include <cstdint>
#include <string>

class AnimObject;
class StageTarget;

class Stage : public ListNode<Stage> {
public:
    Stage() = default;
    ~Stage();
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    // Fresh state, as a record taken from the pool gets it.
    void InitRecord();
    // Disposal when removed from its list: a pooled record drops its filters
    // and goes back to its pool, any other is deleted.
    static void DisposeRecord(Stage* stage);
    // Gives every filter back.
    void ReleaseContents();

    // Length from milliseconds (ticks of 4 ms, not rounded), loop flags,
    // visibility and name (kept when null; cut to 23 characters).
    void Setup(AnimObject* owner, float ms, int loopStart, int loopEnd, int visible, const char* name);
    // Animates attribute code from start to end; a start of kValueFromObject
    // is re-read from the object on every entry. Unknown codes are ignored.
    void SetAttribute(int code, float start, float end);

    // Appends a filter taken from the pool; null when the pool refuses.
    Filter* AddFilter(RecordPool<Filter>& pool, int type, int attribute, float amplitude, float period,
                      float offset, int removeAtStageEnd);
    // First filter of that kind on that attribute, or null.
    Filter* FindFilter(int type, int attribute) const;

    // Entering the stage: tick counter 0, start and end markers resolved, t 0.
    void Enter(const StageTarget& target);
    // Replaces the marker values by the previous stage's end or the object's values.
    void ResolveValues(const StageTarget& target);

    // One tick. Returns true while the stage still runs (t < 1).
    bool Step(StageTarget& target, bool editorOpen);

    // After the step that ended this stage: the stage that becomes current
    // (the next one, or the loop's start), or null when the object has ended.
    Stage* NextAfterEnd(const StageTarget& target, RecordPool<Filter>& filterPool);
    // Tests every event in list order; each action runs when its trigger holds.
    void RunEvents();

    // Object XML: the stage line with its attribute, filter and event lines
    // one level deeper (the stage has no closing tag).
    void WriteXml(std::string& out, int depth) const;
    void WriteAttributeLines(std::string& out, int depth) const;
    void WriteFilterLines(std::string& out, int depth) const;
    void WriteEventLines(std::string& out, int depth) const;

    float mStart[kAttributeCount] = {};
    float mEnd[kAttributeCount] = {};
    int32_t mStartFromObject[kAttributeCount] = {};
    uint32_t mMask = 0;
    ObjectList<Filter> mFilters;
    ObjectList<ObjectEvent> mEvents;
    int mVisible = 1;
    int mLoopStart = 0;
    int mLoopEnd = 0;
    float mTicks = 0.0f;  // steps run in this stage
    float mLength = 0.0f; // in ticks
    float mT = 0.0f;      // progress of the last step
    int mCarryFilters = 0;
    AnimObject* mOwner = nullptr;
    char mName[24] = {};
    int mPoolInUse = 0;
};

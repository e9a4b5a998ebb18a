#include "game/engine/Stage.h"

#include "game/engine/AnimObject.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/StageTarget.h"

#include <cstring>

Stage::~Stage()
{
    ReleaseContents();
}

void Stage::InitRecord()
{
    for (int i = 0; i < kAttributeCount; ++i) {
        mStart[i] = 0.0f;
        mEnd[i] = 0.0f;
        mStartFromObject[i] = 0;
    }
    mMask = 0;
    mVisible = 1;
    mLoopStart = 0;
    mLoopEnd = 0;
    mTicks = 0.0f;
    mLength = 0.0f;
    mT = 0.0f;
    mCarryFilters = 0;
    mOwner = nullptr;
    mName[0] = '\0';
}

void Stage::DisposeRecord(Stage* stage)
{
    // The owner must not keep a removed stage as its current one.
    if (stage->mOwner != nullptr)
        stage->mOwner->ForgetStage(stage);
    if (stage->mPoolInUse != 0) {
        stage->ReleaseContents();
        stage->mPoolInUse = 0;
    } else {
        delete stage;
    }
}

void Stage::ReleaseContents()
{
    mFilters.RemoveAll();
    mEvents.RemoveAll();
}

void Stage::Setup(AnimObject* owner, float ms, int loopStart, int loopEnd, int visible, const char* name)
{
    mOwner = owner;
    mLength = ms / 4.0f;
    mLoopStart = loopStart;
    mLoopEnd = loopEnd;
    mVisible = visible;
    if (name != nullptr)
        CopyToField(mName, name);
}

void Stage::SetAttribute(int code, float start, float end)
{
    if (!IsAttributeCode(code))
        return;
    mStart[code] = start;
    mEnd[code] = end;
    mMask |= 1u << code;
    mStartFromObject[code] = start == kValueFromObject ? 1 : 0;
}

Filter* Stage::AddFilter(RecordPool<Filter>& pool, int type, int attribute, float amplitude, float period,
                         float offset, int removeAtStageEnd)
{
    Filter* filter = pool.Take();
    if (filter == nullptr)
        return nullptr;
    filter->mOwnerStage = this;
    filter->mType = type;
    filter->mAttribute = IsAttributeCode(attribute) ? attribute : kAttrAll;
    filter->mAmplitude = amplitude;
    filter->mPeriod = period;
    filter->mOffset = offset;
    filter->mRemoveAtStageEnd = removeAtStageEnd;
    mFilters.Append(filter);
    return filter;
}

Filter* Stage::FindFilter(int type, int attribute) const
{
    for (Filter* filter = mFilters.Head(); filter != nullptr; filter = filter->mNext) {
        if (filter->mType == type && filter->mAttribute == attribute)
            return filter;
    }
    return nullptr;
}

void Stage::Enter(const StageTarget& target)
{
    mTicks = 0.0f;
    ResolveValues(target);
    mT = 0.0f;
}

void Stage::ResolveValues(const StageTarget& target)
{
    for (int i = 0; i < kAttributeCount; ++i) {
        if (mStart[i] == kValueFromPreviousStage && mPrev != nullptr)
            mStart[i] = mPrev->mEnd[i];
        else if (mStartFromObject[i])
            mStart[i] = target.mLocal[i];
        // An end read from the object replaces the marker: only the first entry reads it.
        if (mEnd[i] == kValueFromObject)
            mEnd[i] = target.mLocal[i];
    }
}

bool Stage::Step(StageTarget& target, bool editorOpen)
{
    // A stage without a length shows its end values once and ends.
    const float progress = mLength > 0.0f ? mTicks / mLength : 1.0f;
    float t = progress;

    for (Filter* filter = mFilters.Head(); filter != nullptr; filter = filter->mNext) {
        if (filter->mAttribute == kAttrAll)
            filter->Evaluate(target, t, editorOpen);
    }
    mT = t;

    for (int i = 0; i < kAttributeCount; ++i) {
        if (mMask & (1u << i))
            target.mLocal[i] = mStart[i] + (mEnd[i] - mStart[i]) * t;
    }

    for (Filter* filter = mFilters.Head(); filter != nullptr;) {
        Filter* const next = filter->mNext;
        if (filter->mAttribute != kAttrAll) {
            const bool ended = filter->Evaluate(target, t, editorOpen);
            if (ended || (filter->mRemoveAtStageEnd && mTicks == mLength))
                mFilters.Remove(filter);
        }
        filter = next;
    }

    RunEvents();

    target.mVisible = mVisible;
    mTicks += 1.0f;
    // The end is decided on the stage's own progress: an eased t can swing
    // back below 1 (super_cos past the end) and would never let the stage end.
    return progress < 1.0f;
}

void Stage::RunEvents()
{
    // An action may add events (to this stage too); they wait for the next tick.
    for (ObjectList<ObjectEvent>::Walk walk(mEvents); ObjectEvent* event = walk.Next();)
        event->TestTrigger();
}

Stage* Stage::NextAfterEnd(const StageTarget& target, RecordPool<Filter>& filterPool)
{
    if (mLoopEnd == 0) {
        Stage* const next = mNext;
        if (next != nullptr) {
            next->ResolveValues(target);
            if (next->mCarryFilters) {
                for (Filter* filter = mFilters.Head(); filter != nullptr; filter = filter->mNext) {
                    if (next->AddFilter(filterPool, filter->mType, filter->mAttribute, filter->mAmplitude,
                                        filter->mPeriod, filter->mOffset, filter->mRemoveAtStageEnd) == nullptr)
                        break;
                }
            }
        }
        return next;
    }
    // Back to the loop's start; every stage passed starts one tick in.
    for (Stage* stage = this; stage != nullptr; stage = stage->mPrev) {
        stage->mTicks = 1.0f;
        if (stage->mLoopStart)
            return stage;
    }
    return nullptr;
}

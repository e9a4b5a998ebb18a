// The engine's intrusive doubly linked list (screens, children, stages,
// filters, events, level lists, pick lists). Records derive from ListNode and
// give their kind's disposal as a static T::DisposeRecord(T*): removing a
// record from its list disposes of it (pooled records go back to their pool).
//
// Walks: code that runs for each record and may change the list while it runs
// (an update that ends objects, opens screens, re-sorts or moves children) walks
// with ObjectList<T>::Walk. A walk visits once each record that was in the list
// at its start and is still there at its turn; records added during the walk
// wait for the next one. A caller that steps through a selection of the
// records of its own claims each record from a walk instead, with the same
// promise. The list's cursor is kept for callers that step through a list by
// hand, but no walk uses it.
#pragma once

#include "game/engine/ListNode.h"

#include <cstdint>

template <typename T>
class ObjectList {
public:
    class Walk;

    ObjectList() = default;
    ObjectList(const ObjectList&) = delete;
    ObjectList& operator=(const ObjectList&) = delete;
    // Unlinks (does not dispose of) what is left; owners empty their lists first.
    ~ObjectList()
    {
        for (Walk* walk = mWalks; walk != nullptr; walk = walk->mOuter) {
            walk->mList = nullptr;
            walk->mNext = nullptr;
        }
        while (mHead != nullptr)
            Detach(mHead);
    }

    T* Head() const { return mHead; }
    T* Tail() const { return mTail; }
    int Count() const { return mCount; }
    bool IsEmpty() const { return mHead == nullptr; }
    bool Contains(const T* record) const { return record != nullptr && record->mList == this; }
    // Grows whenever a record joins or leaves the list (a re-sort does both):
    // an answer worked out from the list holds while this stays the same.
    uint64_t Changes() const { return mChanges; }
    // The join stamp the next record will pass: records with a greater one
    // joined after this was read.
    uint64_t Stamp() const { return mCounter; }

    // Links the record in at the tail; it becomes the cursor. A null record, or
    // one that is already in a list, is refused (null).
    T* Append(T* record) { return InsertBefore(record, nullptr); }

    // Links the record in before `before` (at the tail when `before` is null or
    // not in this list); it becomes the cursor.
    T* InsertBefore(T* record, T* before)
    {
        if (record == nullptr || record->mList != nullptr)
            return nullptr;
        if (!Contains(before))
            before = nullptr;
        Link(record, before);
        record->mJoinStamp = ++mCounter;
        for (uint64_t& mark : record->mWalkMarks)
            mark = 0;
        return record;
    }

    // Re-positions a record of this list before `before` (at the tail when null).
    // Walks in progress still visit it exactly once.
    bool MoveBefore(T* record, T* before)
    {
        if (!Contains(record) || record == before)
            return false;
        if (!Contains(before))
            before = nullptr;
        for (Walk* walk = mWalks; walk != nullptr; walk = walk->mOuter) {
            if (record->mJoinStamp < walk->mId && record->mWalkMarks[walk->mDepth] != walk->mId)
                walk->mSweep = true;
        }
        Detach(record);
        Link(record, before);
        return true;
    }

    // Takes the record out without disposing of it.
    bool Unlink(T* record)
    {
        if (!Contains(record))
            return false;
        Detach(record);
        return true;
    }

    // Takes the record out and disposes of it. False when it is not in this list.
    bool Remove(T* record)
    {
        if (!Contains(record))
            return false;
        Detach(record);
        T::DisposeRecord(record);
        return true;
    }

    void RemoveAll()
    {
        while (mHead != nullptr)
            Remove(mHead);
    }

    // Cursor operations.
    T* Current() const { return mCursor; }
    bool First()
    {
        mCursor = mHead;
        return mCursor != nullptr;
    }
    bool Last()
    {
        mCursor = mTail;
        return mCursor != nullptr;
    }
    // Steps on; at the end goes back to the head and returns false.
    bool Next()
    {
        if (mCursor != nullptr && mCursor->mNext != nullptr) {
            mCursor = mCursor->mNext;
            return true;
        }
        mCursor = mHead;
        return false;
    }
    // Steps back; at the start goes back to the tail and returns false.
    bool Previous()
    {
        if (mCursor != nullptr && mCursor->mPrev != nullptr) {
            mCursor = mCursor->mPrev;
            return true;
        }
        mCursor = mTail;
        return false;
    }
    T* InsertBeforeCursor(T* record) { return InsertBefore(record, mCursor); }
    bool RemoveCurrent() { return Remove(mCursor); }
    bool UnlinkCurrent() { return Unlink(mCursor); }
    // Removes the record and returns the one that followed it.
    T* RemoveObjectAndNext(T* record)
    {
        if (!Contains(record))
            return nullptr;
        T* next = record->mNext;
        Remove(record);
        return next;
    }

    class Walk {
    public:
        // The walk registers itself in the list until its destructor takes it out.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
        explicit Walk(ObjectList& list)
            : mList(&list), mOuter(list.mWalks), mNext(list.mHead), mId(++list.mCounter), mDepth(FreeDepth(list))
        {
            list.mWalks = this;
        }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
        ~Walk()
        {
            if (mList == nullptr)
                return;
            for (Walk** link = &mList->mWalks; *link != nullptr; link = &(*link)->mOuter) {
                if (*link == this) {
                    *link = mOuter;
                    break;
                }
            }
        }
        Walk(const Walk&) = delete;
        Walk& operator=(const Walk&) = delete;

        // The next record to visit, or null when the walk is over.
        T* Next()
        {
            for (;;) {
                while (mNext != nullptr) {
                    T* record = mNext;
                    mNext = record->mNext;
                    if (record->mJoinStamp < mId && record->mWalkMarks[mDepth] != mId) {
                        record->mWalkMarks[mDepth] = mId;
                        return record;
                    }
                }
                // A record that was moved behind the walk before its turn is
                // picked up by one more pass.
                if (!mSweep || mList == nullptr)
                    return nullptr;
                mSweep = false;
                mNext = mList->mHead;
            }
        }

        // For a caller that steps through records of the list by other means
        // (a cached selection of them) with the walk's promise: true, and the
        // record marked visited, when this walk would visit it now: it is in
        // the list, was there when the walk began and was not visited yet.
        bool Claim(T* record)
        {
            if (mList == nullptr || record->mList != mList || record->mJoinStamp >= mId ||
                record->mWalkMarks[mDepth] == mId)
                return false;
            record->mWalkMarks[mDepth] = mId;
            return true;
        }
        // The list went away during the walk.
        bool Orphaned() const { return mList == nullptr; }

    private:
        friend class ObjectList;
        // The lowest mark depth no running walk of the list uses; past the
        // last, walks share it (their marks may then collide).
        static int FreeDepth(const ObjectList& list)
        {
            for (int depth = 0; depth < T::kWalkDepths - 1; ++depth) {
                bool used = false;
                for (const Walk* walk = list.mWalks; walk != nullptr && !used; walk = walk->mOuter)
                    used = walk->mDepth == depth;
                if (!used)
                    return depth;
            }
            return T::kWalkDepths - 1;
        }

        ObjectList* mList;
        Walk* mOuter;
        T* mNext;
        uint64_t mId;
        int mDepth;
        bool mSweep = false;
    };

private:
    void Link(T* record, T* before)
    {
        record->mList = this;
        record->mNext = before;
        record->mPrev = before != nullptr ? before->mPrev : mTail;
        if (record->mPrev != nullptr)
            record->mPrev->mNext = record;
        else
            mHead = record;
        if (before != nullptr)
            before->mPrev = record;
        else
            mTail = record;
        mCursor = record;
        ++mCount;
        ++mChanges;
    }

    void Detach(T* record)
    {
        for (Walk* walk = mWalks; walk != nullptr; walk = walk->mOuter) {
            if (walk->mNext == record)
                walk->mNext = record->mNext;
        }
        if (mCursor == record)
            mCursor = record->mNext != nullptr ? record->mNext : record->mPrev;
        if (record->mPrev != nullptr)
            record->mPrev->mNext = record->mNext;
        else
            mHead = record->mNext;
        if (record->mNext != nullptr)
            record->mNext->mPrev = record->mPrev;
        else
            mTail = record->mPrev;
        record->mNext = nullptr;
        record->mPrev = nullptr;
        record->mList = nullptr;
        --mCount;
        ++mChanges;
    }

    T* mCursor = nullptr;
    T* mHead = nullptr;
    T* mTail = nullptr;
    int mCount = 0;
    Walk* mWalks = nullptr;
    uint64_t mCounter = 0;
    uint64_t mChanges = 0;
};

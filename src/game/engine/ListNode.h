// The links every record of an ObjectList carries: its neighbours, the list it
// is in, and the bookkeeping that lets walks survive changes to the list.
#pragma once

#include <cstdint>

template <typename T>
class ObjectList;

template <typename T>
struct ListNode {
    T* mNext = nullptr;
    T* mPrev = nullptr;
    // The list this record is in; null while unlinked.
    ObjectList<T>* mList = nullptr;
    // Owned by ObjectList: when the record joined its list, and per nesting
    // depth the last walk that visited it (both from the list's own counter).
    // A walk of the list started while another runs (an update that walks its
    // own siblings) marks at its own depth, so it never erases what the
    // walks around it have visited.
    static constexpr int kWalkDepths = 4;
    uint64_t mJoinStamp = 0;
    uint64_t mWalkMarks[kWalkDepths] = {};
};

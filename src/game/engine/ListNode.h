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
    // Owned by ObjectList: when the record joined its list, and the last walk
    // that visited it (both from the list's own counter).
    uint64_t mJoinStamp = 0;
    uint64_t mWalkMark = 0;
};

// A fixed array of records handed out by a rotating search, so that objects,
// stages and filters made during play cost no heap allocation. A record is free
// while its mPoolInUse word is 0; its kind's disposal clears the word.
#pragma once

#include <functional>
#include <memory>

template <typename T>
class RecordPool {
public:
    explicit RecordPool(int size) : mRecords(new T[size > 0 ? size : 1]), mSize(size > 0 ? size : 1) {}
    RecordPool(const RecordPool&) = delete;
    RecordPool& operator=(const RecordPool&) = delete;

    // A fresh record (InitRecord run, in-use word 1), or null when every record
    // is in use: the search goes round the pool once and then refuses.
    T* Take()
    {
        for (int searched = 0; searched < mSize; ++searched) {
            T& record = mRecords[mCursor];
            if (record.mPoolInUse == 0) {
                record.InitRecord();
                record.mPoolInUse = 1;
                return &record;
            }
            mCursor = mCursor + 1 == mSize ? 0 : mCursor + 1;
        }
        return nullptr;
    }

    // Number of records in use (the sum of the in-use words).
    int CountInUse() const
    {
        int count = 0;
        for (int i = 0; i < mSize; ++i)
            count += mRecords[i].mPoolInUse != 0 ? 1 : 0;
        return count;
    }

    bool Owns(const T* record) const
    {
        const std::less<const T*> before;
        return !before(record, &mRecords[0]) && before(record, &mRecords[0] + mSize);
    }
    int Size() const { return mSize; }
    T& At(int index) { return mRecords[index]; }

private:
    std::unique_ptr<T[]> mRecords;
    int mSize;
    int mCursor = 0;
};

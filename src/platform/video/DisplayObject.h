// The reference count that every display stand-in object carries: the
// creator holds the first reference, AddRef adds one, Release drops one and
// deletes the object at zero.
#pragma once

#include <atomic>
#include <cstdint>

namespace Plat {

class DisplayObject {
public:
    DisplayObject() = default;
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;

    uint32_t AddRef() { return ++mRefCount; }
    // The count after the release; the object is gone when it is 0.
    uint32_t Release()
    {
        const uint32_t count = --mRefCount;
        if (count == 0) {
            delete this;
        }
        return count;
    }
    uint32_t RefCount() const { return mRefCount; }

protected:
    virtual ~DisplayObject() = default;

private:
    std::atomic<uint32_t> mRefCount{1};
};

} // namespace Plat

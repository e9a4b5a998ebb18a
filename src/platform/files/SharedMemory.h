// Named blocks of memory that several parties map, standing in for named
// file mappings. Names are private to this process: the cache protocol's
// other side runs in the same process (tests), so nothing outside can
// publish or read a block by accident.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Plat {

class SharedMemory {
public:
    SharedMemory() = default;
    // Unmaps and closes.
    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // Makes a new zero-filled block of `size` bytes (at least 1). Fails when
    // a block of that name is already there. The name is withdrawn when this
    // handle closes; views and handles others opened stay valid.
    bool Create(const std::string& name, size_t size);
    // Opens an existing block for reading and writing.
    bool Open(const std::string& name);
    // Maps the first `length` bytes (0: the whole block). Null when the block
    // is shorter than asked, empty, or already mapped through this handle.
    uint8_t* Map(size_t length = 0);
    void Unmap();
    // Unmaps, closes, and withdraws the name when this handle created it.
    void Close();

    bool IsOpen() const { return mFd >= 0; }
    // The block's current size in bytes; 0 when closed.
    size_t Size() const;
    uint8_t* Data() const { return mView; }
    size_t MappedLength() const { return mViewLength; }
    const std::string& Name() const { return mName; }

    // Withdraws a name; true when one was there.
    static bool Remove(const std::string& name);

private:
    int mFd = -1;
    bool mCreated = false;
    std::string mName;
    uint8_t* mView = nullptr;
    size_t mViewLength = 0;
};

} // namespace Plat

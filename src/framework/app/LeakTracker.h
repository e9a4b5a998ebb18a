// The tracker of live memory blocks behind the leak report: blocks by
// address with their size and place of allocation, and the report of those
// still allocated ("mem_leaks.txt" and the debug output). It works before
// any constructor runs and through static destruction, so the allocation
// functions can feed it for the whole life of the process.
#pragma once

#include "platform/system/StaticReentrantLock.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <new>

namespace Lumo {

class LeakTracker {
public:
    static constexpr size_t kFileNameSize = 264;

    struct Block {
        uint64_t size;
        char file[kFileNameSize]; // empty when only the caller is known
        int line;
        const void* caller;       // return address into the allocating code
    };

    // Allocates through malloc, so that the map never reaches the hooked
    // allocation functions it serves.
    template <typename T>
    struct MallocAllocator {
        using value_type = T;
        MallocAllocator() = default;
        template <typename U>
        MallocAllocator(const MallocAllocator<U>&) {}
        T* allocate(size_t n)
        {
            void* p = std::malloc(n * sizeof(T));
            if (p == nullptr)
                throw std::bad_alloc();
            return static_cast<T*>(p);
        }
        void deallocate(T* p, size_t) { std::free(p); }
        template <typename U>
        bool operator==(const MallocAllocator<U>&) const { return true; }
    };
    using BlockMap = std::map<uintptr_t, Block, std::less<uintptr_t>, MallocAllocator<std::pair<const uintptr_t, Block>>>;

    constexpr LeakTracker() = default;
    // Writes the report when reportAtExit is set, then stops tracking and
    // empties the map; blocks freed later find the tracker inactive.
    ~LeakTracker();
    LeakTracker(const LeakTracker&) = delete;
    LeakTracker& operator=(const LeakTracker&) = delete;

    // The file name is cut to 263 characters.
    void AddBlock(const void* address, uint64_t size, const char* file, int line);
    // A block whose place is the caller's return address.
    void AddBlockFromCaller(const void* address, uint64_t size, const void* caller);
    void RemoveBlock(const void* address);
    // Writes the report to the file (started afresh) and the debug output;
    // when the file does not open, to the debug output alone. Nothing while
    // not active. Other threads' blocks wait until it is done.
    void WriteReport(const char* path);
    size_t BlockCount();
    // True when a block is recorded at the address; its record in *block.
    bool FindBlock(uintptr_t address, Block* block);

    bool active = true;
    bool reportAtExit = false;

private:
    BlockMap& Blocks(); // built on first use (no constructor needs to have run)

    Plat::StaticReentrantLock mLock;
    BlockMap* mBlocks = nullptr;
    alignas(BlockMap) unsigned char mStorage[sizeof(BlockMap)] = {};
};

// The process's tracker; the last static to be destroyed.
extern LeakTracker gLeakTracker;

// Where the process's report goes: the folder (ending in a separator, or
// empty for the working folder) + "mem_leaks.txt". Copied into a fixed
// buffer, since the report is written during static destruction.
void SetLeakReportFolder(const char* folder);
const char* GetLeakReportPath();
// The process's report.
void WriteLeakReport();

} // namespace Lumo

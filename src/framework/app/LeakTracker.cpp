#include "framework/app/LeakTracker.h"

#include "platform/system/CodeAddress.h"
#include "platform/system/DebugOutput.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace Lumo {

// Constant-initialised, so it serves allocations made before any
// constructor; destroyed after every other static of the program.
__attribute__((init_priority(101))) LeakTracker gLeakTracker;

namespace {

// Set while this thread is inside the tracker: allocations made by the
// report itself must stay out of the map it walks.
thread_local bool tInsideTracker = false;

class InsideTracker {
public:
    InsideTracker() : mWasInside(tInsideTracker) { tInsideTracker = true; }
    ~InsideTracker() { tInsideTracker = mWasInside; }
    InsideTracker(const InsideTracker&) = delete;
    InsideTracker& operator=(const InsideTracker&) = delete;

private:
    bool mWasInside;
};

constexpr size_t kReportPathSize = 4096;
char gReportPath[kReportPathSize] = "mem_leaks.txt";

// Each text goes to the file (when open) and to the debug output.
void Emit(FILE* file, const char* text)
{
    if (file != nullptr)
        std::fputs(text, file);
    Plat::WriteDebugText(text);
}

} // namespace

LeakTracker::~LeakTracker()
{
    if (reportAtExit)
        WriteReport(gReportPath);
    InsideTracker inside;
    Plat::StaticLockGuard guard(mLock);
    // Blocks freed from now on find the tracker inactive and leave the map
    // alone.
    active = false;
    if (mBlocks != nullptr) {
        mBlocks->~BlockMap();
        mBlocks = nullptr;
    }
}

LeakTracker::BlockMap& LeakTracker::Blocks()
{
    if (mBlocks == nullptr)
        mBlocks = new (mStorage) BlockMap();
    return *mBlocks;
}

void LeakTracker::AddBlock(const void* address, uint64_t size, const char* file, int line)
{
    if (!active || tInsideTracker || address == nullptr)
        return;
    InsideTracker inside;
    Block block{};
    block.size = size;
    if (file != nullptr) {
        std::strncpy(block.file, file, kFileNameSize - 1);
        block.file[kFileNameSize - 1] = '\0';
    }
    block.line = line;
    block.caller = nullptr;
    Plat::StaticLockGuard guard(mLock);
    if (!active)
        return;
    try {
        Blocks()[reinterpret_cast<uintptr_t>(address)] = block;
    } catch (const std::bad_alloc&) {
        // Out of memory: the block goes untracked.
    }
}

void LeakTracker::AddBlockFromCaller(const void* address, uint64_t size, const void* caller)
{
    if (!active || tInsideTracker || address == nullptr)
        return;
    InsideTracker inside;
    Block block{};
    block.size = size;
    block.line = 0;
    block.caller = caller;
    Plat::StaticLockGuard guard(mLock);
    if (!active)
        return;
    try {
        Blocks()[reinterpret_cast<uintptr_t>(address)] = block;
    } catch (const std::bad_alloc&) {
    }
}

void LeakTracker::RemoveBlock(const void* address)
{
    if (!active || tInsideTracker || address == nullptr)
        return;
    InsideTracker inside;
    Plat::StaticLockGuard guard(mLock);
    if (mBlocks != nullptr)
        mBlocks->erase(reinterpret_cast<uintptr_t>(address));
}

size_t LeakTracker::BlockCount()
{
    InsideTracker inside;
    Plat::StaticLockGuard guard(mLock);
    return mBlocks != nullptr ? mBlocks->size() : 0;
}

bool LeakTracker::FindBlock(uintptr_t address, Block* block)
{
    InsideTracker inside;
    Plat::StaticLockGuard guard(mLock);
    if (mBlocks == nullptr)
        return false;
    const auto it = mBlocks->find(address);
    if (it == mBlocks->end())
        return false;
    if (block != nullptr)
        *block = it->second;
    return true;
}

void LeakTracker::WriteReport(const char* path)
{
    if (!active)
        return;
    InsideTracker inside;
    Plat::StaticLockGuard guard(mLock);
    // The file is written beside the old one and renamed into place.
    char temporary[kReportPathSize + 8] = "";
    FILE* file = nullptr;
    if (path != nullptr && std::snprintf(temporary, sizeof(temporary), "%s.tmp", path) < int(sizeof(temporary)))
        file = std::fopen(temporary, "w");

    char line[kFileNameSize + 128];
    const time_t now = std::time(nullptr);
    struct tm local {};
    char timeText[64] = "?\n";
    if (localtime_r(&now, &local) == nullptr || asctime_r(&local, timeText) == nullptr)
        std::snprintf(timeText, sizeof(timeText), "?\n");
    Plat::WriteDebugText("\n");
    std::snprintf(line, sizeof(line), "Memory Leak Report for %s", timeText);
    Emit(file, line);

    uint64_t total = 0;
    if (mBlocks != nullptr) {
        for (const auto& entry : *mBlocks) {
            const Block& block = entry.second;
            char place[kFileNameSize];
            if (block.file[0] != '\0' || block.caller == nullptr)
                std::snprintf(place, sizeof(place), "%s", block.file);
            else
                Plat::DescribeCodeAddress(block.caller, place, sizeof(place));
            std::snprintf(line, sizeof(line), "%s(%d) : Leak %" PRIu64 " byte%s\n", place, block.line, block.size,
                          block.size < 2 ? "" : "s");
            Emit(file, line);
            total += block.size;
        }
    }
    Emit(file, "-----------------------------------------------------------\n");
    std::snprintf(line, sizeof(line), "Total Unfreed: %" PRIu64 " bytes (%" PRIu64 "KB)\n\n", total, total / 1024);
    Emit(file, line);
    if (file != nullptr) {
        const bool written = std::fflush(file) == 0 && std::ferror(file) == 0;
        if (std::fclose(file) == 0 && written)
            std::rename(temporary, path);
        else
            std::remove(temporary);
    }
}

void SetLeakReportFolder(const char* folder)
{
    std::snprintf(gReportPath, sizeof(gReportPath), "%s%s", folder != nullptr ? folder : "", "mem_leaks.txt");
    // The report opens the file directly, without the file layer's
    // separator handling.
    for (char* c = gReportPath; *c != '\0'; ++c) {
        if (*c == '\\')
            *c = '/';
    }
}

const char* GetLeakReportPath()
{
    return gReportPath;
}

void WriteLeakReport()
{
    gLeakTracker.WriteReport(gReportPath);
}

} // namespace Lumo

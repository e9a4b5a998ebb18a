// The global allocation functions of a leak-tracking build: every form of
// operator new and delete over malloc, each block entered in the process's
// leak tracker with its size and the address of the allocating code. Linked
// into programs only (never with a sanitizer, which owns these functions);
// the report is written at exit.
#include "framework/app/LeakTracker.h"

#include <cstdlib>
#include <new>

namespace {

// Turns the report at exit on for the program this is linked into.
struct ReportAtExit {
    ReportAtExit() { Lumo::gLeakTracker.reportAtExit = true; }
};
ReportAtExit gReportAtExit;

void* Allocate(std::size_t size, const void* caller)
{
    if (size == 0)
        size = 1;
    for (;;) {
        void* block = std::malloc(size);
        if (block != nullptr) {
            Lumo::gLeakTracker.AddBlockFromCaller(block, size, caller);
            return block;
        }
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr)
            return nullptr;
        handler();
    }
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment, const void* caller)
{
    if (size == 0)
        size = 1;
    std::size_t align = static_cast<std::size_t>(alignment);
    if (align < sizeof(void*))
        align = sizeof(void*);
    for (;;) {
        void* block = nullptr;
        if (posix_memalign(&block, align, size) == 0) {
            Lumo::gLeakTracker.AddBlockFromCaller(block, size, caller);
            return block;
        }
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr)
            return nullptr;
        handler();
    }
}

void Release(void* block)
{
    if (block == nullptr)
        return;
    Lumo::gLeakTracker.RemoveBlock(block);
    std::free(block);
}

} // namespace

#define LUMO_CALLER __builtin_return_address(0)

void* operator new(std::size_t size)
{
    void* block = Allocate(size, LUMO_CALLER);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void* operator new[](std::size_t size)
{
    void* block = Allocate(size, LUMO_CALLER);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return Allocate(size, LUMO_CALLER);
    } catch (...) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return Allocate(size, LUMO_CALLER);
    } catch (...) {
        return nullptr;
    }
}

void* operator new(std::size_t size, std::align_val_t alignment)
{
    void* block = AllocateAligned(size, alignment, LUMO_CALLER);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void* operator new[](std::size_t size, std::align_val_t alignment)
{
    void* block = AllocateAligned(size, alignment, LUMO_CALLER);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    try {
        return AllocateAligned(size, alignment, LUMO_CALLER);
    } catch (...) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    try {
        return AllocateAligned(size, alignment, LUMO_CALLER);
    } catch (...) {
        return nullptr;
    }
}

void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, std::align_val_t) noexcept { Release(block); }
void operator delete[](void* block, std::align_val_t) noexcept { Release(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { Release(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { Release(block); }

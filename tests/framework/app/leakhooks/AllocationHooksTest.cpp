// A program linked with the leak-tracking allocation functions: every form
// of new and delete enters and leaves the process's tracker with its size,
// a leaked int is reported as 4 bytes at a place in this program, and the
// report's own allocations stay out of the map.
#include "framework/app/LeakTracker.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <regex>
#include <string>

namespace {

// The size recorded for the block; 0 when it is not tracked.
uint64_t TrackedSize(uintptr_t address)
{
    Lumo::LeakTracker::Block record{};
    return Lumo::gLeakTracker.FindBlock(address, &record) ? record.size : 0;
}

uintptr_t AddressOf(const void* block)
{
    return reinterpret_cast<uintptr_t>(block);
}

struct alignas(64) Wide {
    char bytes[64];
};

} // namespace

TEST(AllocationHooksTest, EveryFormIsRecordedAndRemoved)
{
    // Keep the report at exit out of the test's folder.
    Lumo::gLeakTracker.reportAtExit = false;
    const std::align_val_t align{64};
    struct Form {
        const char* name;
        void* (*allocate)(std::align_val_t);
        void (*release)(void*, std::align_val_t);
        uint64_t size;
    };
    const Form forms[] = {
        {"new", [](std::align_val_t) { return ::operator new(24); }, [](void* p, std::align_val_t) { ::operator delete(p); }, 24},
        {"new[]", [](std::align_val_t) { return ::operator new[](40); }, [](void* p, std::align_val_t) { ::operator delete[](p); }, 40},
        {"new nothrow", [](std::align_val_t) { return ::operator new(8, std::nothrow); },
         [](void* p, std::align_val_t) { ::operator delete(p, std::nothrow); }, 8},
        {"new[] nothrow", [](std::align_val_t) { return ::operator new[](9, std::nothrow); },
         [](void* p, std::align_val_t) { ::operator delete[](p, std::nothrow); }, 9},
        {"sized delete", [](std::align_val_t) { return ::operator new(33); }, [](void* p, std::align_val_t) { ::operator delete(p, 33); }, 33},
        {"sized delete[]", [](std::align_val_t) { return ::operator new[](34); },
         [](void* p, std::align_val_t) { ::operator delete[](p, 34); }, 34},
        {"aligned", [](std::align_val_t a) { return ::operator new(128, a); }, [](void* p, std::align_val_t a) { ::operator delete(p, a); }, 128},
        {"aligned[]", [](std::align_val_t a) { return ::operator new[](130, a); },
         [](void* p, std::align_val_t a) { ::operator delete[](p, a); }, 130},
        {"aligned nothrow", [](std::align_val_t a) { return ::operator new(64, a, std::nothrow); },
         [](void* p, std::align_val_t a) { ::operator delete(p, a, std::nothrow); }, 64},
        {"aligned[] nothrow", [](std::align_val_t a) { return ::operator new[](65, a, std::nothrow); },
         [](void* p, std::align_val_t a) { ::operator delete[](p, a, std::nothrow); }, 65},
        {"aligned sized", [](std::align_val_t a) { return ::operator new(192, a); },
         [](void* p, std::align_val_t a) { ::operator delete(p, 192, a); }, 192},
        {"aligned sized[]", [](std::align_val_t a) { return ::operator new[](200, a); },
         [](void* p, std::align_val_t a) { ::operator delete[](p, 200, a); }, 200},
    };
    for (const Form& form : forms) {
        void* block = form.allocate(align);
        ASSERT_NE(block, nullptr) << form.name;
        const uintptr_t address = AddressOf(block);
        EXPECT_EQ(TrackedSize(address), form.size) << form.name;
        form.release(block, align);
        EXPECT_EQ(TrackedSize(address), 0u) << form.name;
    }

    // Over-aligned objects come out aligned.
    Wide* wide = new Wide;
    const uintptr_t wideAddress = AddressOf(wide);
    EXPECT_EQ(wideAddress % 64, 0u);
    EXPECT_EQ(TrackedSize(wideAddress), sizeof(Wide));
    delete wide;
    EXPECT_EQ(TrackedSize(wideAddress), 0u);
}

TEST(AllocationHooksTest, ALeakedIntIsReportedAtItsPlace)
{
    Lumo::gLeakTracker.reportAtExit = false;
    TempFolder folder;
    int* leaked = new int(7);
    ASSERT_EQ(TrackedSize(AddressOf(leaked)), 4u);

    const std::string path = folder.Join("mem_leaks.txt");
    const size_t before = Lumo::gLeakTracker.BlockCount();
    Lumo::gLeakTracker.WriteReport(path.c_str());
    // The report allocates (its file, the time): none of that is recorded.
    EXPECT_EQ(Lumo::gLeakTracker.BlockCount(), before);

    const std::string report = folder.Read("mem_leaks.txt");
    EXPECT_TRUE(std::regex_search(report, std::regex("\ntest_AllocationHooksTest\\+0x[0-9a-f]+\\(0\\) : Leak 4 bytes\n")))
        << report.substr(0, 2000);
    delete leaked;
}

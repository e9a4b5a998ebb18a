#include "framework/core/SystemVersion.h"

#include "platform/system/SystemInfo.h"

#include <atomic>

namespace Lumo {

namespace {

// 0 = not asked yet, 1 = false, 2 = true. Atomic so that two threads asking
// at once at worst both ask the system.
enum : int { kUnknown = 0, kNo = 1, kYes = 2 };
std::atomic<int> gVersion6OrLater{kUnknown};
std::atomic<int> gWin9x{kUnknown};

} // namespace

bool IsWindowsVersion6OrLater()
{
    const int known = gVersion6OrLater.load(std::memory_order_relaxed);
    if (known != kUnknown)
        return known == kYes;

    Plat::SystemInfo& info = Plat::GetSystemInfo();
    Plat::OsVersion version;
    if (!info.QueryVersion(true, version)) {
        version = Plat::OsVersion();
        if (!info.QueryVersion(false, version))
            return false; // not cached: a later call asks again
    }
    const bool answer = version.majorVersion >= 6;
    gVersion6OrLater.store(answer ? kYes : kNo, std::memory_order_relaxed);
    return answer;
}

bool IsWin9x()
{
    const int known = gWin9x.load(std::memory_order_relaxed);
    if (known != kUnknown)
        return known == kYes;

    // A failed query leaves the record zeroed: platform id 0, not 9x.
    Plat::OsVersion version;
    if (!Plat::GetSystemInfo().QueryVersion(false, version))
        version = Plat::OsVersion();
    const bool answer = version.platformId == 1;
    gWin9x.store(answer ? kYes : kNo, std::memory_order_relaxed);
    return answer;
}

namespace detail {

void ResetSystemVersionCache()
{
    gVersion6OrLater.store(kUnknown, std::memory_order_relaxed);
    gWin9x.store(kUnknown, std::memory_order_relaxed);
}

} // namespace detail

} // namespace Lumo

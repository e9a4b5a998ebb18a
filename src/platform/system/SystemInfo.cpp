#include "platform/system/SystemInfo.h"

#include <unistd.h>

namespace Plat {

namespace {
LinuxSystemInfo gLinuxSystemInfo;
SystemInfo* gSystemInfo = &gLinuxSystemInfo;
} // namespace

bool LinuxSystemInfo::QueryVersion(bool /*extended*/, OsVersion& out)
{
    out.majorVersion = 6;
    out.minorVersion = 0;
    out.buildNumber = 0;
    out.platformId = 2;
    return true;
}

SystemInfo& GetSystemInfo()
{
    return *gSystemInfo;
}

SystemInfo* SetSystemInfo(SystemInfo* info)
{
    SystemInfo* previous = gSystemInfo;
    gSystemInfo = info != nullptr ? info : &gLinuxSystemInfo;
    return previous;
}

int ProcessId()
{
    return int(getpid());
}

} // namespace Plat

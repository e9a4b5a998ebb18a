// What the framework asks of the operating system's version. Linux has no
// such version numbers; the answers describe what the callers act on: the
// system has per-user data folders (as the original's version 6 and later
// did) and is not of the old 9x family.
#pragma once

#include <cstdint>

namespace Plat {

struct OsVersion {
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint32_t buildNumber = 0;
    uint32_t platformId = 0; // 1 = 9x family, 2 = NT family
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // Fills the version record; the extended query may fail where the basic
    // one succeeds. False when the answer cannot be had.
    virtual bool QueryVersion(bool extended, OsVersion& out) = 0;
};

class LinuxSystemInfo : public SystemInfo {
public:
    bool QueryVersion(bool extended, OsVersion& out) override;
};

SystemInfo& GetSystemInfo();
// Installs another source of answers (null restores the real one); returns
// the previous one.
SystemInfo* SetSystemInfo(SystemInfo* info);

// The process id, as used in the names of process-wide records.
int ProcessId();

} // namespace Plat

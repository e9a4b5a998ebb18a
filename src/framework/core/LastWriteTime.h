// The last-write time of a file on disk, which tells whether a decoded copy
// of a sound is still that file's.
#pragma once

#include <cstdint>
#include <string>

namespace Lumo {

// Sets `time` to the file's last-write time in 100-nanosecond steps since
// 1601-01-01, or to 0 when it cannot be had (then false). Reads the disk
// only, never an archive entry; a folder is no file.
bool GetLastWriteTime(const std::string& fileName, uint64_t& time);

} // namespace Lumo

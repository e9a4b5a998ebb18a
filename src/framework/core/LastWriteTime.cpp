#include "framework/core/LastWriteTime.h"

#include "platform/files/FileSystem.h"

namespace Lumo {

bool GetLastWriteTime(const std::string& fileName, uint64_t& time)
{
    time = 0;
    Plat::FindData entry;
    if (fileName.empty() || !Plat::GetFileSystem().GetEntry(fileName, entry) ||
        (entry.attributes & Plat::kAttrDirectory) != 0)
        return false;
    time = entry.lastWriteTime;
    return true;
}

} // namespace Lumo

// The demo-aware test whether a data file exists: a played demo answers
// with what the recorded run found, so a replay takes the same branches.
#include "framework/app/LumoAppBase.h"

#include "framework/app/DemoFormat.h"
#include "framework/core/PakClient.h"

namespace Lumo {

bool LumoAppBase::FileExists(const std::string& fileName)
{
    if (DemoPlaysNow()) {
        // Without a matching record (closing, the stream has ended, the
        // replay diverged) the file counts as there.
        if (!DemoTakeSyncRecord(kDemoFileExists))
            return true;
        return demoBuffer.ReadNumBits(1, false) != 0;
    }

    PakFile* file = PakOpen(fileName.c_str(), "rb");
    const bool exists = file != nullptr;
    if (file != nullptr)
        PakClose(file);
    if (DemoRecordsNow()) {
        DemoBeginRecord(kDemoFileExists);
        demoBuffer.WriteNumBits(exists ? 1 : 0, 1);
    }
    return exists;
}

} // namespace Lumo

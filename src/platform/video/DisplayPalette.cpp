// The palette stand-in.
#include "platform/video/DisplayPalette.h"

#include "platform/video/DisplayResults.h"

namespace Plat {

DisplayPalette::DisplayPalette(const uint32_t* entries)
{
    if (entries != nullptr) {
        for (size_t i = 0; i < mEntries.size(); ++i) {
            mEntries[i] = entries[i];
        }
    }
}

HResult DisplayPalette::GetEntries(int start, int count, uint32_t* entries) const
{
    if (entries == nullptr || start < 0 || count < 0 || start + count > 256) {
        return DDERR_INVALIDPARAMS;
    }
    for (int i = 0; i < count; ++i) {
        entries[i] = mEntries[static_cast<size_t>(start + i)];
    }
    return DD_OK;
}

HResult DisplayPalette::SetEntries(int start, int count, const uint32_t* entries)
{
    if (entries == nullptr || start < 0 || count < 0 || start + count > 256) {
        return DDERR_INVALIDPARAMS;
    }
    for (int i = 0; i < count; ++i) {
        mEntries[static_cast<size_t>(start + i)] = entries[i];
    }
    return DD_OK;
}

} // namespace Plat

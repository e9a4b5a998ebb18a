#include "game/engine/HonorRollEntry.h"

#include "game/engine/ProfileBytes.h"

#include <cstring>

void HonorRollEntry::Read(const uint8_t* bytes)
{
    std::memcpy(mName, bytes, kNameSize);
    mScore = LoadInt32(bytes + kNameSize);
    std::memcpy(mText, bytes + kNameSize + 4, kTextSize);
}

void HonorRollEntry::Write(uint8_t* bytes) const
{
    std::memcpy(bytes, mName, kNameSize);
    StoreInt32(bytes + kNameSize, mScore);
    std::memcpy(bytes + kNameSize + 4, mText, kTextSize);
}

int CompareHonorRollEntries(const HonorRollEntry& a, const HonorRollEntry& b)
{
    if (a.mScore > b.mScore)
        return -1;
    if (a.mScore < b.mScore)
        return 1;
    return 0;
}

// One line of an honour roll: a name, a score and a text (a time or a value).
#pragma once

#include <cstdint>

struct HonorRollEntry {
    static constexpr int kNameSize = 32;
    static constexpr int kTextSize = 64;
    static constexpr int kRecordSize = 100;

    char mName[kNameSize] = {};
    int32_t mScore = 0;
    char mText[kTextSize] = {};

    // The 100 bytes of the file's entry.
    void Read(const uint8_t* bytes);
    void Write(uint8_t* bytes) const;
};

// Order of an honour roll, higher score first: negative when a stands before
// b, positive when after, 0 for equal scores (a stable sort keeps their order).
int CompareHonorRollEntries(const HonorRollEntry& a, const HonorRollEntry& b);

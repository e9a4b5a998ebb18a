// One cached sound of the game's sound layer.
#pragma once

#include <cstdint>
#include <string>

class SampleEntry {
public:
    std::string mName;     // whole, so that a long name is found again
    int mChannel = -1;     // channel of the last play
    uint32_t mSample = 0;  // the sound library's sample handle
    int mLoop = 0;
    int mMusic = 0;        // music entries start silent and are faded in
};

// One cached piece of tracker music of the game's sound layer.
#pragma once

#include <cstdint>
#include <string>

class MusicEntry {
public:
    std::string mName;
    uint32_t mMusic = 0; // the sound library's music handle
    int mPaused = 0;
};

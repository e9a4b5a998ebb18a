// The framework's random numbers: one process-wide Mersenne Twister
// (MT19937). Reseeding with a demo's seed replays the same numbers.
#pragma once

#include <cstdint>

namespace Lumo {

class RandomGenerator {
public:
    // Seeded with 4357, as the global instance is before main.
    constexpr RandomGenerator() { Seed(4357); }
    constexpr explicit RandomGenerator(uint32_t seed) { Seed(seed); }

    // Restarts the sequence; a seed of 0 means 4357.
    constexpr void Seed(uint32_t seed)
    {
        mState[0] = seed != 0 ? seed : 4357u;
        for (int i = 1; i < kStateSize; ++i)
            mState[i] = 1812433253u * (mState[i - 1] ^ (mState[i - 1] >> 30)) + static_cast<uint32_t>(i);
        mIndex = kStateSize;
    }

    // A value in 0 .. 2^31 - 1 (the tempered word with bit 31 cleared).
    // Callers draw 0 .. n-1 as Next() % n.
    uint32_t Next();

private:
    static constexpr int kStateSize = 624;

    void Regenerate();

    uint32_t mState[kStateSize] = {};
    int mIndex = kStateSize;
};

// The process-wide generator.
RandomGenerator& GetRandomGenerator();

// Seeds the process-wide generator.
void SeedRandom(uint32_t seed);

} // namespace Lumo

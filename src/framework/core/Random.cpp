#include "framework/core/Random.h"

namespace Lumo {

namespace {

// Constant-initialised, so it is ready before any other static initialiser
// can draw from it.
constinit RandomGenerator gRandomGenerator(4357);

constexpr int kMiddle = 397;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr uint32_t kMatrix = 0x9908B0DFu;

inline uint32_t Twist(uint32_t upper, uint32_t lower, uint32_t middle)
{
    const uint32_t y = (upper & kUpperMask) | (lower & kLowerMask);
    return middle ^ (y >> 1) ^ ((y & 1u) != 0 ? kMatrix : 0u);
}

} // namespace

void RandomGenerator::Regenerate()
{
    int i = 0;
    for (; i < kStateSize - kMiddle; ++i)
        mState[i] = Twist(mState[i], mState[i + 1], mState[i + kMiddle]);
    for (; i < kStateSize - 1; ++i)
        mState[i] = Twist(mState[i], mState[i + 1], mState[i + kMiddle - kStateSize]);
    mState[kStateSize - 1] = Twist(mState[kStateSize - 1], mState[0], mState[kMiddle - 1]);
    mIndex = 0;
}

uint32_t RandomGenerator::Next()
{
    if (mIndex >= kStateSize)
        Regenerate();

    uint32_t y = mState[mIndex++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y & 0x7FFFFFFFu;
}

RandomGenerator& GetRandomGenerator()
{
    return gRandomGenerator;
}

void SeedRandom(uint32_t seed)
{
    gRandomGenerator.Seed(seed);
}

} // namespace Lumo

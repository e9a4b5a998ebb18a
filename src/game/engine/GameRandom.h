// The game's own random generator: one 32-bit state word stepped by a fixed
// multiply-and-subtract rule. Play depends on its exact sequence (demos,
// level generation), so it is not the framework's generator. The game state
// owns the one instance; tests make their own with a fixed seed.
#pragma once

#include <cstdint>

class GameRandom {
public:
    static constexpr uint32_t kInitialState = 93186752;

    // Seeds 0 and 1834132005 map onto themselves under the step, so every
    // draw would be equal; they start from the initial state instead.
    void SeedRandom(uint32_t seed);
    uint32_t RandomNext();
    // 0 .. n - 1; n == 0 has no range and gives 0 (after one draw).
    uint32_t RandomInt(uint32_t n);
    // lo .. hi (unsigned); hi == lo - 1 has no range and gives lo (after one draw).
    uint32_t RandomIntRange(uint32_t lo, uint32_t hi);
    // lo .. hi in steps of 0.01, both ends included, worked out in float;
    // an empty span gives lo (after one draw).
    float RandomFloatRange(float lo, float hi);

    uint32_t GetState() const { return mState; }

    uint32_t mState = kInitialState;
};

// The same draws on the current game state's generator.
void SeedRandom(uint32_t seed);
uint32_t RandomNext();
uint32_t RandomInt(uint32_t n);
uint32_t RandomIntRange(uint32_t lo, uint32_t hi);
float RandomFloatRange(float lo, float hi);

// Little-endian fields of the player file, whatever the machine's order.
#pragma once

#include <cstdint>
#include <cstring>

inline int32_t LoadInt32(const uint8_t* bytes)
{
    const uint32_t value = uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) |
                           (uint32_t(bytes[3]) << 24);
    return static_cast<int32_t>(value);
}

inline void StoreInt32(uint8_t* bytes, int32_t signedValue)
{
    const uint32_t value = static_cast<uint32_t>(signedValue);
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
    bytes[2] = uint8_t(value >> 16);
    bytes[3] = uint8_t(value >> 24);
}

inline float LoadFloat(const uint8_t* bytes)
{
    const uint32_t bits = static_cast<uint32_t>(LoadInt32(bytes));
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

inline void StoreFloat(uint8_t* bytes, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    StoreInt32(bytes, static_cast<int32_t>(bits));
}

// Counters kept in the file may hold anything; sums stop at the int limits.
inline int32_t AddSaturated(int32_t value, int64_t amount)
{
    const int64_t sum = int64_t(value) + amount;
    if (sum > INT32_MAX)
        return INT32_MAX;
    if (sum < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(sum);
}

// A window message as the event pump gives it, without its window, so that
// tests can compare whole lists of messages and print them in hexadecimal.
#pragma once

#include <cstdint>
#include <ostream>

namespace LumoTest {

struct PumpedMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const PumpedMessage&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const PumpedMessage& m)
{
    return out << std::hex << "{0x" << m.message << ", 0x" << m.wParam << ", 0x" << m.lParam << "}" << std::dec;
}

} // namespace LumoTest

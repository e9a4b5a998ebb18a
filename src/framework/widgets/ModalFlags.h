// The flags record handed by reference through the update and draw walks:
// nodes met before the base-modal widget use underFlags, the base-modal
// widget and everything after it overFlags.
#pragma once

#include <cstdint>

namespace Lumo {

struct ModalFlags {
    uint32_t overFlags = 0;
    uint32_t underFlags = 0;
    bool isOver = false;

    // The flags in force at the node being visited.
    uint32_t GetFlags() const { return isOver ? overFlags : underFlags; }
};

} // namespace Lumo

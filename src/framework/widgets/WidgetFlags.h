// The bits of the widget flag set that the update, draw and hit-test walks
// obey, and the flags modifier (add, remove) that a node or the manager
// applies to the set on the way down the tree.
#pragma once

#include <cstdint>

namespace Lumo {

enum WidgetFlags : uint32_t {
    WIDGETFLAGS_UPDATE = 1,      // run Update and UpdateF
    WIDGETFLAGS_MARK_DIRTY = 2,  // mark dirty on every update
    WIDGETFLAGS_DRAW = 4,        // run Draw
    WIDGETFLAGS_CLIP = 8,        // clip drawing to the node's rectangle
    WIDGETFLAGS_ALLOW_MOUSE = 16, // hit testing finds the node
    WIDGETFLAGS_ALLOW_FOCUS = 32, // the node may hold the keyboard focus
};

// (value OR add) AND NOT remove.
inline uint32_t ApplyFlagsMod(uint32_t value, uint32_t addFlags, uint32_t removeFlags)
{
    return (value | addFlags) & ~removeFlags;
}

// A flags modifier passed as one value (base-modal widgets take one).
struct FlagsMod {
    uint32_t addFlags = 0;
    uint32_t removeFlags = 0;

    uint32_t Apply(uint32_t value) const { return ApplyFlagsMod(value, addFlags, removeFlags); }
};

} // namespace Lumo

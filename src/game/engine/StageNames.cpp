#include "game/engine/StageNames.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/EasingKind.h"

#include <cstring>

namespace {

const char* const kAttributeNames[kAttributeCount] = {
    "x_scale", "y_scale", "x", "y", "z", "rotation", "r", "g", "b", "alpha", "frame_number", "all",
};

// Kind 12 (velocity without its end test) has no name.
const char* const kEasingNames[kEasingKindCount] = {
    "super_cos", "squared", "cubed",        "square_root",   "sined",    "cosined", "decay_sined",
    "decay_cosined", "loop_anim", "pingpong_anim", "hot_spot", "velocity", "",
};

} // namespace

int AttributeCodeFromName(const char* name)
{
    if (name != nullptr) {
        for (int code = 0; code < kAttributeCount; ++code) {
            if (std::strcmp(name, kAttributeNames[code]) == 0)
                return code;
        }
    }
    return kAttrAll;
}

const char* AttributeName(int code)
{
    return IsAttributeCode(code) ? kAttributeNames[code] : kAttributeNames[kAttrAll];
}

int EasingKindFromName(const char* name)
{
    if (name != nullptr && name[0] != '\0') {
        for (int kind = 0; kind < kEasingKindCount; ++kind) {
            if (std::strcmp(name, kEasingNames[kind]) == 0)
                return kind;
        }
    }
    return kEasingSuperCos;
}

const char* EasingName(int kind)
{
    return kind >= 0 && kind < kEasingKindCount ? kEasingNames[kind] : "";
}

// One entry of the widget manager's stack of base-modal widgets: what was
// in force before the widget became base-modal, restored when it leaves.
#pragma once

#include <cstdint>

namespace Lumo {

class Widget;

struct PreModalInfo {
    Widget* baseModal = nullptr;     // the widget made base-modal
    Widget* prevBaseModal = nullptr;
    Widget* prevFocus = nullptr;
    uint32_t prevBelowModalFlagsAdd = 0;
    uint32_t prevBelowModalFlagsRemove = 0;
};

} // namespace Lumo

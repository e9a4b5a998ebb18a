// Writing the header of a demo record: the recorders of every demo-aware
// operation start their records here.
#include "framework/app/LumoAppBase.h"

#include <algorithm>

namespace Lumo {

void LumoAppBase::DemoWriteUpdateDelta()
{
    // A gap longer than 4 bits can count is bridged by filler records
    // (delta 15, long form, command 31).
    while (updateCount - demoNextUpdate > 15) {
        demoBuffer.WriteNumBits(15, 4);
        demoNextUpdate += 15;
        demoBuffer.WriteNumBits(0, 1);
        demoBuffer.WriteNumBits(31, 5);
    }
    demoBuffer.WriteNumBits(std::max(updateCount - demoNextUpdate, 0), 4);
    demoNextUpdate = updateCount;
}

} // namespace Lumo

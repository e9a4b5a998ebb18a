// The clipper stand-in.
#include "platform/DisplayClipper.h"

#include "platform/DisplayHost.h"
#include "platform/DisplayResults.h"

namespace Plat {

HResult DisplayClipper::SetHWnd(uint32_t /*flags*/, Window* window)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::SetHWnd);
    if (Failed(fault)) {
        return fault;
    }
    mWindow = window;
    return DD_OK;
}

HResult DisplayClipper::GetHWnd(Window** window) const
{
    if (window == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *window = mWindow;
    return DD_OK;
}

} // namespace Plat
